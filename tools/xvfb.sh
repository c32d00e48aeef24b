#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb server (1024x768x24) that
# lives exactly as long as the command.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$fifo"
rm -f "$fifo"
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$display"
"$@"
