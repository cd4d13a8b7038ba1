#!/usr/bin/env bash
# End to end under Wine: the real monitor with the stand-in configuration program and a
# simulated mouse (substitute SetupApi.dll/HID.dll whose device is a named pipe fed by
# hid_pipe_feeder.exe), checked from outside: registry values, the stand-in's message log and
# exit codes. Runs inside the environment of scripts/lib.sh's mon_start_wine.
#   monitor_e2e.sh MONITOR_DIR STANDIN_EXE SUBSTITUTE_DIR FEEDER_EXE
set -uo pipefail
monitor_dir=$1 standin=$2 substitutes=$3 feeder=$4
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/e2e.XXXXXX")
failures=0
pids=()

cleanup() {
  [ -n "${FEED_PID:-}" ] && { echo quit >&"${FEED[1]}"; } 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

say() { [ -n "${MON_DEMO:-}" ] && echo "   $*"; return 0; }
show_state() {
  [ -n "${MON_DEMO:-}" ] || return 0
  echo "   registry HKCU\\software\\KORVALDZ314GM:"
  wine reg query "$key" 2>/dev/null | tr -d '\r' | grep -E 'REG_' | cut -c1-90 | sed 's/^/     /'
  echo "   the configuration program received:"
  tr -d '\r' <"$work/KORVALDZ314.log" 2>/dev/null | sed 's/^/     /'
}

check() {  # check NAME COMMAND...: one verdict line per check
  local name=$1
  shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}

# until_true SECONDS COMMAND...: polls COMMAND every 0.1 s
until_true() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

key=$(printf 'HKCU\\software\\KORVALDZ314GM')
profile_id_is() { wine reg query "$key" /v ProfileID 2>/dev/null | grep -q "0x$1\b"; }
value_exists() { wine reg query "$key" /v "$1" >/dev/null 2>&1; }
logged() { tr -d '\r' <"$work/KORVALDZ314.log" 2>/dev/null | grep -qx "$1"; }
feed() {  # feed COMMAND: one command to the feeder, its answer on stdout
  echo "$1" >&"${FEED[1]}"
  local answer
  read -r -t 20 answer <&"${FEED[0]}"
  echo "$answer"
}

cp -r "$monitor_dir"/. "$work"/
cp "$standin" "$work"/
cp "$substitutes"/setupapi.dll "$substitutes"/hid.dll "$work"/
export WINEDLLOVERRIDES="hid,setupapi=n,b;${WINEDLLOVERRIDES:-}"
export MON_SIMULATED_HID='e2emouse|HID\VID_1234&PID_5678&MI_01&Col02|FFA0:1|8:9:65|16'

coproc FEED { wine "$feeder" 2>/dev/null; }
check "feeder serves the mouse" test "$(feed 'serve e2emouse')" = ok

wine "$work/KORVALDZ314.EXE" --hidden 2>/dev/null &
pids+=($!)
until_true 20 wine "$work/KORVALDZ314.EXE" --stall 0 2>/dev/null
cd /  # the monitor must not depend on its working folder
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
monitor=$!
pids+=($monitor)

check "first start writes the group and all-settings records" \
  until_true 20 value_exists ProfileSettingGroup.pfd
check "  ... and the all-settings record" value_exists allsettings.pfd
# One handle of the monitor's reader is open (the device walk opens and closes one before it, so
# the count of opens is 2); the feeder waits up to 10 s per call.
mouse_opened() {
  local answer
  answer=$(feed 'wait e2emouse 1 2')
  [ "$answer" = ok ] || [[ "$answer" == "timeout live=1 "* ]]
}
check "the monitor opens the mouse after the arrival delay" until_true 40 mouse_opened

timeout 30 wine "$work/KORVALDZ314MON.EXE" 2>/dev/null
check "a second start ends at once with exit code 0" test $? -eq 0
check "  ... and the first keeps running" kill -0 "$monitor"

say "the mouse reports: profile 4 selected (08 01 03)"
feed 'send e2emouse 0801030000000000' >/dev/null
check "profile selection 08 01 03 writes ProfileID 3" until_true 10 profile_id_is 3
check "  ... and sends 7040 with wParam 3" until_true 10 logged "msg=7040 wParam=3 lParam=0"

say "the mouse reports: status value 0x2A (08 02 2A)"
feed 'send e2emouse 08022A0000000000' >/dev/null
check "status 08 02 2A posts 7042 with 0x2A" until_true 10 logged "msg=7042 wParam=42 lParam=0"

say "the configuration program announces a profile change (7035, lParam 2)"
wine "$work/KORVALDZ314.EXE" --send 7035 2 2>/dev/null
check "7035 with lParam 2 writes ProfileID 2" until_true 10 profile_id_is 2

# A configuration program that hangs in its 7040 handler must not stop the next report.
say "the configuration program hangs in its next 7040 handler for 8 s"
wine "$work/KORVALDZ314.EXE" --stall 8000 2>/dev/null
feed 'send e2emouse 0801010000000000' >/dev/null
check "a stalled 7040 handler still gets the selection" until_true 10 profile_id_is 1
started=$SECONDS
feed 'send e2emouse 0801040000000000' >/dev/null
check "  ... and the next report is handled before the stall ends" until_true 7 profile_id_is 4
check "  ... within the send time-out" test $((SECONDS - started)) -lt 7

show_state
echo "$failures failed"
[ "$failures" -eq 0 ]
