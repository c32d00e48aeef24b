#!/usr/bin/env bash
# A download cut N times (3 by default) against an uncut one of the same
# 256 MiB package from the local setup service, both through
# DownloadWithRetries with the built-in retry policy (waits of 1, 2 and 4 s),
# as the download worker runs them. The figure of interest is what the cuts
# cost beyond the waits the policy takes on purpose: reconnecting and
# resuming, never fetching a byte twice.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
cuts="${RETRY_BENCH_CUTS:-3}"
source "$root/bench/table/rows.sh"
source "$root/bench/common/big-package.sh"
serve_big_package 256
control() { curl -s "http://127.0.0.1:$port/control/$1" >/dev/null; }

run() { "$root/tools/wine-exec.sh" "$build/bench/bench_download.exe" retry "$url" "$(win "$work/p.bin")" | tr -d '\r'; }
check() {
  [ "$1" = "$size" ] || { echo "retry bench: stored $1 bytes, expected $size" >&2; exit 1; }
  [ "$(md5sum "$work/p.bin" | cut -d' ' -f1)" = "$md5" ] || { echo "retry bench: the file differs" >&2; exit 1; }
}

best_uncut=999; best_cut=999; waits=0
for _ in 1 2 3; do
  control reset
  rm -f "$work/p.bin"
  read -r bytes secs retries waited < <(run)
  check "$bytes"
  [ "$retries" = 0 ] || { echo "retry bench: the uncut download retried" >&2; exit 1; }
  best_uncut=$(best "$secs" "$best_uncut")

  # Every answer is cut after a quarter of the file, until N cuts are done.
  control reset
  control "fault?flaky=1&flaky_times=$cuts&flaky_after=$((size / 4))"
  rm -f "$work/p.bin" "$work/p.bin.validator"
  read -r bytes secs retries waited < <(run)
  check "$bytes"
  [ "$retries" = "$cuts" ] || { echo "retry bench: $retries retries for $cuts cuts" >&2; exit 1; }
  waits=$(echo "$waited / 1000" | bc -l)
  best_cut=$(best "$secs" "$best_cut")
done
control reset

overhead=$(echo "($best_cut - $best_uncut - $waits) * 1000" | bc -l)
printf 'retry: 256 MiB cut %d times %.2f s (%.1f s of it the policy'"'"'s waits), uncut %.2f s; the cuts cost %.0f ms beyond the waits (best of 3)\n' \
  "$cuts" "$best_cut" "$waits" "$best_uncut" "$overhead"
bench_row retry "$(printf '256 MiB cut %d times %.2f s - %.0f s of waits' "$cuts" "$best_cut" "$waits")" \
  "$(printf 'uncut %.2f s' "$best_uncut")" "$(printf '%.1f' "$overhead")"
