#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts the local setup
# service and runs the installer under Wine against it ("/sns=" address).
# With a display (DISPLAY set) the installer shows on it until the user closes
# it. Without one it runs under Xvfb with /passive, by itself from start to
# end: a screenshot is saved when each page appears (build/screenshots/*.png),
# each taken once installer_ctl sees the page shown, as a screen reader would.
# Either way the installer's exit code is printed and is the script's own.
# The demo installs into the prefix's Program Files.
# KESTRANE_DPI=144 (or 120, 192 ...) runs it on a display at that DPI (the
# prefix's LogPixels, put back to 96 afterwards; a 1920x1200 screen without a
# display) and saves the screenshots in build/screenshots/dpi-<DPI>/.
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
dpi="${KESTRANE_DPI:-96}"
if [[ ! "$dpi" =~ ^[0-9]+$ ]] || [ "$dpi" -lt 96 ] || [ "$dpi" -gt 480 ]; then
  echo "run-installer.sh: KESTRANE_DPI must be a DPI from 96 to 480" >&2
  exit 1
fi
set_dpi() {
  "$wine_exec" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
if [ "$dpi" != 96 ]; then
  set_dpi "$dpi"
  trap 'set_dpi 96; /usr/lib/wine/wineserver -w; bash "$root/tools/setup-service/stop.sh" "$service_state"' EXIT
  export KESTRANE_XVFB_SCREEN=1920x1200x24
fi
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

report_exit() {
  echo "installer exit code: $1 (README: exit codes)"
}

if [ -n "${DISPLAY:-}" ]; then
  code=0
  "$wine_exec" "$build/app/KestraneSetup.exe" "$service" "$@" || code=$?
  print_log
  report_exit "$code"
  exit "$code"
fi

shots="$build/screenshots"
[ "$dpi" != 96 ] && shots="$build/screenshots/dpi-$dpi"
mkdir -p "$shots"
rm -f "$shots"/*.png
# The sample packages would download in a blink: sent in slices, the run is
# slow enough to be seen under way.
curl -fsS "http://127.0.0.1:$(cat "$service_state/port")/control/fault?trickle=65536" >/dev/null
run_headless() {
  "$wine_exec" "$build/app/KestraneSetup.exe" "$service" /passive "$@" &
  local installer=$!
  ctl() { "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" "$@"; }
  # the window and 5 pixels of the screen around it
  shot() {
    local x y w h
    read -r x y w h < <(ctl rect | tr -d '\r')
    import -window root "$shots/screen-$1.png"
    convert "$shots/screen-$1.png" -crop "$((w + 10))x$((h + 10))+$((x - 5))+$((y - 5))" +repage "$shots/$1.png"
    echo "screenshot: $shots/$1.png"
  }
  # page NAME SECONDS SHOT: waits until the object of that accessible name
  # shows, as a screen reader sees it, then takes the screenshot.
  page() {
    if ctl shown "$1" "$2"; then shot "$3"; else echo "not seen: $3" >&2; fi
  }
  # The Prepare page; the Setup page, whose start button the run presses by
  # itself, with the downloads under way; the Finish page, which closes by
  # itself after a countdown.
  ctl wait 60 && page 准备安装 60 prepare
  page 选择安装内容 120 setup
  page 完成 600 finish
  local code=0
  wait "$installer" || code=$?
  return "$code"
}
export -f run_headless
export build shots wine_exec service dpi
code=0
"$root/tools/xvfb.sh" bash -c 'run_headless "$@"' _ "$@" || code=$?
print_log
report_exit "$code"
exit "$code"
