#!/usr/bin/env bash
# Shows the control engine's demo window under Wine and Xvfb and saves a
# screenshot of the screen: tools/ctrl-demo.sh [build dir] [output png].
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
out="${2:-$build/ctrl-demo.png}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/tools/wine-prefix.sh"
export KESTRANE_DEMO_WORK="$work" KESTRANE_DEMO_OUT="$out" KESTRANE_ROOT="$root" KESTRANE_BUILD="$build"
"$root/tools/xvfb.sh" bash -c '
  set -euo pipefail
  "$KESTRANE_ROOT/tools/wine-exec.sh" "$KESTRANE_BUILD/bench/ctrl_demo.exe" "Z:${KESTRANE_DEMO_WORK//\//\\}" &
  demo=$!
  for _ in $(seq 1 600); do [ -f "$KESTRANE_DEMO_WORK/ready" ] && break; sleep 0.1; done
  [ -f "$KESTRANE_DEMO_WORK/ready" ] || { echo "demo window did not come up" >&2; kill $demo; exit 1; }
  sleep 1  # let the X server composite the layered window
  import -window root -crop 700x500+0+0 "$KESTRANE_DEMO_OUT"
  touch "$KESTRANE_DEMO_WORK/done"
  wait $demo
'
echo "screenshot: $out"
