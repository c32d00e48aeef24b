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

best_ours=999; best_bare=999; best_write=999; best_curl=999
for _ in 1 2 3; do
  rm -f "$work/ours.bin" "$work/curl.bin"
  read -r bytes secs < <(run resume "$url" "$(win "$work/ours.bin")")
  [ "$bytes" = "$size" ] || { echo "DownloadResume stored $bytes bytes, expected $size" >&2; exit 1; }
  [ "$(md5sum "$work/ours.bin" | cut -d' ' -f1)" = "$md5" ] || { echo "DownloadResume file differs" >&2; exit 1; }
  best_ours=$(best "$secs" "$best_ours")

  read -r bytes secs < <(run bare "$url")
  [ "$bytes" = "$size" ] || { echo "bare loop read $bytes bytes" >&2; exit 1; }
  best_bare=$(best "$secs" "$best_bare")

  read -r bytes secs < <(run write "$(win "$work/write.bin")" 256)
  best_write=$(best "$secs" "$best_write")
  rm -f "$work/write.bin"

  start=$(date +%s.%N)
  curl -s -o "$work/curl.bin" "$url"
  end=$(date +%s.%N)
  [ "$(stat -c %s "$work/curl.bin")" = "$size" ] || { echo "curl got a short file" >&2; exit 1; }
  best_curl=$(best "$(echo "$end - $start" | bc -l)" "$best_curl")
done

mib=$(echo "$size / 1048576" | bc -l)
rate() { echo "$mib / $1" | bc -l; }
printf 'download: DownloadResume %.0f MiB/s, curl %.0f MiB/s, ratio %.2f (256 MiB from the local service, best of 3)\n' \
  "$(rate "$best_ours")" "$(rate "$best_curl")" "$(echo "$best_curl / $best_ours" | bc -l)"
printf 'download: bare WinHTTP read loop %.0f MiB/s; DownloadResume / bare loop %.2f\n' \
  "$(rate "$best_bare")" "$(echo "$best_bare / $best_ours" | bc -l)"
printf 'download: where the time goes: %.2f s reading through WinHTTP, %.2f s writing the file under Wine, %.2f s DownloadResume in all\n' \
  "$best_bare" "$best_write" "$best_ours"
bench_row download "$(printf 'DownloadResume %.0f MiB/s' "$(rate "$best_ours")")" \
  "$(printf 'bare WinHTTP loop %.0f MiB/s' "$(rate "$best_bare")")" "$(printf '%.3f' "$(echo "$best_bare / $best_ours" | bc -l)")"
