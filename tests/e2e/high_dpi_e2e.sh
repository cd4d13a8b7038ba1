#!/usr/bin/env bash
# Under Wine at 150 %: the monitor in a fresh prefix of its own whose system resolution is 144
# DPI (LogPixels), set before any Wine program of that prefix runs. Wine 8 takes every program as
# aware of each monitor's resolution and reads LogPixels when a program starts; the desktop
# process that draws the tray keeps the resolution it started with, so it is started after the
# value is in place. Checks from outside: the About panel's client area is 756 x 600, its OK
# button sits at 1.5 times its place, and the tray icon follows a switch of the taskbar's
# colours. With MON_DEMO_SHOTS (a folder) it saves the panel there as about_panel_150.png.
# Runs inside the environment of scripts/lib.sh's mon_start_wine (its display; its prefix is
# left alone).
#   high_dpi_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/high_dpi.XXXXXX")
source "$(dirname "$0")/checks.sh"
monitor=""

export WINEPREFIX="$work/prefix"
cleanup() {
  wine "$work/KORVALDZ314.EXE" --quit >/dev/null 2>&1
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
  wait 2>/dev/null
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
client_size_is() { [ "$(driver window-client-size TKORVALDZ314MONMAIN | tr -d '\r')" = "$1" ]; }
hidden() { ! driver window-visible TKORVALDZ314MONMAIN; }
tray_icons_are() { [ "$(driver tray-icon-count | tr -d '\r')" = "$1" ]; }
tray_glyph_is() { [ "$(driver tray-icon-glyph | tr -d '\r')" = "$1" ]; }
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
light_taskbar() {  # light_taskbar 1|0: the user switches, Windows tells every window
  wine reg add "$personalize" /v SystemUsesLightTheme /t REG_DWORD /d "$1" /f >/dev/null 2>&1 &&
    driver broadcast-setting ImmersiveColorSet
}

wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
check "the prefix's resolution is 144 DPI" \
  bash -c "wine reg query 'HKCU\\Control Panel\\Desktop' /v LogPixels 2>/dev/null | grep -qi 0x90"
# As in mon_start_wine: the wineserver and the desktop process started here, not by a test's
# program (whose output pipes they would keep open).
wineserver -p >>"$work/wineboot.log" 2>&1
wine cmd /c exit >>"$work/wineboot.log" 2>&1

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/desktop_driver.exe "$companions"/KORVALDZ314.EXE "$work"/
# The stand-in configuration program, to switch the texts to English as the 100 % picture of the
# demo has them (the prefix has no Chinese font).
wine "$work/KORVALDZ314.EXE" --hidden 2>/dev/null &
until_true 20 wine "$work/KORVALDZ314.EXE" --stall 0 2>/dev/null
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
monitor=$!
check "the monitor's icon shows" until_true 30 tray_icons_are 1
check "  ... a white mouse on the dark taskbar (no colours stored)" tray_glyph_is light
records_written() { wine reg query 'HKCU\software\KORVALDZ314GM' /v allsettings.pfd >/dev/null 2>&1; }
until_true 20 records_written
wine "$work/KORVALDZ314.EXE" --set-language 1 2>/dev/null &&
  wine "$work/KORVALDZ314.EXE" --send 7037 0 2>/dev/null
check "the texts are switched to English" test $? -eq 0

driver window-show TKORVALDZ314MONMAIN
check "the About panel shows" until_true 10 driver window-visible TKORVALDZ314MONMAIN
check "  ... with a client area of 756 x 600 (504 x 400 at 150 %)" client_size_is "756 600"
if [ -n "${MON_DEMO_SHOTS:-}" ]; then
  sleep 0.5  # painted
  driver screenshot "$(winepath -w "$MON_DEMO_SHOTS/about_panel_150.png")" window \
    TKORVALDZ314MONMAIN && echo "   picture: $MON_DEMO_SHOTS/about_panel_150.png"
fi
# OK is at 208, 325 (94 x 27) at 100 %: 312, 488 (141 x 41) here; its centre, 382, 508, lies
# outside the 100 % button.
driver window-click TKORVALDZ314MONMAIN 382 508
check "  ... and its OK button, at 1.5 times its place, hides it" until_true 10 hidden

check "the taskbar turns light" light_taskbar 1
check "  ... the tray icon shows a dark mouse" until_true 10 tray_glyph_is dark
check "the taskbar turns dark again" light_taskbar 0
check "  ... the tray icon shows a white mouse" until_true 10 tray_glyph_is light

driver window-send TKORVALDZ314MONMAIN 22 1 0 >/dev/null
check "the monitor ends with the logon" until_true 10 ended "$monitor"
echo "$failures failed"
[ "$failures" -eq 0 ]
