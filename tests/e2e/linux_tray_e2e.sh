#!/usr/bin/env bash
# The Linux monitor's tray item and notices, end to end, as a desktop shell sees them: the
# simulated mouse in an umockdev testbed, a private PulseAudio server, fresh XDG folders, a
# private session bus and a private Xvfb display; a test shell (linux_desktop_watcher.py) owns
# the tray watcher and the notification server and drives the item over the bus as shells do;
# the stand-in configuration program (cfg_standin_linux --serve) logs what the monitor sends.
#
# First run (the language as stored at first start, Chinese): the item registers with id
# korvaldz314mon, the title and the icon; the menu reads 打开配置 / 退出软件; Activate is not
# answered (the library has no such method), SecondaryActivate (the middle click) and the menu's
# 打开配置 show the configuration program; with English stored, SettingsChanged() turns the menu
# into Config / Exit. Second run, the mute key bound: a press mutes, shows the muted icon and one notice; the
# next press, while the notification server is stopped, unmutes and shows the plain icon, and a
# profile report is handled at once; the server, going on, gets the waiting notices (microphone
# on, profile 4), each replacing the one before; Exit from the menu ends the monitor with 0
# after Exiting was sent. Third run, without a display: no item, the bus link as before.
#
# Usage: linux_tray_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -u
monitor_dir=$1
companions=$2
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d /tmp/mon-linux-tray-e2e.XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work/home
export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
monitor=$monitor_dir/korvaldz314mon
standin=$companions/cfg_standin_linux
shell_log=$work/shell.log
log=$work/standin.log
pids=()
shell() { /usr/bin/python3 "$(dirname "$0")/../companions/linux_desktop_watcher.py" "$@"; }

source "$(dirname "$0")/linux_session.sh"
trap cleanup EXIT


# The private session bus.
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

# The private display: Xvfb picks a free number and writes it.
Xvfb -displayfd 3 -nolisten tcp -screen 0 640x480x24 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
check "the private display runs" until_true 20 test -s "$work/display"
export DISPLAY=:$(head -n 1 "$work/display")
unset WAYLAND_DISPLAY  # GTK would take the caller's Wayland display before ours

start_private_sound_server
store=$XDG_CONFIG_HOME/KORVALDZ314/registry.sqlite3
profile_id_is() {
  [ "$(/usr/bin/python3 - "$store" <<'PY' 2>/dev/null
import sqlite3, sys
with sqlite3.connect(f"file:{sys.argv[1]}?mode=ro", uri=True, timeout=5) as db:
    print(*db.execute("select hex(data) from registry_values where name = 'ProfileID'").fetchone())
PY
)" = "$(printf '%02X000000' "$1")" ]
}

owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetNameOwner "string:$1" >/dev/null 2>&1
}
logged() { grep -qxF "$1" "$log"; }

# The shell's side: the last registered item (its sender and path) and what it shows.
: >"$shell_log"
shell serve "$shell_log" 2>>"$work/shell.err" &
shell_pid=$!
pids+=("$shell_pid")
check "the test shell owns the tray watcher's name" until_true 10 owned org.kde.StatusNotifierWatcher
check "  ... and the notification server's" owned org.freedesktop.Notifications
item_registrations() { grep -c '^registered ' "$shell_log"; }
item() { grep '^registered ' "$shell_log" | tail -n 1 | cut -d' ' -f2-3; }
item_shows() { [ "$(shell item $(item) 2>/dev/null | grep -xF "$1")" = "$1" ]; }
menu_is() { [ "$(shell menu $(item) 2>/dev/null | paste -sd'|')" = "$1" ]; }
notices() { grep '^notify ' "$shell_log"; }
notice_count_is() { [ "$(notices | wc -l)" = "$1" ]; }

: >"$log"
"$standin" --serve "$log" 2>>"$work/standin.err" &
pids+=($!)
check "the stand-in configuration program owns its name" until_true 10 owned example.korvaldz.KORVALDZ314

start_monitor_with_mouse() {
  coproc FEED { exec umockdev-wrapper "$companions/sim_hidraw_mouse" -- "$monitor" 2>>"$work/monitor.err"; }
  FEED_PID=$!
  pids+=("$FEED_PID")
}

# --- first run: the item, its menu in the stored language, the click ---------------------------
start_monitor_with_mouse
check "the monitor starts in the testbed" until_true 20 monitor_pid
registrations_are() { [ "$(item_registrations)" = "$1" ]; }
check "its tray item registers with the watcher" until_true 20 registrations_are 1
check "  ... at the indicator's object path" \
  test "$(item | cut -d' ' -f2)" = /org/ayatana/NotificationItem/korvaldz314mon
check "the item's id is korvaldz314mon" until_true 10 item_shows "Id=korvaldz314mon"
check "  ... its title the driver's" item_shows "Title=GAMING MOUSE DRIVER"
check "  ... its icon the plain one" item_shows "IconName=korvaldz314mon"
check "  ... and it is shown" item_shows "Status=Active"
check "the menu is in Chinese as stored at first start (About hidden)" \
  until_true 10 menu_is "打开配置|退出软件"

