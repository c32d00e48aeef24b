#!/usr/bin/env bash
# DownloadResume of a 256 MiB package from the local setup service against
# curl fetching the same file from the same server, in the same run. Also
# times a bare WinHTTP read loop (the ceiling Wine's WinHTTP sets) and plain
# file writes under Wine, to show where the time goes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
source "$root/bench/common/big-package.sh"
serve_big_package 256

run() { "$root/tools/wine-exec.sh" "$build/bench/bench_download.exe" "$@" | tr -d '\r'; }

# Several runs, ours and the bare loop right after each other; the row is the
# median of the pairs' ratios: a pair shares the load of the moment on this
# 2-core machine, and one disturbed pair does not move the median.
runs=${DOWNLOAD_BENCH_RUNS:-7}
ours=(); bare=(); writes=(); curls=(); ratios=()
for _ in $(seq 1 "$runs"); do
  rm -f "$work/ours.bin" "$work/curl.bin"
  read -r bytes secs < <(run resume "$url" "$(win "$work/ours.bin")")
  [ "$bytes" = "$size" ] || { echo "DownloadResume stored $bytes bytes, expected $size" >&2; exit 1; }
  [ "$(md5sum "$work/ours.bin" | cut -d' ' -f1)" = "$md5" ] || { echo "DownloadResume file differs" >&2; exit 1; }
  ours+=("$secs")

  read -r bytes secs < <(run bare "$url")
  [ "$bytes" = "$size" ] || { echo "bare loop read $bytes bytes" >&2; exit 1; }
  bare+=("$secs")
  ratios+=("$(echo "$secs / ${ours[-1]}" | bc -l)")

  read -r bytes secs < <(run write "$(win "$work/write.bin")" 256)
  writes+=("$secs")
  rm -f "$work/write.bin"

  start=$(date +%s.%N)
  curl -s -o "$work/curl.bin" "$url"
  end=$(date +%s.%N)
  [ "$(stat -c %s "$work/curl.bin")" = "$size" ] || { echo "curl got a short file" >&2; exit 1; }
  curls+=("$(echo "$end - $start" | bc -l)")
done
med_ours=$(median "${ours[@]}"); med_bare=$(median "${bare[@]}")
med_write=$(median "${writes[@]}"); med_curl=$(median "${curls[@]}")
med_ratio=$(median "${ratios[@]}")

mib=$(echo "$size / 1048576" | bc -l)
rate() { echo "$mib / $1" | bc -l; }
printf 'download: DownloadResume %.0f MiB/s, curl %.0f MiB/s, ratio %.2f (256 MiB from the local service, median of %d)\n' \
  "$(rate "$med_ours")" "$(rate "$med_curl")" "$(echo "$med_curl / $med_ours" | bc -l)" "$runs"
printf 'download: bare WinHTTP read loop %.0f MiB/s; DownloadResume / bare loop %.3f (median of the pairs)\n' \
  "$(rate "$med_bare")" "$med_ratio"
printf 'download: pairs (s, DownloadResume/bare loop):'
for i in "${!ours[@]}"; do printf ' %.2f/%.2f' "${ours[$i]}" "${bare[$i]}"; done
printf '\n'
printf 'download: where the time goes: %.2f s reading through WinHTTP, %.2f s writing the file under Wine (beside the reads, on a thread of its own), %.2f s DownloadResume in all\n' \
  "$med_bare" "$med_write" "$med_ours"
bench_row download "$(printf 'DownloadResume %.0f MiB/s' "$(rate "$med_ours")")" \
  "$(printf 'bare WinHTTP loop %.0f MiB/s' "$(rate "$med_bare")")" "$(printf '%.3f' "$med_ratio")"
