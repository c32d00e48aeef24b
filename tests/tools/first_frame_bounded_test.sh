#!/usr/bin/env bash
# The first-frame bench cannot hang: when closing the installer fails (as when
# Wine's display connection breaks), the script kills the installer it started,
# says so, and ends. The real installer and the real bench script, with a
# closing command that cannot work.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${KESTRANE_BUILD_DIR:-$root/build}"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
FIRST_FRAME_RUNS=1 FIRST_FRAME_LIMIT=10 FIRST_FRAME_CTL="$build/no-such-installer-ctl.exe" \
  timeout -k 10 240 bash "$root/bench/first-frame.sh" "$build" >"$out" 2>&1 || status=$?
cat "$out"
fail() { echo "FAIL: $*"; exit 1; }
[ "$status" -ne 124 ] && [ "$status" -ne 137 ] || fail "the bench script hung (stopped after 240 s)"
grep -q 'installer did not end within 10 s: killed' "$out" || fail "no word of the installer being killed"
echo "PASS"
