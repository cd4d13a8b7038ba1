#!/usr/bin/env bash
# Under Wine on a Chinese system (code page 936): a config.ini written in that code page without
# a byte-order mark names the profile registry folder "KV鼠标", and the monitor keeps its records
# exactly there, where the configuration program (reading the file with the system's INI
# functions) looks for them. Runs inside the environment of scripts/lib.sh's mon_start_wine.
#   config_codepage_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/codepage.XXXXXX")
source "$(dirname "$0")/checks.sh"
monitor=""

cleanup() {
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
  wait 2>/dev/null
  LC_ALL=C.UTF-8 wine reg delete 'HKCU\software\KV鼠标' /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# Non-ASCII arguments reach Wine's programs as UTF-8.
lacks_key() { ! LC_ALL=C.UTF-8 wine reg query "$1" >/dev/null 2>&1; }
has_records() {
  LC_ALL=C.UTF-8 wine reg query "$1" /v ProfileSettingGroup.pfd >/dev/null 2>&1 &&
    LC_ALL=C.UTF-8 wine reg query "$1" /v allsettings.pfd >/dev/null 2>&1
}

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/desktop_driver.exe "$work"/
# "KV鼠标" in GBK: 鼠 = CA F3, 标 = B1 EA.
printf '[options]\r\nProfileRegFolder=KV\xca\xf3\xb1\xea\r\n' >"$work/config.ini"

LC_ALL=zh_CN.GBK wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
monitor=$!
check "the records land under HKCU\\software\\KV鼠标" until_true 30 has_records 'HKCU\software\KV鼠标'
check "  ... and not under the Windows-1252 reading of the name" lacks_key 'HKCU\software\KVÊó±ê'
wine "$work/desktop_driver.exe" window-send TKORVALDZ314MONMAIN 22 1 0 >/dev/null 2>&1
check "the monitor ends with the logon" until_true 10 ended "$monitor"

echo "$failures failed"
[ "$failures" -eq 0 ]
