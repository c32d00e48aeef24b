#!/usr/bin/env bash
# Size of the release KestraneSetup.exe against its 1.5 MiB budget, with its
# sections and the DLLs it imports (system DLLs only). SIZE_BENCH_DETAIL=1
# relinks it with a linker map and lists what each object and archive member
# adds, largest first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
exe="$build/app/KestraneSetup.exe"
budget=$((3 * 512 * 1024))
bytes=$(stat -c %s "$exe")
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')
printf 'size: KestraneSetup.exe %d bytes (%.2f MiB), budget %d bytes; imports: %s\n' \
  "$bytes" "$(echo "$bytes / 1048576" | bc -l)" "$budget" "$imports"
x86_64-w64-mingw32-size -A "$exe" | awk '$1 ~ /^\./ {s = s $1 " " $2 "; "} END {print "size: sections: " s}'
if grep -qiE 'lib(gcc|stdc|winpthread)' <<<"$imports"; then
  echo "size: KestraneSetup.exe imports a MinGW runtime DLL; it must import system DLLs only" >&2
  exit 1
fi
if [ -n "${SIZE_BENCH_DETAIL:-}" ]; then
  map=$(mktemp)
  trap 'rm -f "$map" "$map.exe"' EXIT
  link=$(cd "$build" && ninja -t commands app/KestraneSetup.exe | tail -1 | sed 's/^: && //; s/ && :$//')
  (cd "$build" && eval "${link/-o app\/KestraneSetup.exe/-o $map.exe -Wl,-Map,$map}")
  python3 "$root/bench/size-map.py" "$map"
fi
bench_row size "$bytes bytes" "$budget bytes (1.5 MiB)" "$(printf '%.3f' "$(echo "$bytes / $budget" | bc -l)")"
