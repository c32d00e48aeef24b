#!/usr/bin/env bash
# Full paint and single-control redraw of the installer's own window (Setup
# page, 610x410), next to a bare UpdateLayeredWindow, a bare one with a dirty
# rectangle and a bare AlphaBlend of the same size (same run, taken in turns).
# CTRL_BENCH_PROFILE=1 also prints where the time goes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
"$root/tools/xvfb.sh" "$root/tools/wine-exec.sh" "$build/bench/bench_ctrl.exe" ${CTRL_BENCH_PROFILE:+--profile} | bench_rows | grep -E '^(ctrl|profile|row):'
