#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test
# executable under Wine with one Xvfb for the whole run. Ends with ctest's
# summary.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
build="${BUILD_DIR:-$root/build}"
"$root/tools/wine-prefix.sh"
cd "$build"
exec "$root/tools/xvfb.sh" ctest --output-on-failure "$@"
