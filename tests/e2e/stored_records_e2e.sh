#!/usr/bin/env bash
# Under Wine: the monitor starts on stored records that are of the wrong type, too short, too
# long (up to 64 MiB) or random, runs, ends, and leaves every value it did not mean to write byte
# for byte as it was. What a start may write: the profile group and the all-settings record, and
# only where the stored one cannot be used (missing, not binary, or larger than the 16 MiB a
# stored record may be); then they are binary records of their size.
# Runs inside the environment of scripts/lib.sh's mon_start_wine.
#   stored_records_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/records.XXXXXX")
source "$(dirname "$0")/checks.sh"
monitor=""
key='software\KORVALDZ314GM'
group=ProfileSettingGroup.pfd group_bytes=30964
settings=allsettings.pfd

cleanup() {
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
  wait 2>/dev/null
  wine reg delete "HKCU\\$key" /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
values() { wine "$work/reg_values.exe" "$@" 2>/dev/null | tr -d '\r'; }
tray_icons_are() { [ "$(driver tray-icon-count | tr -d '\r')" = "$1" ]; }
# unchanged BEFORE AFTER [NAME...]: the digests agree on every value but the NAMEs
unchanged() {
  local before=$1 after=$2 pattern='^$' name
  shift 2
  for name in "$@"; do pattern="$pattern|^$name "; done
  diff <(grep -Ev "$pattern" <<<"$before") <(grep -Ev "$pattern" <<<"$after") >&2
}
# binary_record DIGEST NAME SIZE: NAME is now a binary value of SIZE bytes
binary_record() { grep -q "^$2 3 $3 " <<<"$1"; }

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/desktop_driver.exe "$companions"/reg_values.exe "$work"/
icons=$(driver tray-icon-count | tr -d '\r')

# run_case NAME "VALUE TYPE SIZE"...: plants the values (with the same seed each), starts the
# monitor, waits until it is up, ends it with the logon, and checks the values.
run_case() {
  local name=$1 planted value type size seed=1 rewritten=()
  shift
  wine reg delete "HKCU\\$key" /f >/dev/null 2>&1
  for planted in "$@"; do
    read -r value type size <<<"$planted"
    values set "$key" "$value" "$type" "$size" $((seed++))
    if [ "$value" = "$group" ] || [ "$value" = "$settings" ]; then
      [ "$type" != 3 ] || [ "$size" -gt $((16 * 1024 * 1024)) ] && rewritten+=("$value")
    fi
  done
  local before after
  before=$(values digest "$key")
  wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
  monitor=$!
  check "$name: the monitor starts (its tray icon)" until_true 60 tray_icons_are $((icons + 1))
  sleep 2  # the device and the microphone are opened after the icon shows
  driver window-send TKORVALDZ314MONMAIN 22 1 0 >/dev/null
  check "$name:   ... and ends with the logon" until_true 30 ended "$monitor"
  monitor=""
  after=$(values digest "$key")
  check "$name:   ... every value it did not mean to write is as it was" \
    unchanged "$before" "$after" "${rewritten[@]}"
  for value in "${rewritten[@]}"; do
    [ "$value" = "$group" ] && size=$group_bytes || size='[0-9]*'
    check "$name:   ... $value is a binary record again" binary_record "$after" "$value" "$size"
  done
}

others=("Profile1.pfd 3 1000" "Profile3.pfd 1 64" "RecordRPROFILE.pfd 4 4" "ProfileID 1 12"
  "Unrelated 3 333")
run_case "wrong type" "$group 1 $group_bytes" "$settings 4 4" "Profile2.pfd 4 4" "${others[@]}"
run_case "too short" "$group 3 $((group_bytes - 1))" "$settings 3 10" "Profile2.pfd 3 5" \
  "${others[@]}"
run_case "too long" "$group 3 $((64 * 1024 * 1024))" "$settings 3 300000" \
  "Profile2.pfd 3 500000" "${others[@]}"
run_case "random" "$group $((RANDOM % 2 * 2 + 1)) $((RANDOM * 3))" \
  "$settings $((RANDOM % 4 + 1)) $((RANDOM * 5))" "Profile2.pfd 3 $((RANDOM * 4))" \
  "Profile4.pfd 3 $RANDOM" "${others[@]}"

echo "$failures failed"
[ "$failures" -eq 0 ]
