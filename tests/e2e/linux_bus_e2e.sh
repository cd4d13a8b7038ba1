#!/usr/bin/env bash
# The Linux monitor's link to the configuration program on the session bus, end to end: the
# simulated mouse in an umockdev testbed (sim_hidraw_mouse), a private PulseAudio server, fresh
# XDG folders and a private session bus, with the stand-in configuration program
# (cfg_standin_linux --serve) owning its name and logging what the monitor sends.
#
# The monitor owns its name; ProfileChanged(2) stores "ProfileID" = 2; a profile selection on the
# mouse (08 01 03) is ProfileSelected(3) and a status report (08 02 2A) StatusValue(7042, 42) in
# the stand-in's log; SettingsChanged is answered; a second start ends with 0 and the first keeps
# the name; Quit ends the monitor with 0 after Exiting is logged. Then a monitor whose bus daemon
# is killed keeps running, still stores a profile selection, and ends with 0 on SIGTERM.
#
# Usage: linux_bus_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -u
monitor_dir=$1
companions=$2
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d /tmp/mon-linux-bus-e2e.XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work/home
export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
# Headless: a display of the caller's would give the monitor a tray item there.
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
store=$XDG_CONFIG_HOME/KORVALDZ314/registry.sqlite3
monitor=$monitor_dir/korvaldz314mon
standin=$companions/cfg_standin_linux
log=$work/standin.log
monitor_name=example.korvaldz.KORVALDZ314MON
config_name=example.korvaldz.KORVALDZ314
pids=()

source "$(dirname "$0")/linux_session.sh"
trap cleanup EXIT


# The private session bus: its address and process id, one line each.
{
  read -r DBUS_SESSION_BUS_ADDRESS
  read -r bus_pid
} < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$work/bus.log")
export DBUS_SESSION_BUS_ADDRESS
if [ -z "${bus_pid:-}" ]; then
  echo "FAILED: the private session bus did not start"
  cat "$work/bus.log"
  exit 1
fi
pids+=("$bus_pid")

start_private_sound_server

# The store as another program reads it.
stored() {
  /usr/bin/python3 - "$store" "$@" <<'PY' 2>/dev/null
import sqlite3, sys
store, query = sys.argv[1], sys.argv[2]
with sqlite3.connect(f"file:{store}?mode=ro", uri=True, timeout=5) as db:
    for row in db.execute(query, sys.argv[3:]):
        print(*row)
PY
}
profile_id_is() {
  [ "$(stored "select type, hex(data) from registry_values where name = 'ProfileID'")" = \
    "4 $(printf '%02X000000' "$1")" ]
}

# The unique name of NAME's owner on the private bus, empty when it has none.
owner_of() {
  dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetNameOwner "string:$1" 2>/dev/null | tr -d ' '
}
owned() { [ -n "$(owner_of "$1")" ]; }
logged() { grep -qxF "$1" "$log"; }
log_lines() { wc -l <"$log"; }

mouse_open() {
  local pid terminal
  pid=$(monitor_pid) || return 1
  terminal=$(node_terminal) || return 1
  [ "$(find "/proc/$pid/fd" -maxdepth 1 -lname "$terminal" 2>/dev/null | wc -l)" = 1 ]
}

start_monitor_with_mouse() {
  coproc FEED { exec umockdev-wrapper "$companions/sim_hidraw_mouse" -- "$monitor" 2>>"$work/monitor.err"; }
  FEED_PID=$!
  pids+=("$FEED_PID")
}

# --- the stand-in configuration program and the monitor on the bus ---------------------------
: >"$log"
"$standin" --serve "$log" 2>>"$work/standin.err" &
standin_pid=$!
pids+=("$standin_pid")
check "the stand-in configuration program owns its name" until_true 10 owned "$config_name"

start_monitor_with_mouse
check "the monitor starts in the testbed" until_true 20 monitor_pid
check "the monitor owns its name on the bus" until_true 20 owned "$monitor_name"
first_owner=$(owner_of "$monitor_name")
check "the monitor opens the mouse after the arrival delay" until_true 20 mouse_open

say "the configuration program calls ProfileChanged(2)"
"$standin" --send 7035 2
check "  ... which is answered" test $? -eq 0
check "ProfileChanged(2) stores ProfileID 2" until_true 10 profile_id_is 2

say "the mouse reports: profile 4 selected (08 01 03)"
feed 'report 08 01 03 00 00 00 00 00' >/dev/null
check "the selection is ProfileSelected(3) for the configuration program" \
  until_true 10 logged "msg=7040 wParam=3 lParam=0"
check "  ... and ProfileID 3 in the store" until_true 10 profile_id_is 3

say "the mouse reports: status 2, value 42 (08 02 2A)"
feed 'report 08 02 2A 00 00 00 00 00' >/dev/null
check "the status report is StatusValue(7042, 42)" \
  until_true 10 logged "msg=7042 wParam=42 lParam=0"

say "the configuration program calls SettingsChanged()"
"$standin" --send 7037
check "  ... which is answered" test $? -eq 0

timeout 10 "$monitor" 2>>"$work/monitor.err"
check "a second start ends with exit code 0" test $? -eq 0
check "  ... and the first keeps the name" test "$(owner_of "$monitor_name")" = "$first_owner"
check "  ... and runs" test -n "$(monitor_pid)"

say "the configuration program calls Quit()"
"$standin" --quit
check "  ... which is answered" test $? -eq 0
check "Quit ends the monitor with exit code 0" test "$(feed 'wait-exit 5000')" = "ok 0"
check "  ... after Exiting was sent" logged "msg=7036 wParam=0 lParam=0"
check "  ... as the last of what the configuration program got" \
  test "$(tail -n 1 "$log")" = "msg=7036 wParam=0 lParam=0"
check "the monitor's name is free again" until_true 10 eval '! owned "$monitor_name"'
feed quit >/dev/null
wait "$FEED_PID" 2>/dev/null

# --- the bus goes away under a running monitor -----------------------------------------------
start_monitor_with_mouse
check "a new monitor owns the name" until_true 20 owned "$monitor_name"
check "  ... and opens the mouse" until_true 20 mouse_open
say "the bus daemon is killed"
kill -KILL "$bus_pid"
until_true 10 ended "$bus_pid"
sleep 1
check "the monitor keeps running without its bus" test -n "$(monitor_pid)"
say "the mouse reports: profile 2 selected (08 01 01)"
feed 'report 08 01 01 00 00 00 00 00' >/dev/null
check "a profile selection still stores ProfileID 1" until_true 10 profile_id_is 1
kill -TERM "$(monitor_pid)"
check "SIGTERM still ends it with exit code 0" test "$(feed 'wait-exit 5000')" = "ok 0"
feed quit >/dev/null
wait "$FEED_PID" 2>/dev/null
check "the monitor said the bus is gone in one line" \
  test "$(grep -c "session bus is gone" "$work/monitor.err")" = 1

if [ "$failures" -ne 0 ]; then
  echo "the monitor's standard error:"
  cat "$work/monitor.err"
fi
echo "$failures failed check(s)"
[ "$failures" -eq 0 ]
