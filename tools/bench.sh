#!/usr/bin/env bash
# Benchmarks: prints each figure next to a reference measured in the same run,
# then one table of every performance target (bench/README.md).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
build="${BUILD_DIR:-$root/build}"
"$root/tools/wine-prefix.sh"
export BENCH_RESULTS="$build/bench/results.tsv"
: >"$BENCH_RESULTS"
failed=()
for script in "$root"/bench/*.sh; do
  bash "$script" "$build" || failed+=("$(basename "$script")")
done
bash "$root/bench/table/print.sh" "$BENCH_RESULTS"
if [ ${#failed[@]} -gt 0 ]; then
  echo "bench scripts that failed (their rows are missing): ${failed[*]}" >&2
  exit 1
fi
