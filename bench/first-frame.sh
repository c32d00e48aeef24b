#!/usr/bin/env bash
# The installer's first frame against a bare Win32 window's, both started the
# same way (wine64 from this shell, under one Xvfb) in the same run, taking
# turns. Each program measures from its process's creation to the end of its
# first paint; the installer writes its figure and stages into its log. Also
# times the installer's skin load with its pictures and fonts on their own.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
wine_exec="$root/tools/wine-exec.sh"
# Word registered, as on the users' machines: no warning box after the frame.
"$wine_exec" reg add 'HKCR\Word.Application\CurVer' /ve /d Word.Application.16 /f /reg:32 >/dev/null 2>&1 || true
# Programs started from now on join the Xvfb session below, not an earlier one.
/usr/lib/wine/wineserver -w

measure() {
  local logdir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orchid/logs/VIZaroreRirar"
  local runs=${FIRST_FRAME_RUNS:-5} bare=() ours=() lines=()
  installer_frame() {
    local before after line
    before=$(cat "$logdir"/*.log 2>/dev/null | grep -ac 'first_frame=' || true)
    "$wine_exec" "$build/app/KestraneSetup.exe" /sns=127.0.0.1:1 &
    local pid=$!
    for _ in $(seq 1 600); do
      after=$(cat "$logdir"/*.log 2>/dev/null | grep -ac 'first_frame=' || true)
      [ "$after" -gt "$before" ] && break
      sleep 0.1
    done
    "$wine_exec" "$build/tools/installer-ctl/installer_ctl.exe" close || true
    wait "$pid" || true
    line=$(cat "$logdir"/*.log | grep -a 'first_frame=' | tail -n 1 | tr -d '\r')
    echo "${line#*: }"
  }
  bare_frame() { "$wine_exec" "$build/bench/bare_window.exe" | tr -d '\r'; }
  bare_frame >/dev/null; installer_frame >/dev/null  # the first start of each is a cold one
  for _ in $(seq 1 "$runs"); do
    local b o
    b=$(bare_frame); b=${b#first_frame=}
    o=$(installer_frame)
    bare+=("$b"); ours+=("$(echo "$o" | sed 's/^first_frame=\([0-9.]*\).*/\1/')"); lines+=("$o")
  done
  median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
  local mb mo
  mb=$(median "${bare[@]}"); mo=$(median "${ours[@]}")
  echo "first-frame: bare window (ms): ${bare[*]}"
  echo "first-frame: installer (ms):   ${ours[*]}"
  echo "first-frame: installer stages (ms, process creation to the end of the first paint), one line per run:"
  printf '  %s\n' "${lines[@]}"
  "$wine_exec" "$build/bench/bench_first_frame.exe" | tr -d '\r' | sed 's/^breakdown\t/first-frame: skin load taken apart (median of 5): /'
  printf 'first-frame: median installer %.1f ms, bare window %.1f ms (median of %d each)\n' "$mo" "$mb" "$runs"
  bench_row first-frame "$(printf 'installer first frame %.0f ms' "$mo")" "$(printf 'bare Win32 window %.0f ms' "$mb")" \
    "$(printf '%.1f' "$(echo "$mo - $mb" | bc -l)")"
}
export -f measure
export build wine_exec root
"$root/tools/xvfb.sh" bash -c 'source "$root/bench/table/rows.sh"; measure'
