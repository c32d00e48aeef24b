#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test
# executable under Wine with one Xvfb (1920x1200) for the whole run. Ends
# with ctest's summary.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
build="${BUILD_DIR:-$root/build}"
"$root/tools/wine-prefix.sh"
# Tests of other display scales set the prefix's DPI for their child
# processes and put it back; a run that died halfway must not leave it set.
"$root/tools/wine-exec.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
# (and the display-less Wine session of that command must be gone before the
# tests start theirs on the display)
WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}" /usr/lib/wine/wineserver -w
cd "$build"
# A screen large enough for the installer's window at 200 % (1220 x 820).
export KESTRANE_XVFB_SCREEN="${KESTRANE_XVFB_SCREEN:-1920x1200x24}"
exec "$root/tools/xvfb.sh" ctest --output-on-failure "$@"
