#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts the local setup
# service and runs the installer under Wine against it ("/sns=" address).
# With a display (DISPLAY set) the installer shows on it until the user closes
# it. Without one it runs under Xvfb: screenshots of the Prepare page, the
# Setup page, the installation under way and the Finish page are saved
# (build/screenshots/*.png), with one after a Tab key showing the focus ring,
# the start button being clicked like a user would,
# and the installer is closed without the question. The demo installs into
# the prefix's Program Files.
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
# The demo machine has Word 2016 registered, as the client's users do;
# without it the installer rightly stops to warn that Word is missing.
"$wine_exec" reg add 'HKCR\Word.Application\CurVer' /ve /d Word.Application.16 /f /reg:32 >/dev/null 2>&1 || true
# Packages fetched by an earlier run would be installed without a download.
rm -rf "$WINEPREFIX/drive_c/users/$(id -un)/Temp/vantor_temp/Package"
# Wine programs started from now on must not join the display-less session
# that the command above started.
/usr/lib/wine/wineserver -w

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
  "$wine_exec" "$build/app/KestraneSetup.exe" "$service" "$@" &
  local installer=$!
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" wait 60
  # the skin places the 610x410 window at (300, 200)
  shot() {
    import -window root "$shots/screen-$1.png"
    convert "$shots/screen-$1.png" -crop 620x420+295+195 +repage "$shots/$1.png"
    echo "screenshot: $shots/$1.png"
  }
  sleep 1  # the first paints and a few steps of the preparation
  shot prepare
  sleep 6  # the package list arrives and the Setup page replaces the Prepare page
  shot setup
  # the keyboard: Tab moves from the start button to the agreement, and the
  # focus ring shows from then on
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" key tab
  sleep 0.5
  shot keyboard
  # the start button: the middle of its 160x40 face at (225, 325) in the window
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" click 305 345
  sleep 0.5  # the first download is under way
  shot installing
  sleep 8  # the sample packages download and install in a few seconds
  shot finish
  "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" close
  wait "$installer"
}
export -f run_headless
export build shots wine_exec service
"$root/tools/xvfb.sh" bash -c 'run_headless "$@"' _ "$@"
print_log
