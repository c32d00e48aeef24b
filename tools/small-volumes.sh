#!/usr/bin/env bash
# Two small volumes in the Wine prefix for the checks before the first
# download: S: is a 1 MiB file system (too small for the packages) and R: a
# read-only one (no folder can be made there). Each is a tmpfs mounted under
# the build folder and mapped to its drive letter in the prefix.
# usage: small-volumes.sh up|down <build dir>
# Mounting needs root with the right to mount (as tools/setup.sh runs); where
# that is refused, "up" says so and maps nothing, and the tests that need the
# drives skip with that reason.
set -uo pipefail
action="$1"
build="$(cd "$2" && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
base="$build/small-volumes"
devices="$WINEPREFIX/dosdevices"

down() {
  rm -f "$devices/s:" "$devices/r:"
  for dir in "$base/small" "$base/readonly"; do
    mountpoint -q "$dir" && umount "$dir"
  done
  return 0
}

case "$action" in
  up)
    down
    mkdir -p "$base/small" "$base/readonly" "$devices"
    if ! mount -t tmpfs -o size=1m,mode=0777 kestrane-small "$base/small" 2>"$base/mount.err" ||
       ! mount -t tmpfs -o size=1m,mode=0777,ro kestrane-readonly "$base/readonly" 2>>"$base/mount.err"; then
      echo "small volumes not available: $(cat "$base/mount.err")" >&2
      down
      exit 0
    fi
    ln -sfn "$base/small" "$devices/s:"
    ln -sfn "$base/readonly" "$devices/r:"
    echo "S: 1 MiB at $base/small, R: read-only at $base/readonly"
    ;;
  down) down ;;
  *) echo "usage: $0 up|down <build dir>" >&2; exit 2 ;;
esac
