#!/usr/bin/env bash
# Under Wine: 10 000 status reports in a burst from the simulated mouse, with reports of every
# wrong size among them (empty to 16 bytes, the declared 8 excepted). Among the well-formed ones
# nothing is lost or doubled (each posts its value to the configuration program once, counted
# value by value); nothing of the malformed ones reaches it; the monitor's private memory after a second burst is where the first left it.
# Runs inside the environment of scripts/lib.sh's mon_start_wine.
#   report_burst_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/burst.XXXXXX")
source "$(dirname "$0")/checks.sh"
pids=()
burst=${MON_BURST_REPORTS:-10000}

cleanup() {
  stop_feeder_and_programs
  rm -rf "$work"
}
trap cleanup EXIT

log_lines() { tr -d '\r' 2>/dev/null <"$work/KORVALDZ314.log" | grep -c '^msg=7042 '; }
log_lines_are() { [ "$(log_lines)" = "$1" ]; }
mouse_opened() {
  local answer
  answer=$(feed 'wait burstmouse 1 2')
  # A handle of the walk may still be open (live=1 total=1): only the reader's counts.
  [ "$answer" = ok ] || { [[ "$answer" == "timeout live=1 total="* ]] && [ "${answer##*=}" -ge 2 ]; }
}
# The monitor's Wine process and its private memory (KiB).
monitor_pid() {
  local pid
  for pid in $(pgrep -f 'KORVALDZ314MON.EXE'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      { echo "$pid"; return 0; }
  done
}
private_kib() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$1/smaps_rollup"; }

# wrong_report SIZE: a status report of the value FF cut or padded to SIZE bytes (hex; "-":
# empty). HID never returns more than the declared length, but a device or driver that misbehaves
# can, and so can the simulated device's message pipe.
wrong_report() {
  local hex=0802FF0000000000FFFFFFFFFFFFFFFF
  (($1 == 0)) && { echo -; return; }
  echo "${hex:0:$((2 * $1))}"
}
# send_burst FIRST COUNT: status reports 08 02 VV for report numbers FIRST.. (VV: the number
# modulo 256), every 97th followed by one of a wrong size (0..7 and 9..16 bytes, in turn). Sent
# in chunks whose answers are read before the next, so neither pipe to the feeder fills up.
send_burst() {
  local i value size sent=0 chunk
  for ((i = $1; i < $1 + $2; i++)); do
    printf -v value '%02X' $((i % 256))
    echo "send burstmouse 0802${value}0000000000" >&"${FEED[1]}"
    sent=$((sent + 1))
    if ((i % 97 == 0)); then
      size=$((i / 97 % 16))
      ((size >= 8)) && size=$((size + 1))
      echo "send burstmouse $(wrong_report "$size")" >&"${FEED[1]}"
      sent=$((sent + 1))
    fi
    if ((sent >= 500 || i == $1 + $2 - 1)); then
      for ((chunk = 0; chunk < sent; chunk++)); do read -r -t 20 _ <&"${FEED[0]}" || break; done
      sent=0
    fi
  done
}

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/KORVALDZ314.EXE "$companions"/setupapi.dll "$companions"/hid.dll "$work"/
export WINEDLLOVERRIDES="hid,setupapi=n,b;${WINEDLLOVERRIDES:-}"
export MON_SIMULATED_HID='burstmouse|HID\VID_1234&PID_5678&MI_01&Col02|FFA0:1|8:9:65|16'
coproc FEED { wine "$companions/hid_pipe_feeder.exe" 2>/dev/null; }
check "feeder serves the mouse" test "$(feed 'serve burstmouse')" = ok
wine "$work/KORVALDZ314.EXE" --hidden 2>/dev/null &
pids+=($!)
until_true 20 wine "$work/KORVALDZ314.EXE" --stall 0 2>/dev/null
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
pids+=($!)
check "the monitor opens the mouse" until_true 40 mouse_opened

start=$SECONDS
send_burst 0 "$burst"
check "a burst of $burst reports: each posted once" until_true 120 log_lines_are "$burst"
echo "   the burst took $((SECONDS - start)) s"
expected=$(for ((i = 0; i < burst; i++)); do echo $((i % 256)); done | sort -n | uniq -c)
counted=$(tr -d '\r' <"$work/KORVALDZ314.log" | sed -n 's/^msg=7042 wParam=\([0-9]*\) .*/\1/p' |
  sort -n | uniq -c)
check "  ... value by value, none lost or doubled, none of the wrong size" \
  test "$expected" = "$counted"
pid=$(monitor_pid)
first=$(private_kib "$pid")
send_burst "$burst" "$burst"
check "a second burst: each posted once" until_true 120 log_lines_are $((2 * burst))
second=$(private_kib "$pid")
echo "   private memory after the first burst $first KiB, after the second $second KiB"
check "  ... memory flat (within 256 KiB)" test $((second - first)) -le 256

echo "$failures failed"
[ "$failures" -eq 0 ]
