#!/usr/bin/env bash
# Idle wake-ups of one HID reader under Wine: runs tools/hid_idle_wakeups.exe (mingw build) in
# each mode and counts the context switches of its threads and of the wineserver over a
# two-second window while the reader waits for a report that never comes.
# Usage: tools/measure_hid_idle_wakeups.sh (after cmake --build --preset mingw)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
exe="$PWD/build/mingw/tools/hid_idle_wakeups.exe"
trap mon_stop_wine EXIT
mon_start_wine

switches() {  # the voluntary and involuntary context switches of every thread of process $1
  local total=0 n
  for status in /proc/"$1"/task/*/status; do
    n=$(awk '/ctxt_switches/ { s += $2 } END { print s + 0 }' "$status" 2>/dev/null || echo 0)
    total=$((total + n))
  done
  echo "$total"
}

my_wineserver() {  # the wineserver of our prefix (other Wine sessions may run beside us)
  local candidate
  for candidate in $(pgrep -f wineserver); do
    if { tr '\0' '\n' <"/proc/$candidate/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "$candidate"
      return
    fi
  done
}

for mode in none poll ours; do
  out="$MON_WINE_TMP/$mode.out"
  wine "$exe" "$mode" 4 >"$out" 2>/dev/null &
  job=$!
  until grep -q ready "$out" 2>/dev/null; do sleep 0.05; done
  sleep 0.5
  pid=$(pgrep -f "hid_idle_wakeups.exe $mode" | head -1)
  server=$(my_wineserver)
  a=$(switches "$pid"); sa=$(switches "$server")
  sleep 2
  b=$(switches "$pid"); sb=$(switches "$server")
  wait "$job"
  echo "$mode: process $(( (b - a) / 2 ))/s, wineserver $(( (sb - sa) / 2 ))/s; $(grep done "$out")"
done
