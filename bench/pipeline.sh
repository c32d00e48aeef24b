#!/usr/bin/env bash
# The whole installation of 4 packages (about 2 MiB each, served at a fixed
# 2 MiB/s, setups taking 1 s each: bench/pipeline-catalog.json) in the real
# installer window, against the ideal max(total download, total install) +
# one package's shorter phase, the totals measured alone in the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
work=$(mktemp -d)
state="$work/service"
trap 'bash "$root/tools/setup-service/stop.sh" "$state"; rm -rf "$work"' EXIT
bash "$root/tools/setup-service/start.sh" "$state" "$build/tools/sample-package/sample_package.exe" \
  --catalog "$root/bench/pipeline-catalog.json" --fault rate=2048 >/dev/null
export service="/sns=127.0.0.1:$(cat "$state/port")"
"$root/tools/wine-exec.sh" reg add 'HKCR\Word.Application\CurVer' /ve /d Word.Application.16 /f /reg:32 >/dev/null 2>&1 || true
# Packages fetched by an earlier run would be installed without a download.
rm -rf "$WINEPREFIX/drive_c/users/$(id -un)/Temp/vantor_temp/Package"
/usr/lib/wine/wineserver -w  # the window below joins the Xvfb session, not an earlier one
export root build="$(cd "$build" && pwd)"
read -r pipeline downloading installing packages < <("$root/tools/xvfb.sh" bash -c \
  '"$root/tools/wine-exec.sh" "$build/bench/bench_pipeline.exe" "$service"' | tr -d '\r')
shorter=$(echo "if ($downloading < $installing) $downloading / $packages else $installing / $packages" | bc -l)
longer=$(echo "if ($downloading > $installing) $downloading else $installing" | bc -l)
ideal=$(echo "$longer + $shorter" | bc -l)
printf 'pipeline: %d packages installed in %.2f s; alone: downloads %.2f s, setups %.2f s; ideal %.2f s\n' \
  "$packages" "$pipeline" "$downloading" "$installing" "$ideal"
bench_row pipeline "$(printf 'installing %d packages %.2f s' "$packages" "$pipeline")" \
  "$(printf 'ideal %.2f s' "$ideal")" "$(printf '%.3f' "$(echo "$pipeline / $ideal" | bc -l)")"
