#!/usr/bin/env bash
# Full paint and single-button redraw of a 610x410 layered window, next to a
# bare UpdateLayeredWindow and a bare AlphaBlend of the same size (same run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
"$root/tools/xvfb.sh" "$root/tools/wine-exec.sh" "$build/bench/bench_ctrl.exe" | bench_rows | grep '^ctrl:'
