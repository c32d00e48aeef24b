#!/usr/bin/env bash
# Peak working set of a 1 GiB package's download and verified copy against a
# 64 MiB package's, each in a process of its own doing what the download and
# install workers do (bench_download memory): nothing may grow with the file.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"

peak() {  # <MiB>: prints the peak working set in bytes
  (
    source "$root/bench/common/big-package.sh"
    serve_big_package "$1"
    read -r bytes _ peak digest < <("$root/tools/wine-exec.sh" "$build/bench/bench_download.exe" memory "$url" \
      "$(win "$work/download.bin")" "$(win "$work/copy.bin")" | tr -d '\r')
    [ "$bytes" = "$size" ] && [ "$digest" = "$md5" ] || { echo "memory bench: $1 MiB download or digest wrong" >&2; exit 1; }
    echo "$peak"
  )
}
small=$(peak 64)
large=$(peak 1024)
printf 'memory: peak working set %.1f MiB for a 1 GiB package, %.1f MiB for a 64 MiB one (download and verified copy)\n' \
  "$(echo "$large / 1048576" | bc -l)" "$(echo "$small / 1048576" | bc -l)"
bench_row memory "$(printf '1 GiB package %.1f MiB' "$(echo "$large / 1048576" | bc -l)")" \
  "$(printf '64 MiB package %.1f MiB' "$(echo "$small / 1048576" | bc -l)")" "$(printf '%.3f' "$(echo "$large / $small" | bc -l)")"
