#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts the local setup
# service and runs the installer under Wine against it ("/sns=" address).
# With a display (DISPLAY set) the installer shows on it until the user closes
# it. Without one it runs under Xvfb: once the Prepare page is painted a
# screenshot is saved (build/screenshots/prepare.png) and the installer is
# closed without the question.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh" KestraneSetup installer_ctl sample_package
build="${BUILD_DIR:-$root/build}"
service_state="$build/demo-service"
bash "$root/tools/setup-service/start.sh" "$service_state" "$build/tools/sample-package/sample_package.exe"
trap 'bash "$root/tools/setup-service/stop.sh" "$service_state"' EXIT
service="/sns=127.0.0.1:$(cat "$service_state/port")"
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
  "$wine_exec" "$build/app/KestraneSetup.exe" "$service" "$@"
  print_log
  exit 0
fi

shots="$build/screenshots"
mkdir -p "$shots"
run_headless() {
  xsetroot -solid '#dfe4ea'  # a light desktop, so that the window's shadow shows
  "$wine_exec" "$build/app/KestraneSetup.exe" "$service" "$@" &
  local installer=$!
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" wait 60
  sleep 2  # let the first paints and a few animation steps reach the screen
  import -window root "$shots/screen.png"
  # the skin places the 610x410 window at (300, 200)
  convert "$shots/screen.png" -crop 620x420+295+195 +repage "$shots/prepare.png"
  echo "screenshot: $shots/prepare.png (whole screen: $shots/screen.png)"
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" close
  wait "$installer"
}
export -f run_headless
export build shots wine_exec service
"$root/tools/xvfb.sh" bash -c 'run_headless "$@"' _ "$@"
print_log
