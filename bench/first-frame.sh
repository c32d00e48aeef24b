#!/usr/bin/env bash
# The installer's first frame against a bare Win32 window's, both started the
# same way (wine64 from this shell, under one Xvfb) in the same run, taking
# turns. Each program measures from its process's creation to the end of its
# first paint; the installer writes its figure and stages into its log. Also
# times the installer's skin load with its pictures and fonts on their own,
# and, in the same turns, what Wine charges before any of the installer's own
# work (WineFloor.cpp: a layered window presented once; the same after GDI+'s
# start-up and one picture decoded).
#
# Nothing here waits without a limit: a program that has not ended
# FIRST_FRAME_LIMIT seconds (default 60) after it should have is killed (only
# the process this script started), and the output says so.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
source "$root/bench/table/rows.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
wine_exec="$root/tools/wine-exec.sh"
limit=${FIRST_FRAME_LIMIT:-60}
ctl=${FIRST_FRAME_CTL:-$build/tools/installer-ctl/installer_ctl.exe}

# end_within SECONDS PID NAME: waits for a child of this shell to end; kills
# it when it has not ended in time. False when it had to be killed.
end_within() {
  local seconds=$1 pid=$2 name=$3 i
  for ((i = 0; i < seconds * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null || true
      return 0
    fi
    sleep 0.1
  done
  echo "first-frame: $name did not end within $seconds s: killed (pid $pid)"
  kill "$pid" 2>/dev/null || true
  sleep 1
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  return 1
}

# wine_session_ends: the prefix's Wine session (and its display connection)
# ends before the next display is used, or is stopped.
wine_session_ends() {
  timeout "$limit" /usr/lib/wine/wineserver -w ||
    { echo "first-frame: the Wine session did not end within $limit s: stopped"; /usr/lib/wine/wineserver -k || true; }
}
export -f end_within wine_session_ends
export limit ctl

# Word registered, as on the users' machines: no warning box after the frame.
timeout "$limit" "$wine_exec" reg add 'HKCR\Word.Application\CurVer' /ve /d Word.Application.16 /f /reg:32 >/dev/null 2>&1 || true
# Programs started from now on join the Xvfb session below, not an earlier one.
wine_session_ends

measure() {
  local logdir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orchid/logs/VIZaroreRirar"
  local runs=${FIRST_FRAME_RUNS:-5} bare=() ours=() lines=() layered=() decoded=()
  frames_logged() { cat "$logdir"/*.log 2>/dev/null | grep -ac 'first_frame=' || true; }
  installer_frame() {
    local before line i
    before=$(frames_logged)
    "$wine_exec" "$build/app/KestraneSetup.exe" /sns=127.0.0.1:1 >/dev/null 2>&1 &
    local pid=$!
    for ((i = 0; i < limit * 10; i++)); do
      [ "$(frames_logged)" -gt "$before" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    timeout "$limit" "$wine_exec" "$ctl" close >/dev/null 2>&1 || echo "first-frame: installer_ctl close failed" >&2
    end_within "$limit" "$pid" installer >&2 || true
    [ "$(frames_logged)" -gt "$before" ] || return 0
    line=$(cat "$logdir"/*.log | grep -a 'first_frame=' | tail -n 1 | tr -d '\r')
    echo "${line#*: }"
  }
  bare_frame() { timeout -k 5 "$limit" "$wine_exec" "$build/bench/bare_window.exe" | tr -d '\r' || true; }
  floor_frame() {
    local f
    f=$(timeout -k 5 "$limit" "$wine_exec" "$build/bench/wine_floor.exe" "$@" | tr -d '\r' || true)
    echo "${f#first_frame=}"
  }
  bare_frame >/dev/null; installer_frame >/dev/null  # the first start of each is a cold one
  for _ in $(seq 1 "$runs"); do
    local b o
    b=$(bare_frame); b=${b#first_frame=}
    o=$(installer_frame)
    # A run missing either figure is left out of both sides.
    if [ -z "$b" ] || [ -z "$o" ]; then
      echo "first-frame: a run without a frame from the $([ -z "$b" ] && echo bare window || echo installer) left out"
      continue
    fi
    bare+=("$b"); ours+=("$(echo "$o" | sed 's/^first_frame=\([0-9.]*\).*/\1/')"); lines+=("$o")
    local f
    f=$(floor_frame); [ -n "$f" ] && layered+=("$f")
    f=$(floor_frame decode); [ -n "$f" ] && decoded+=("$f")
  done
  if [ ${#bare[@]} -eq 0 ]; then
    echo "first-frame: no run gave both frames"
    return 1
  fi
  median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
  local mb mo
  mb=$(median "${bare[@]}"); mo=$(median "${ours[@]}")
  echo "first-frame: bare window (ms): ${bare[*]}"
  echo "first-frame: installer (ms):   ${ours[*]}"
  echo "first-frame: installer stages (ms, process creation to the end of the first paint), one line per run:"
  printf '  %s\n' "${lines[@]}"
  timeout -k 5 "$limit" "$wine_exec" "$build/bench/bench_first_frame.exe" | tr -d '\r' |
    sed 's/^breakdown\t/first-frame: skin load taken apart (median of 5): /' || echo "first-frame: the skin load breakdown did not finish"
  printf 'first-frame: median installer %.1f ms, bare window %.1f ms (median of %d each)\n' "$mo" "$mb" "${#bare[@]}"
  echo "first-frame: Wine's floor, layered window presented once (ms): ${layered[*]:-none}"
  echo "first-frame: Wine's floor, the same after GDI+ start-up and one picture decoded (ms): ${decoded[*]:-none}"
  if [ ${#layered[@]} -gt 0 ] && [ ${#decoded[@]} -gt 0 ]; then
    printf "first-frame: median floor %.1f ms layered, %.1f ms with GDI+ and a picture: %+.1f ms over the bare window\n" \
      "$(median "${layered[@]}")" "$(median "${decoded[@]}")" "$(echo "$(median "${decoded[@]}") - $mb" | bc -l)"
  fi
  bench_row first-frame "$(printf 'installer first frame %.0f ms' "$mo")" "$(printf 'bare Win32 window %.0f ms' "$mb")" \
    "$(printf '%.1f' "$(echo "$mo - $mb" | bc -l)")"
}
export -f measure
export build wine_exec root
# The Wine session ends while its display is still there.
"$root/tools/xvfb.sh" bash -c 'source "$root/bench/table/rows.sh"; status=0; measure || status=$?; wine_session_ends; exit $status'
