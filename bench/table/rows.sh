# Sourced by the bench scripts: how a measured figure becomes a row of the
# table that tools/bench.sh prints at the end (see bench/README.md).

# bench_row KEY FIGURE REFERENCE VALUE
#   KEY        a key of bench/table/targets.tsv
#   FIGURE     what was measured, as shown (with its unit)
#   REFERENCE  what it is compared with in the same run, as shown
#   VALUE      the number checked against the target's bound: figure/reference
#              for "x" targets, figure minus reference in ms for "ms" targets
bench_row() {
  [ $# -eq 4 ] || { echo "bench_row: KEY FIGURE REFERENCE VALUE expected, got: $*" >&2; return 1; }
  if [ -n "${BENCH_RESULTS:-}" ]; then
    printf '%s\t%s\t%s\t%s\n' "$@" >>"$BENCH_RESULTS"
  else
    printf 'row: %s | %s | %s | %s\n' "$@"  # run alone: show it anyway
  fi
}

# bench_rows: copies a bench program's output to stdout, except lines of the
# form "row<TAB>KEY<TAB>FIGURE<TAB>REFERENCE<TAB>VALUE", which become rows.
bench_rows() {
  local line key figure reference value
  while IFS= read -r line; do
    line="${line%$'\r'}"
    if [[ "$line" == row$'\t'* ]]; then
      IFS=$'\t' read -r _ key figure reference value <<<"$line"
      bench_row "$key" "$figure" "$reference" "$value"
    else
      printf '%s\n' "$line"
    fi
  done
}
