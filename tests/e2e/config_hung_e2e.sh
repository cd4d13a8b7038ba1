#!/usr/bin/env bash
# Under Wine: the configuration program hangs 30 s in every message the monitor gives it. Within
# those 30 s the monitor still handles each report (profile selections reach "ProfileID"), its
# tray icon still opens the menu, a tray click that shows the hung program comes back, and Exit
# ends the monitor. Runs inside the environment of scripts/lib.sh's mon_start_wine.
#   config_hung_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/hung.XXXXXX")
source "$(dirname "$0")/checks.sh"
pids=()
hang_seconds=30

cleanup() {
  stop_feeder_and_programs
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
key=$(printf 'HKCU\\software\\KORVALDZ314GM')
profile_id_is() { wine reg query "$key" /v ProfileID 2>/dev/null | grep -q "0x$1\b"; }
messages_logged() { tr -d '\r' 2>/dev/null <"$work/KORVALDZ314.log" | grep -c '^msg='; }
mouse_opened() {
  local answer
  answer=$(feed 'wait hungmouse 1 2')
  [ "$answer" = ok ] || { [[ "$answer" == "timeout live=1 total="* ]] && [ "${answer##*=}" -ge 2 ]; }
}
# select_profile N: the mouse selects profile N (0..4), which the monitor stores as "ProfileID"
select_profile() { feed "send hungmouse 0801$(printf '%02X' "$1")0000000000" >/dev/null; }

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/KORVALDZ314.EXE "$companions"/setupapi.dll "$companions"/hid.dll \
  "$companions"/desktop_driver.exe "$work"/
export WINEDLLOVERRIDES="hid,setupapi=n,b;${WINEDLLOVERRIDES:-}"
export MON_SIMULATED_HID='hungmouse|HID\VID_1234&PID_5678&MI_01&Col02|FFA0:1|8:9:65|16'
coproc FEED { wine "$companions/hid_pipe_feeder.exe" 2>/dev/null; }
check "feeder serves the mouse" test "$(feed 'serve hungmouse')" = ok
wine "$work/KORVALDZ314.EXE" --hidden --hang-every $((hang_seconds * 1000)) 2>/dev/null &
pids+=($!)
until_true 20 wine "$work/KORVALDZ314.EXE" --stall 0 2>/dev/null
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
monitor=$!
pids+=($monitor)
check "the monitor opens the mouse" until_true 40 mouse_opened

# The first message hangs the configuration program from here on. The reader may still be on
# its way (the open counted above can be the device walk's), so the report goes again until it
# arrives; later ones wait in the hung program's queue unlogged.
first_message() {
  feed 'send hungmouse 0802100000000000' >/dev/null
  until_true 2 test "$(messages_logged)" -ge 1
}
check "the configuration program got a status value and hangs in it" until_true 20 first_message
hung_since=$SECONDS

select_profile 3
check "a profile selection while it hangs is stored" until_true 8 profile_id_is 3
select_profile 1
check "  ... and the next one" until_true 8 profile_id_is 1
check "the tray icon still opens the menu" driver tray-click right
check "  ... which comes up and closes" driver menu-close
driver tray-click left  # shows the (hung) configuration program
select_profile 2
check "after a tray click that shows the hung program, reports are still handled" \
  until_true 8 profile_id_is 2
driver tray-click right
driver menu-choose 1  # Config, Exit (About is hidden)
check "Exit from the tray menu ends the monitor" until_true 10 ended "$monitor"
check "all of it while the configuration program hung (${hang_seconds} s)" \
  test $((SECONDS - hung_since)) -lt "$hang_seconds"
echo "   (the checks took $((SECONDS - hung_since)) s of the hang)"

echo "$failures failed"
[ "$failures" -eq 0 ]
