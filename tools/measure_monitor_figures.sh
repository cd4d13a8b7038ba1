#!/usr/bin/env bash
# The monitor's figures under Wine: start-up time to a ready tray icon (five starts, the first
# after a fresh prefix), the idle monitor's private memory and CPU use, and the write-to-handler
# latency of reports through the real reader. Runs tools/monitor_figures.exe (mingw build) in a
# private Wine environment.
# Usage: tools/measure_monitor_figures.sh (after cmake --build --preset mingw)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
build="$PWD/build/mingw"
trap mon_stop_wine EXIT
mon_start_wine
work="$MON_WINE_TMP/figures"
mkdir -p "$work"
cp -r "$build/monitor" "$work/monitor"
cp "$build/tools/monitor_figures.exe" "$build/companions/setupapi.dll" "$build/companions/hid.dll" \
  "$work/"
monitor_exe="$(winepath -w "$work/monitor/KORVALDZ314MON.EXE")"

# private_kib PID: the process's private memory (clean and dirty pages only it maps), in KiB
private_kib() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$1/smaps_rollup"; }

echo "== start-up to a ready tray icon (the arrival delay comes after it)"
for run in 1 2 3 4 5; do
  wine "$work/monitor_figures.exe" startup "$monitor_exe" 2>/dev/null | while read -r line; do
    line=${line%$'\r'}
    if [ "$line" = idle ]; then
      pid=$(pgrep -f 'KORVALDZ314MON.EXE' | head -1)
      [ "$run" = 1 ] && echo "   idle monitor: private memory $(private_kib "$pid") KiB," \
        "resident $(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status") KiB"
    else
      echo "   run $run: $line"
    fi
  done
done

echo "== reports through the real reader to a main-thread handler"
WINEDLLOVERRIDES="hid,setupapi=n,b;$WINEDLLOVERRIDES" wine "$work/monitor_figures.exe" latency 1000 \
  2>/dev/null | sed 's/^/   /'
