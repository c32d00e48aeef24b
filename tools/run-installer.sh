#!/usr/bin/env bash
# The main job: installs what is missing, builds, and starts the installer
# under Wine. For now the installer opens its daily log, writes its start line
# and exits; this script then prints the log's last lines.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh" KestraneSetup
build="${BUILD_DIR:-$root/build}"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
"$root/tools/wine-exec.sh" "$build/app/KestraneSetup.exe" "$@"
logdir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orchid/logs/VIZaroreRirar"
latest=$(ls -t "$logdir"/*.log 2>/dev/null | head -n 1 || true)
if [ -n "$latest" ]; then
  echo "log: $latest"
  tail -n 5 "$latest" | iconv -f GBK -t UTF-8
fi
