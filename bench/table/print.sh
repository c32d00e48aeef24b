#!/usr/bin/env bash
# Prints the bench table: every target of targets.tsv with the rows the bench
# scripts wrote to the results file ("not measured yet" where none did), then
# rows whose key has no target.
# Usage: print.sh RESULTS_FILE
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
results="${1:?results file}"
[ -f "$results" ] || : >"$results"
awk -F'\t' '
  function shown(v, unit) { return unit == "ms" ? sprintf("%+.1f ms", v) : sprintf("%.3fx", v) }
  function add(a, b, c, d, e, f) {
    n++; cell[n, 1] = a; cell[n, 2] = b; cell[n, 3] = c; cell[n, 4] = d; cell[n, 5] = e; cell[n, 6] = f
  }
  FNR == NR {
    if ($0 ~ /^#/ || NF < 5) next
    order[++targets] = $1; what[$1] = $2; op[$1] = $3; bound[$1] = $4; unit[$1] = $5
    next
  }
  NF >= 4 { rows[$1] = rows[$1] SUBSEP FNR; line[FNR] = $0 }
  END {
    add("Measure", "Figure", "Reference", "Ratio", "Target", "Holds")
    for (t = 1; t <= targets; t++) {
      k = order[t]; aim = op[k] " " (unit[k] == "ms" ? "+" bound[k] " ms" : bound[k] "x")
      if (!(k in rows)) { add(what[k], "not measured yet", "", "", aim, "-"); unmeasured++; continue }
      m = split(substr(rows[k], 2), idx, SUBSEP)
      for (i = 1; i <= m; i++) {
        split(line[idx[i]], f, "\t"); v = f[4] + 0
        holds = (op[k] == "<=") ? (v <= bound[k] + 0) : (v >= bound[k] + 0)
        add(what[k], f[2], f[3], shown(v, unit[k]), aim, holds ? "yes" : "NO")
        if (holds) held++; else missed++
      }
      delete rows[k]
    }
    for (k in rows) {
      m = split(substr(rows[k], 2), idx, SUBSEP)
      for (i = 1; i <= m; i++) { split(line[idx[i]], f, "\t"); add(k " (no target)", f[2], f[3], f[4], "", "") }
    }
    for (r = 1; r <= n; r++) for (c = 1; c <= 6; c++) if (length(cell[r, c]) > width[c]) width[c] = length(cell[r, c])
    print ""
    for (r = 1; r <= n; r++) {
      out = ""
      for (c = 1; c <= 6; c++) out = out sprintf("%-" width[c] "s", cell[r, c]) (c < 6 ? " | " : "")
      sub(/ +$/, "", out); print out
      if (r == 1) { rule = ""; for (c = 1; c <= 6; c++) { s = sprintf("%" width[c] "s", ""); gsub(/ /, "-", s); rule = rule s (c < 6 ? "-+-" : "") } print rule }
    }
    printf "\n%d rows hold their target, %d miss it, %d targets not measured yet.\n", held, missed, unmeasured
  }
' "$here/targets.tsv" "$results"
