#!/usr/bin/env bash
# The Linux monitor's figures, each beside its floor in one run (after cmake --build --preset
# native): report latency through the real reader beside a bare read of the node
# (report_latency), start-up to the opened mouse without the designed arrival delay, and at rest
# (mouse open, sound server connected) the wake-ups per second of the whole process and its
# resident and private memory, beside a bare GLib main loop (least_loop) over the same seconds.
# Runs the monitor in an umockdev testbed with the simulated mouse, a private PulseAudio server
# and a private session bus, in fresh XDG folders.
# Usage: tools/measure_linux_figures.sh [BUILD_DIR] [IDLE_SECONDS] [STARTS]
set -euo pipefail
build=$(realpath "${1:-build/native}")
idle_seconds=${2:-30}
starts=${3:-5}
# By design the monitor opens the mouse 3 s after its start: the HID event component raises its
# first arrival 1.5 s after it is made, and the main window opens the mouse 1.5 s after an
# arrival (the debounce of a burst of them).
arrival_delay_ms=3000

work=$(mktemp -d /tmp/mon-linux-figures.XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work/home
export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
# Headless: a display of the caller's would give the monitor a tray item there.
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private session bus, so that the monitor runs with its link to a configuration program.
bus_address=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 \
  2>/dev/null | head -n 2 | tr '\n' ' ')
read -r DBUS_SESSION_BUS_ADDRESS bus_pid <<<"$bus_address"
export DBUS_SESSION_BUS_ADDRESS
pids+=("$bus_pid")

pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-native-protocol-unix \
  --load="module-null-sink sink_name=spk" --load="module-null-source source_name=mic" \
  >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-source mic >/dev/null

echo "== report latency (2000 reports, one every 4 ms)"
umockdev-wrapper "$build/tools/report_latency" 2000

ticks=$(getconf CLK_TCK)
# Milliseconds since boot, and a process's start in the same count.
now_ms() { awk '{ printf "%d\n", $1 * 1000 }' /proc/uptime; }
started_ms() { awk -v t="$ticks" '{ sub(/.*\) /, ""); printf "%d\n", $20 * 1000 / t }' "/proc/$1/stat"; }
holds_terminal() { find "/proc/$1/fd" -maxdepth 1 -lname "$2" 2>/dev/null | grep -q .; }

echo "== start-up to the opened mouse, without the designed ${arrival_delay_ms} ms ($starts starts)"
startups=()
for run in $(seq "$starts"); do
  rm -rf "$XDG_CONFIG_HOME" "$HOME" && mkdir -p "$XDG_CONFIG_HOME" "$HOME"
  coproc SIM { exec umockdev-wrapper "$build/companions/sim_hidraw_mouse" -- \
    "$build/linux/korvaldz314mon" 2>/dev/null; }
  echo node >&"${SIM[1]}"
  read -r _ _ terminal <&"${SIM[0]}"
  monitor=""
  until [ -n "$monitor" ]; do monitor=$(pgrep -P "$SIM_PID" -x korvaldz314mon || true); done
  until holds_terminal "$monitor" "$terminal"; do sleep 0.002; done
  opened=$(now_ms)
  startups+=($((opened - $(started_ms "$monitor") - arrival_delay_ms)))
  if [ "$run" -lt "$starts" ]; then
    echo quit >&"${SIM[1]}"
    wait "$SIM_PID" 2>/dev/null || true
  fi
done
printf 'start-up (ms, each run): %s\n' "${startups[*]}"
printf 'start-up median: %s ms\n' "$(printf '%s\n' "${startups[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')"

echo "== at rest for ${idle_seconds} s: the monitor (mouse open, sound server connected) beside least_loop"
"$build/tools/least_loop" &
least=$!
pids+=($least)
# Settled first: GLib's thread pool lets an idle thread go 15 s after its last task.
sleep 20
# Context switches of every thread of the process, one line each ("TID COUNT"): each switch is a
# wake-up or a preemption. A thread that comes or goes in the window counts as one wake-up.
thread_switches() {
  for status in /proc/"$1"/task/*/status; do
    awk -v tid="$(basename "$(dirname "$status")")" \
      '/ctxt_switches/ { s += $2 } END { print tid, s }' "$status" 2>/dev/null
  done
}
switches_between() {  # BEFORE AFTER: the wake-ups between two samples of thread_switches
  awk 'NR == FNR { before[$1] = $2; next }
       { if ($1 in before) { n += $2 - before[$1]; delete before[$1] } else { n += 1 } }
       END { for (t in before) n += 1; print n + 0 }' <(echo "$1") <(echo "$2")
}
memory() {  # resident and private KiB
  awk '/^Rss:/ { r = $2 } /^Private_(Clean|Dirty):/ { p += $2 } END { print r, p }' \
    "/proc/$1/smaps_rollup"
}
monitor_before=$(thread_switches "$monitor")
least_before=$(thread_switches "$least")
sleep "$idle_seconds"
monitor_wakeups=$(switches_between "$monitor_before" "$(thread_switches "$monitor")")
least_wakeups=$(switches_between "$least_before" "$(thread_switches "$least")")
read -r monitor_rss monitor_private < <(memory "$monitor")
read -r least_rss least_private < <(memory "$least")
threads=$(ls "/proc/$monitor/task" | wc -l)
printf '%-12s %16s %12s %14s\n' process "wake-ups/s" "RSS KiB" "private KiB"
awk -v s="$idle_seconds" -v a="$monitor_wakeups" -v r="$monitor_rss" \
  -v p="$monitor_private" 'BEGIN { printf "%-12s %16.2f %12d %14d\n", "monitor", a / s, r, p }'
awk -v s="$idle_seconds" -v a="$least_wakeups" -v r="$least_rss" \
  -v p="$least_private" 'BEGIN { printf "%-12s %16.2f %12d %14d\n", "least_loop", a / s, r, p }'
awk -v a="$monitor_rss" -v b="$least_rss" -v c="$monitor_private" -v d="$least_private" \
  'BEGIN { printf "ratio monitor / least_loop: RSS %.2f, private %.2f\n", a / b, c / d }'
echo "monitor threads: $threads"
echo quit >&"${SIM[1]}"
wait "$SIM_PID" 2>/dev/null || true
