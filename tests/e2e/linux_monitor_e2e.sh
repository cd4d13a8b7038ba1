#!/usr/bin/env bash
# The Linux monitor, korvaldz314mon, end to end and checked from outside: a simulated mouse in an
# umockdev testbed (sim_hidraw_mouse: a hidraw node with the 0xFFA0/1 vendor collection beside a
# pointer collection), a private PulseAudio server with a null source as the default microphone,
# and fresh XDG folders, so the settings store starts empty.
#
# First run: the first start writes the group and all-settings records into the store, the
# mouse is opened after the arrival delay, a profile selection on the mouse (08 01 03) stores
# "ProfileID" = 3, a second start ends at once with 0, and SIGTERM ends the monitor cleanly
# within a second. Then the stand-in configuration program binds key 5 to the microphone mute
# of the profile a monitor starts with, in the store. Second run: key 5 toggles the default
# source's mute (pactl sees it), and after a replug (remove, add under a new node) there is one
# reader and each press is handled once.
#
# Usage: linux_monitor_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -u
monitor_dir=$1
companions=$2
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d /tmp/mon-linux-e2e.XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work/home
export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
# No session bus: the monitor runs without its link to the configuration program
# (linux_bus_e2e.sh runs it with one).
unset DBUS_SESSION_BUS_ADDRESS
# Headless: a display of the caller's would give the monitor a tray item there.
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
store=$XDG_CONFIG_HOME/KORVALDZ314/registry.sqlite3
monitor=$monitor_dir/korvaldz314mon
pids=()

source "$(dirname "$0")/linux_session.sh"
trap cleanup EXIT


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
value_exists() {
  [ "$(stored "select count(*) from registry_values where name = ?" "$1")" = 1 ]
}
profile_id_is() {
  [ "$(stored "select type, hex(data) from registry_values where name = 'ProfileID'")" = \
    "4 $(printf '%02X000000' "$1")" ]
}

# The monitor's open descriptors on the mouse's current node: one per running reader. In the
# testbed a node is a pseudo-terminal; the simulated mouse names it ("ok /dev/hidrawN TERMINAL").
open_on() {
  local pid
  pid=$(monitor_pid) || return 1
  find "/proc/$pid/fd" -maxdepth 1 -lname "$1" 2>/dev/null | wc -l
}
readers_are() { [ "$(open_on "$(node_terminal)")" = "$1" ]; }

start_monitor_with_mouse() {
  coproc FEED { exec umockdev-wrapper "$companions/sim_hidraw_mouse" -- "$monitor"; }
  FEED_PID=$!
  pids+=("$FEED_PID")
}

# --- first run: records, the mouse opened, a profile selection, a second start, SIGTERM ---------
started=$SECONDS
start_monitor_with_mouse
check "the monitor starts in the testbed" until_true 20 monitor_pid
check "first start writes the group record into the store" \
  until_true 20 value_exists ProfileSettingGroup.pfd
check "  ... and the all-settings record" value_exists allsettings.pfd
check "the monitor opens the mouse after the arrival delay (one reader)" until_true 20 readers_are 1
say "the mouse was open $((SECONDS - started)) s after the start"

timeout 10 "$monitor"
check "a second start ends at once with exit code 0" test $? -eq 0
check "  ... and the first keeps running" test -n "$(monitor_pid)"

say "the mouse reports: profile 4 selected (08 01 03)"
feed 'report 08 01 03 00 00 00 00 00' >/dev/null
check "profile selection 08 01 03 stores ProfileID 3" until_true 10 profile_id_is 3

say "SIGTERM"
term_sent=$(date +%s%N)
kill -TERM "$(monitor_pid)"
ended_as=$(feed 'wait-exit 1000')
say "it ended $((($(date +%s%N) - term_sent) / 1000000)) ms after SIGTERM (${ended_as})"
check "SIGTERM ends the monitor within a second, with exit code 0" test "$ended_as" = "ok 0"
feed quit >/dev/null
wait "$FEED_PID" 2>/dev/null

# --- second run: the microphone mute key, a replug --------------------------------------------
say "the configuration program binds key 5 to the microphone mute (code 28)"
"$companions/cfg_standin_linux" --bind-key 5 28
check "  (the binding is stored; the exit code is the profile's index, 0..4)" test $? -le 4

start_monitor_with_mouse
check "the monitor opens the mouse again" until_true 20 readers_are 1
check "  (the microphone starts unmuted)" source_unmuted

# Key 5 is bit 5 of report 7's 24-bit mask; a release reports an empty mask. A later report
# tells that the ones before it were handled.
press_key5() {
  feed 'report 07 20 00 00 00 00 00 00' >/dev/null
  feed 'report 07 00 00 00 00 00 00 00' >/dev/null
}
say "the mouse reports: key 5 pressed, released"
press_key5
check "the mute key mutes the default source" until_true 10 source_muted
say "the mouse reports: key 5 pressed, released"
press_key5
check "a second press unmutes it" until_true 10 source_unmuted

say "another program mutes the microphone; the mouse reports: key 5 pressed, released"
pactl set-source-mute @DEFAULT_SOURCE@ 1
press_key5
check "the press unmutes it (the state is read, not remembered)" until_true 10 source_unmuted

say "the mouse is unplugged and plugged in again (a new node)"
old_terminal=$(node_terminal)
check "  (removed)" test "$(feed remove)" = ok
[[ "$(feed add)" == "ok /dev/hidraw"* ]]
check "  (added again)" test $? -eq 0
# After the arrival delay the monitor opens the new node and lets the old one go.
check "after the replug the monitor reads the new node with one reader" \
  until_true 20 readers_are 1
check "  ... and holds nothing of the old one" test "$(open_on "$old_terminal")" = 0
say "the mouse reports: key 5 pressed, released"
press_key5
check "each press is handled once after the replug (muted, not muted twice)" \
  until_true 10 source_muted
sleep 0.5
check "  ... and it stays muted" source_muted

kill -TERM "$(monitor_pid)"
check "SIGTERM ends it again with exit code 0" test "$(feed 'wait-exit 5000')" = "ok 0"
feed quit >/dev/null
wait "$FEED_PID" 2>/dev/null

echo "$failures failed check(s)"
[ "$failures" -eq 0 ]
