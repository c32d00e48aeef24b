#!/usr/bin/env bash
# Benchmarks: prints each figure next to a reference measured in the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
build="${BUILD_DIR:-$root/build}"
"$root/tools/wine-prefix.sh"
for script in "$root"/bench/*.sh; do
  bash "$script" "$build"
done
