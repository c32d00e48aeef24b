#!/usr/bin/env bash
# Robustness harness, the longer run: skins generated from the skin grammar,
# each driven by seeded random steps with the engine's invariants checked
# after every step, for a time budget (ROBUSTNESS_SECONDS, default 120);
# prints steps per second, the GDI and USER object counts before and after,
# and every seed that failed. One seed replays with its steps printed:
#   ROBUSTNESS_SECONDS=0 ROBUSTNESS_FIRST_SEED=<seed> KESTRANE_ROBUSTNESS_TRACE=1 bash bench/ctrl-robustness.sh build
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
export KESTRANE_ROBUSTNESS_SECONDS="${ROBUSTNESS_SECONDS:-120}"
export KESTRANE_ROBUSTNESS_FIRST_SEED="${ROBUSTNESS_FIRST_SEED:-1000}"
filter='^robustness:'
[ -n "${KESTRANE_ROBUSTNESS_TRACE:-}" ] && filter='.'
"$root/tools/xvfb.sh" "$root/tools/wine-exec.sh" "$build/tests/dulib/ctrl/ctrl_robustness_tests.exe" \
  --gtest_filter=Robustness.LongRunForTheBench | tr -d '\r' | grep -a -E "$filter" || true
