#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts the local setup
# service and runs the installer under Wine against it.
# With a display (DISPLAY set) the installer shows on it until the user closes
# it. Without one it runs under Xvfb: once the Prepare page is painted a
# screenshot is saved (build/screenshots/prepare.png) and the installer is
# closed without the question.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh" KestraneSetup installer_ctl
build="${BUILD_DIR:-$root/build}"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
"$root/tools/wine-prefix.sh"
wine_exec="$root/tools/wine-exec.sh"

print_log() {
  local logdir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orchid/logs/VIZaroreRirar"
  local latest
  latest=$(ls -t "$logdir"/*.log 2>/dev/null | head -n 1 || true)
  if [ -n "$latest" ]; then
    echo "log: $latest"
    tail -n 20 "$latest" | iconv -f GBK -t UTF-8
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  "$wine_exec" "$build/app/KestraneSetup.exe" "$@"
  print_log
  exit 0
fi

shots="$build/screenshots"
mkdir -p "$shots"
run_headless() {
  "$wine_exec" "$build/app/KestraneSetup.exe" "$@" &
  local installer=$!
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" wait 60
  sleep 2  # let the first paints and a few animation steps reach the screen
  import -window root "$shots/prepare.png"
  echo "screenshot: $shots/prepare.png"
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" close
  wait "$installer"
}
export -f run_headless
export build shots wine_exec
"$root/tools/xvfb.sh" bash -c 'run_headless "$@"' _ "$@"
print_log
