#!/usr/bin/env bash
# Starts the local setup service in the background and waits for its port file.
# usage: start.sh <state dir> <sample package exe> [server.py options...]
# Writes <state dir>/port and <state dir>/pid; stop.sh <state dir> ends it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
state="$1"; sample="$2"; shift 2
mkdir -p "$state"
if [ -f "$state/pid" ]; then bash "$here/stop.sh" "$state" || true; fi
rm -f "$state/port"
setsid python3 "$here/server.py" --state-dir "$state" --port-file "$state/port" --sample-exe "$sample" "$@" \
  </dev/null >"$state/service.log" 2>&1 &
echo $! >"$state/pid"
for _ in $(seq 1 600); do
  [ -s "$state/port" ] && { echo "setup service on 127.0.0.1:$(cat "$state/port")"; exit 0; }
  kill -0 "$(cat "$state/pid")" 2>/dev/null || break
  sleep 0.1
done
echo "setup service did not start:" >&2
cat "$state/service.log" >&2
exit 1
