#!/usr/bin/env bash
# Under Wine: libraries planted in the folder the monitor is started from, under the names of
# the libraries it loads itself (its hook library, the HID class and SetupAPI libraries, COM and
# the multimedia library it binds at run time), are never loaded: the monitor takes its hook
# library from its own folder and the system's from the system folder. A planted library marks
# its own loading with a file beside it (the marker is shown to work first). Runs inside the
# environment of scripts/lib.sh's mon_start_wine.
#   planted_libraries_e2e.sh MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
monitor_dir=$1 companions=$2
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/planted.XXXXXX")
source "$(dirname "$0")/checks.sh"
monitor=""
planted=(uiHook.dll hid.dll HID.DLL SetupApi.dll setupapi.dll ole32.dll winmm.dll)

cleanup() {
  [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
tray_icons_are() { [ "$(driver tray-icon-count | tr -d '\r')" = "$1" ]; }
has_records() {
  wine reg query 'HKCU\software\KORVALDZ314GM' /v allsettings.pfd >/dev/null 2>&1
}
no_markers() { [ -z "$(ls "$work/current" | grep '^loaded-')" ]; }

mkdir -p "$work/app" "$work/current" "$work/control"
cp -r "$monitor_dir"/. "$work/app"/
cp "$companions"/desktop_driver.exe "$work"/
for name in "${planted[@]}"; do
  cp "$companions/planted_library.dll" "$work/current/$name"
done

cp "$companions/planted_library.dll" "$work/control/marker_check.dll"
(cd "$work/control" && wine rundll32 marker_check.dll,none >/dev/null 2>&1)
check "a loaded planted library leaves its marker" test -e "$work/control/loaded-marker_check.dll.txt"

icons_before=$(driver tray-icon-count | tr -d '\r')
(cd "$work/current" && exec wine "$work/app/KORVALDZ314MON.EXE" 2>/dev/null) &
monitor=$!
check "the monitor starts from a folder full of planted libraries (its tray icon)" \
  until_true 30 tray_icons_are $((icons_before + 1))
check "  ... and keeps its records" until_true 10 has_records
sleep 3  # the device and the microphone are opened after the icon shows
check "no planted library was loaded" no_markers
ls "$work/current" | grep '^loaded-' | sed 's/^/   loaded: /'
driver window-send TKORVALDZ314MONMAIN 22 1 0 >/dev/null
check "the monitor ends with the logon" until_true 10 ended "$monitor"

echo "$failures failed"
[ "$failures" -eq 0 ]
