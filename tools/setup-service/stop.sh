#!/usr/bin/env bash
# Stops the service that start.sh started for this state dir.
set -uo pipefail
state="$1"
[ -f "$state/pid" ] || exit 0
pid="$(cat "$state/pid")"
kill "$pid" 2>/dev/null
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
rm -f "$state/pid" "$state/port" "$state/proxy_port"
exit 0
