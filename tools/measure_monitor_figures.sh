#!/usr/bin/env bash
# The monitor's figures under Wine, side by side with the least tray program (one hidden window,
# one tray icon, a message loop: tests/companions/least_tray) in one Wine environment, so that
# every figure is a ratio measured in the same run:
# - start-up to a visible tray icon: one start of each to warm the caches (not counted), then
#   RUNS starts of each, alternated, the medians and their ratio;
# - after 10 s idle: private memory (Private_Clean + Private_Dirty of the process in /proc) and
#   wake-ups (context switches of all its threads over 3 s) of each, and the memory ratio;
# - the same for the least tray program with /services, which also takes what the monitor cannot
#   do without from the system (HID arrival notification, the default microphone's endpoint and
#   its notifications): what that adds is the system's own price, paid by any program that takes
#   them, and the monitor is also given as a ratio to it;
# - private memory by mapping (its heaps and Wine's are the anonymous part);
# - the write-to-handler latency of reports through the real reader.
# Usage: tools/measure_monitor_figures.sh [RUNS] (after cmake --build --preset mingw; RUNS: 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
runs=${1:-5}
build="$PWD/build/mingw"
trap mon_stop_wine EXIT
mon_start_wine
work="$MON_WINE_TMP/figures"
mkdir -p "$work"
cp -r "$build/monitor" "$work/monitor"
cp "$build/tools/monitor_figures.exe" "$build/companions/setupapi.dll" "$build/companions/hid.dll" \
  "$build/companions/least_tray.exe" "$work/"
monitor_exe="$(winepath -w "$work/monitor/KORVALDZ314MON.EXE")"
least_exe="$(winepath -w "$work/least_tray.exe")"

# unix_pid NAME: the Wine process running NAME (not the measuring tool, whose command names it)
unix_pid() {
  local pid
  for pid in $(pgrep -f "$1"); do
    grep -q monitor_figures "/proc/$pid/cmdline" 2>/dev/null || { echo "$pid"; return; }
  done
}
# private_kib PID: the clean and dirty pages only this process maps, in KiB
private_kib() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$1/smaps_rollup"; }
# switches PID: "thread switches" for each of the process's threads (its context switches so far)
switches() {
  local task
  for task in /proc/"$1"/task/*; do
    awk -v t="${task##*/}" '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 }
                            END { print t, s }' "$task/status" 2>/dev/null
  done
}
# wakeups_per_s BEFORE AFTER SECONDS: the switches of the threads that lived through the window
wakeups_per_s() {
  awk -v seconds="$3" 'NR == FNR { before[$1] = $2; next }
                       ($1 in before) { sum += $2 - before[$1] }
                       END { printf "%.1f", sum / seconds }' <(echo "$1") <(echo "$2")
}
# by_mapping PID: private KiB per mapped file (anonymous memory as [anon]), largest first
by_mapping() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6 ? $NF : "[anon]"); sub(".*/", "", name) }
       /^Private_(Clean|Dirty):/ { kib[name] += $2 }
       END { for (n in kib) if (kib[n] >= 64) printf "%8d KiB  %s\n", kib[n], n }' \
    "/proc/$1/smaps" | sort -rn | head -n 16
}
median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# measure EXE NAME [ARGUMENT]: one start; sets tray_ms, idle_kib, wakeups and mapping
measure() {
  local line pid before after
  tray_ms="" idle_kib="" wakeups="" mapping=""
  while read -r line; do
    line=${line%$'\r'}
    case $line in
      tray\ *) tray_ms=${line#tray } ;;
      idle)
        # The wake-ups first: the measuring tool ends the program 5 s after "idle", and the
        # window must close well before that, or the ending's switches are counted.
        pid=$(unix_pid "$2")
        before=$(switches "$pid")
        sleep 3
        after=$(switches "$pid")
        wakeups=$(wakeups_per_s "$before" "$after" 3)
        idle_kib=$(private_kib "$pid")
        mapping=$(by_mapping "$pid")
        ;;
    esac
  done < <(wine "$work/monitor_figures.exe" startup "$1" 10 ${3:+"$3"} 2>/dev/null)
}

measure "$least_exe" least_tray.exe  # warm-up starts: caches, fonts, Wine's services
measure "$monitor_exe" KORVALDZ314MON.EXE
least_times="" monitor_times=""
echo "== start-up to a visible tray icon ($runs starts each, alternated, after one warm-up start)"
for run in $(seq 1 "$runs"); do
  measure "$least_exe" least_tray.exe
  least_times="$least_times $tray_ms"
  [ "$run" = 1 ] && { least_kib=$idle_kib least_wakeups=$wakeups least_mapping=$mapping; }
  measure "$monitor_exe" KORVALDZ314MON.EXE
  monitor_times="$monitor_times $tray_ms"
  [ "$run" = 1 ] && { monitor_kib=$idle_kib monitor_wakeups=$wakeups monitor_mapping=$mapping; }
done
measure "$least_exe" least_tray.exe /services
services_kib=$idle_kib services_wakeups=$wakeups services_mapping=$mapping
least_median=$(echo "$least_times" | median)
monitor_median=$(echo "$monitor_times" | median)
echo "   least tray program:$least_times ms, median $least_median ms"
echo "   monitor:           $monitor_times ms, median $monitor_median ms"
echo "   start-up ratio: $(ratio "$monitor_median" "$least_median")"
echo "== after 10 s idle"
echo "   least tray program:           private memory $least_kib KiB, $least_wakeups wake-ups/s"
echo "   least tray program /services: private memory $services_kib KiB, $services_wakeups wake-ups/s"
echo "   monitor:                      private memory $monitor_kib KiB, $monitor_wakeups wake-ups/s"
echo "   memory ratio: $(ratio "$monitor_kib" "$least_kib") to the least tray program," \
  "$(ratio "$monitor_kib" "$services_kib") to it with the services" \
  "(the services alone: $(ratio "$services_kib" "$least_kib"))"
echo "== private memory by mapping after 10 s idle (64 KiB and more; [anon]: the Windows heaps,"
echo "   stacks and Wine's own; [heap]: Wine's Unix side)"
echo "   least tray program:"
echo "$least_mapping"
echo "   least tray program /services:"
echo "$services_mapping"
echo "   monitor:"
echo "$monitor_mapping"

echo "== reports through the real reader to a main-thread handler"
WINEDLLOVERRIDES="hid,setupapi=n,b;$WINEDLLOVERRIDES" wine "$work/monitor_figures.exe" latency 1000 \
  2>/dev/null | sed 's/^/   /'