say "the shell calls Activate (the left click)"
shell call $(item) Activate 2>/dev/null
check "  ... which the item does not answer (shells then show its menu)" test $? -ne 0
say "the shell calls SecondaryActivate (the middle click: the menu's first item)"
shell call $(item) SecondaryActivate
check "  ... which is answered" test $? -eq 0
check "  ... and shows the configuration program" until_true 10 logged "show"
say "the shell clicks 打开配置 in the item's menu"
: >"$log"
shell click $(item) 打开配置
check "  ... which is answered" test $? -eq 0
check "  ... and shows the configuration program" until_true 10 logged "show"

say "the configuration program stores English and calls SettingsChanged()"
"$standin" --set-language 1
check "  (English is stored)" test $? -eq 0
"$standin" --send 7037
check "  ... which is answered" test $? -eq 0
check "the menu is in English" until_true 10 menu_is "Config|Exit"
check "  ... on the same item (no second registration)" test "$(item_registrations)" = 1

"$standin" --quit
check "Quit ends the first run with exit code 0" test "$(feed 'wait-exit 5000')" = "ok 0"
feed quit >/dev/null
wait "$FEED_PID" 2>/dev/null

# --- second run: the mute key's icon and notices, Exit from the menu ---------------------------
say "the configuration program binds key 5 to the microphone mute (code 28)"
"$standin" --bind-key 5 28
check "  (the binding is stored)" test $? -le 4
: >"$log"
start_monitor_with_mouse
check "the monitor registers its item again" until_true 20 registrations_are 2
check "  ... with the menu in English" until_true 10 menu_is "Config|Exit"
# The mouse is open when a report is handled: wait for the arrival delay's end.
mouse_open() {
  local pid terminal
  pid=$(monitor_pid) || return 1
  terminal=$(node_terminal) || return 1
  [ "$(find "/proc/$pid/fd" -maxdepth 1 -lname "$terminal" 2>/dev/null | wc -l)" = 1 ]
}
check "the monitor opens the mouse" until_true 20 mouse_open
press_key5() {
  feed 'report 07 20 00 00 00 00 00 00' >/dev/null
  feed 'report 07 00 00 00 00 00 00 00' >/dev/null
}
check "  (no notice yet)" notice_count_is 0

say "the mouse reports: key 5 pressed, released"
press_key5
check "the mute key mutes the default source" until_true 10 source_muted
check "the icon turns to the muted one" until_true 10 item_shows "IconName=korvaldz314mon-muted"
check "  ... described as muted" item_shows "IconAccessibleDesc=Microphone muted"
check "one notice is sent" until_true 10 notice_count_is 1
first_notice=$(notices | head -n 1)
check "  ... a new one, from KORVALDZ314 with the icon, saying muted" \
  test "${first_notice#notify * }" = \
  "replaces=0 app=KORVALDZ314 icon=korvaldz314mon summary=Microphone muted body="
first_id=$(echo "$first_notice" | cut -d' ' -f2)

say "the notification server stops answering (SIGSTOP); the mouse reports: key 5 pressed, released"
kill -STOP "$shell_pid"
press_key5
check "the press unmutes the default source" until_true 10 source_unmuted
check "the icon turns to the plain one" until_true 10 item_shows "IconName=korvaldz314mon"
say "the mouse reports: profile 4 selected (08 01 03)"
started=$SECONDS
feed 'report 08 01 03 00 00 00 00 00' >/dev/null
check "the next report is handled while the notice waits for the server" \
  until_true 5 profile_id_is 3
check "  ... within 5 s (a waiting notice would hold it 25 s)" test $((SECONDS - started)) -lt 5
say "the notification server answers again (SIGCONT)"
kill -CONT "$shell_pid"
check "the notices waiting are sent, one after the other" until_true 10 notice_count_is 3
check "  ... the microphone's, which replaces the first and says on" \
  test "$(notices | sed -n 2p)" = \
  "notify $first_id replaces=$first_id app=KORVALDZ314 icon=korvaldz314mon summary=Microphone on body="
check "  ... then the profile's, which replaces it" \
  test "$(notices | sed -n 3p)" = \
  "notify $first_id replaces=$first_id app=KORVALDZ314 icon=korvaldz314mon summary=PROFILE 4 body="

say "the shell clicks Exit in the item's menu"
# The monitor may end before its answer to the click leaves: the answer is not checked.
shell click $(item) Exit 2>/dev/null
check "Exit ends the monitor with exit code 0" test "$(feed 'wait-exit 5000')" = "ok 0"
check "  ... after Exiting was sent to the configuration program" \
  logged "msg=7036 wParam=0 lParam=0"
feed quit >/dev/null
wait "$FEED_PID" 2>/dev/null

# --- third run: no display -------------------------------------------------------------------
say "the monitor starts without a display (on the same bus)"
env -u DISPLAY "$monitor" 2>>"$work/monitor.err" &
headless_pid=$!
pids+=("$headless_pid")
check "it owns its name on the bus" until_true 20 owned example.korvaldz.KORVALDZ314MON
sleep 1
check "  ... and puts up no tray item" registrations_are 2
"$standin" --quit
check "  ... and Quit still ends it" until_true 10 ended "$headless_pid"
wait "$headless_pid"
check "  ... with exit code 0" test $? -eq 0

if [ "$failures" -ne 0 ]; then
  echo "the monitor's standard error:"
  cat "$work/monitor.err"
  echo "the test shell's log and errors:"
  cat "$shell_log" "$work/shell.err"
fi
echo "$failures failed check(s)"
[ "$failures" -eq 0 ]
