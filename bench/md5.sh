#!/usr/bin/env bash
# FileMd5Hex throughput on a 256 MiB file against md5sum on the same file,
# alternating, best of 5 each (the machine is shared).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/bench-256MiB.bin"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$file"
cat "$file" >/dev/null  # both readers start from the page cache

best_ours=999; best_ref=999
for _ in 1 2 3 4 5; do
  read -r ours_hex ours_s < <("$root/tools/wine-exec.sh" "$build/bench/bench_md5.exe" "Z:${file//\//\\}" | tr -d '\r')
  start=$(date +%s.%N); ref_hex=$(md5sum "$file" | cut -d' ' -f1); end=$(date +%s.%N)
  ref_s=$(echo "$end - $start" | bc -l)
  [ "$ours_hex" = "$ref_hex" ] || { echo "digest mismatch: $ours_hex vs $ref_hex" >&2; exit 1; }
  best_ours=$(echo "if ($ours_s < $best_ours) $ours_s else $best_ours" | bc -l)
  best_ref=$(echo "if ($ref_s < $best_ref) $ref_s else $best_ref" | bc -l)
done
mib=256
ours_rate=$(printf '%.0f' "$(echo "$mib / $best_ours" | bc -l)")
ref_rate=$(printf '%.0f' "$(echo "$mib / $best_ref" | bc -l)")
ratio=$(printf '%.3f' "$(echo "$best_ref / $best_ours" | bc -l)")
printf 'md5: FileMd5Hex %s MiB/s, md5sum %s MiB/s, ratio %s (best of 5, 256 MiB, same file)\n' "$ours_rate" "$ref_rate" "$ratio"
bench_row md5 "FileMd5Hex $ours_rate MiB/s" "md5sum $ref_rate MiB/s" "$ratio"
