#!/usr/bin/env bash
# Creates the project-local Wine prefix on first use (about 10 s), then
# returns at once. Safe to call from several processes at the same time.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8
# Each step leaves a marker; a prefix made before a step was added gets it
# on the next call.
[ -f "$WINEPREFIX/.kestrane-ready" ] && [ -f "$WINEPREFIX/.kestrane-tests-unmanaged" ] && exit 0
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX/../.wineprefix.lock"
flock 9
if [ ! -f "$WINEPREFIX/.kestrane-ready" ]; then
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
  # The skin's face name maps to a CJK font that Debian ships.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w || true
  touch "$WINEPREFIX/.kestrane-ready"
fi
if [ ! -f "$WINEPREFIX/.kestrane-tests-unmanaged" ]; then
  # Under Xvfb no window manager runs, and Wine waits 2 s for one whenever an
  # activated window is hidden or destroyed: the skin engine's GUI test
  # programs, which open hundreds of windows, run theirs unmanaged.
  for program in dulib_ctrl_tests.exe ctrl_robustness_tests.exe; do
    /usr/lib/wine/wine64 reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  done
  /usr/lib/wine/wineserver -w || true
  touch "$WINEPREFIX/.kestrane-tests-unmanaged"
fi
