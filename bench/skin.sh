#!/usr/bin/env bash
# Skin engine: time to load a theme of 16 pictures and 39 styles and to draw
# every style once into a 610x410 DIB, against a GDI fill and a full-size blend
# of the same DIB measured in the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
"$root/tools/wine-exec.sh" "$build/bench/bench_skin.exe" | tr -d '\r'
