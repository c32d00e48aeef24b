#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb server that lives exactly as
# long as the command. Its screen is $KESTRANE_XVFB_SCREEN (default
# 1024x768x24).
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "${KESTRANE_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$fifo"
rm -f "$fifo"
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$display"
"$@"
