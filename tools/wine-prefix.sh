#!/usr/bin/env bash
# Creates the project-local Wine prefix on first use (about 10 s), then
# returns at once. Safe to call from several processes at the same time.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8
[ -f "$WINEPREFIX/.kestrane-ready" ] && exit 0
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX/../.wineprefix.lock"
flock 9
[ -f "$WINEPREFIX/.kestrane-ready" ] && exit 0
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
# The skin's face name maps to a CJK font that Debian ships.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w || true
touch "$WINEPREFIX/.kestrane-ready"
