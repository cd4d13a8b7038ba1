#!/usr/bin/env bash
# Under Wine: the notification area is made again. A new taskbar knows none of the icons and
# broadcasts "TaskbarCreated"; played here by taking the monitor's icon out behind its back and
# sending that broadcast. The icon must be back within 2 s, once; and a broadcast while the icon
# is still there must not double it. (Ending Wine's desktop process does not bring a new tray in
# this Wine: no new desktop process is started in the same desktop.) Runs inside the
# environment of scripts/lib.sh's mon_start_wine.
#   taskbar_recreated_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/taskbar.XXXXXX")
source "$(dirname "$0")/checks.sh"
monitor=""
tray_icon_id=1

cleanup() {
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
tray_icons_are() { [ "$(driver tray-icon-count | tr -d '\r')" = "$1" ]; }

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/desktop_driver.exe "$work"/
before=$(driver tray-icon-count | tr -d '\r')
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
monitor=$!
check "the monitor's icon shows" until_true 30 tray_icons_are $((before + 1))

check "a broadcast reaches the windows while the icon is there" \
  driver broadcast-registered TaskbarCreated
sleep 1
check "  ... the icon is there once" tray_icons_are $((before + 1))

for round in 1 2; do
  check "round $round: the icon is taken out" driver tray-forget TKORVALDZ314MONMAIN "$tray_icon_id"
  check "  ... a notification area without it" until_true 2 tray_icons_are "$before"
  driver broadcast-registered TaskbarCreated
  check "  ... after \"TaskbarCreated\" the icon is back within 2 s" \
    until_true 2 tray_icons_are $((before + 1))
  sleep 1
  check "  ... once" tray_icons_are $((before + 1))
done

driver window-send TKORVALDZ314MONMAIN 22 1 0 >/dev/null
check "the monitor ends with the logon" until_true 10 ended "$monitor"
echo "$failures failed"
[ "$failures" -eq 0 ]
