#!/usr/bin/env bash
# Runs a Windows program under the project's own Wine prefix.
# Used by ctest (as the cross-compiling emulator), the demo and the benches.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/../build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${KESTRANE_LC_ALL:-zh_CN.UTF-8}"
"$here/wine-prefix.sh"
exec /usr/lib/wine/wine64 "$@"
