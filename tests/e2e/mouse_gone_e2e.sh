#!/usr/bin/env bash
# Under Wine: the mouse goes away while the monitor's reader waits in a read (the simulated
# device closes every handle), and comes back with an arrival, three times. Afterwards exactly
# one reader has the mouse open and each report is handled once. Runs inside the environment of
# scripts/lib.sh's mon_start_wine.
#   mouse_gone_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/gone.XXXXXX")
source "$(dirname "$0")/checks.sh"
pids=()

cleanup() {
  stop_feeder_and_programs
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
# logged_times VALUE: how often the configuration program got status value VALUE
logged_times() { tr -d '\r' 2>/dev/null <"$work/KORVALDZ314.log" | grep -cx "msg=7042 wParam=$1 lParam=0"; }
logged_once() { [ "$(logged_times "$1")" = 1 ]; }
# One reader's handle open; the device walk before it opens and closes one more.
one_reader() {
  local answer
  answer=$(feed 'wait gonemouse 1 2')
  # A handle of the walk may still be open (live=1 total=1): only the reader's counts.
  [ "$answer" = ok ] || { [[ "$answer" == "timeout live=1 total="* ]] && [ "${answer##*=}" -ge 2 ]; }
}

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/KORVALDZ314.EXE "$companions"/setupapi.dll "$companions"/hid.dll \
  "$companions"/desktop_driver.exe "$work"/
export WINEDLLOVERRIDES="hid,setupapi=n,b;${WINEDLLOVERRIDES:-}"
export MON_SIMULATED_HID='gonemouse|HID\VID_1234&PID_5678&MI_01&Col02|FFA0:1|8:9:65|16'
coproc FEED { wine "$companions/hid_pipe_feeder.exe" 2>/dev/null; }
check "feeder serves the mouse" test "$(feed 'serve gonemouse')" = ok
wine "$work/KORVALDZ314.EXE" --hidden 2>/dev/null &
pids+=($!)
until_true 20 wine "$work/KORVALDZ314.EXE" --stall 0 2>/dev/null
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
pids+=($!)
check "the monitor opens the mouse" until_true 40 one_reader
feed 'send gonemouse 0802100000000000' >/dev/null
check "a report before: handled once" until_true 10 logged_once 16

for round in 1 2 3; do
  check "round $round: the mouse goes away in the middle of a read" test "$(feed 'close gonemouse')" = ok
  check "  ... and comes back" test "$(feed 'serve gonemouse')" = ok
  check "  ... the arrival reaches the monitor" driver device-arrival TuiHIDEventWindow
  check "  ... one reader has it open afterwards" until_true 40 one_reader
  value=$((16 + round))
  feed "send gonemouse 0802$(printf '%02X' "$value")0000000000" >/dev/null
  check "  ... a report is handled once" until_true 10 logged_once "$value"
done
sleep 1
check "no report was handled twice" test "$(tr -d '\r' <"$work/KORVALDZ314.log" | grep '^msg=7042' |
  sort | uniq -d | wc -l)" = 0

echo "$failures failed"
[ "$failures" -eq 0 ]
