#!/usr/bin/env bash
# The Windows release under Wine, checked from outside: a silent install into a folder with
# spaces and a non-ASCII letter, the Run value and the uninstall entry, the monitor started as
# the Run value says, an upgrade over that running monitor (it is asked to end, the configuration
# program hears 7036 once, the locked files are replaced, a monitor runs again, the profile
# records stay byte for byte), and a silent uninstall (files, Run value and entry gone, records
# kept). Prints the install and upgrade times. Runs inside the environment of scripts/lib.sh's
# mon_start_wine.
#   installer_e2e.sh SETUP_EXE MONITOR_DIR COMPANIONS_DIR
set -uo pipefail
setup=$1 monitor_dir=$2 companions=$3
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/installer.XXXXXX")
source "$(dirname "$0")/checks.sh"
export LC_ALL=C.UTF-8  # non-ASCII paths reach Wine's programs as UTF-8
pids=()

folder='C:\users\Public\Mouse Tools Ö\KORVALDZ314'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
entry_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KORVALDZ314MON'
records_key='HKCU\software\KORVALDZ314GM'

cleanup() {
  wine "$work/KORVALDZ314.EXE" --quit >/dev/null 2>&1
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
# reg_value KEY NAME: a value as reg export writes it (strings unescaped; dword:XXXXXXXX).
reg_value() {
  local file="$work/export.reg"
  rm -f "$file"
  wine reg export "$1" "$(winepath -w "$file")" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed -n "s/^\"$2\"=//p" |
    sed -e 's/^"\(.*\)"$/\1/' -e 's/\\"/"/g' -e 's/\\\\/\\/g'
}
has_value() { [ -n "$(reg_value "$1" "$2")" ]; }
lacks_key() { ! wine reg query "$1" >/dev/null 2>&1; }
records() { wine reg query "$records_key" 2>/dev/null | tr -d '\r' | sort; }
has_records() { records | grep -q 'allsettings.pfd' && records | grep -q 'ProfileSettingGroup.pfd'; }
installed() { [ -f "$unix_folder/$1" ]; }
same_file() { cmp -s "$1" "$2"; }
gone() { [ ! -e "$unix_folder" ]; }
logged_times() { tr -d '\r' 2>/dev/null <"$work/KORVALDZ314.log" | grep -cxF "$1"; }
monitors_are() { [ "$(driver window-count TKORVALDZ314MONMAIN | tr -d '\r')" = "$1" ]; }
tray_icons_are() { [ "$(driver tray-icon-count | tr -d '\r')" = "$1" ]; }
milliseconds() { date +%s%3N; }

cp "$setup" "$work/setup.exe"
cp "$companions"/desktop_driver.exe "$companions"/KORVALDZ314.EXE "$work"/
setup_win=$(winepath -w "$work/setup.exe")
unix_folder=$(winepath -u "$folder")

echo "installer: $(stat -c %s "$setup") bytes"
check "the installer carries its version information" \
  bash -c "wine '$work/desktop_driver.exe' file-version '$setup_win' 2>/dev/null |
           tr -d '\r' | grep -qx 'FileVersion=[0-9.]*'"

# A silent install; /D= must be last and unquoted.
started=$(milliseconds)
driver run "\"$setup_win\" /S /D=$folder"
check "the silent install succeeds" test $? -eq 0
echo "install took $(($(milliseconds) - started)) ms"
for file in KORVALDZ314MON.EXE uiHook.dll config.ini LanguageTranslate.exe \
  images/0409/icons/logo.ico images/0409/icons/logo_muted.ico \
  images/0409/icons/logo_light_taskbar.ico images/0409/icons/logo_muted_light_taskbar.ico \
  uninstall.exe; do
  check "  ... installs $file in the chosen folder" installed "$file"
done
check "  ... the monitor as built" same_file "$unix_folder/KORVALDZ314MON.EXE" \
  "$monitor_dir/KORVALDZ314MON.EXE"
for file in KORVALDZ314MON.EXE uiHook.dll; do
  check "  ... $file carries its version information" \
    bash -c "wine '$work/desktop_driver.exe' file-version '$folder\\$file' 2>/dev/null |
             tr -d '\r' | grep -qx 'FileVersion=[0-9.]*'"
done
run_value=$(reg_value "$run_key" KORVALDZ314MON)
check "the Run value starts the installed monitor" \
  test "$run_value" = "\"$folder\\KORVALDZ314MON.EXE\""
check "the uninstall entry names the product" test -n "$(reg_value "$entry_key" DisplayName)"
check "  ... its version" \
  bash -c "wine '$work/desktop_driver.exe' file-version '$setup_win' 2>/dev/null | tr -d '\r' |
           grep -qx 'ProductVersion=$(reg_value "$entry_key" DisplayVersion)'"
check "  ... its publisher" test -n "$(reg_value "$entry_key" Publisher)"
check "  ... its icon" test "$(reg_value "$entry_key" DisplayIcon)" = "$folder\\KORVALDZ314MON.EXE,0"
check "  ... its folder" test "$(reg_value "$entry_key" InstallLocation)" = "$folder"
check "  ... how to uninstall" \
  test "$(reg_value "$entry_key" UninstallString)" = "\"$folder\\uninstall.exe\""
quiet=$(reg_value "$entry_key" QuietUninstallString)
check "  ... and how to uninstall silently" test "$quiet" = "\"$folder\\uninstall.exe\" /S"
check "  ... its size" bash -c "[ \$((16#$(reg_value "$entry_key" EstimatedSize | sed 's/dword://'))) -gt 1000 ]"
check "  ... no modify, no repair" \
  test "$(reg_value "$entry_key" NoModify)$(reg_value "$entry_key" NoRepair)" = \
  "dword:00000001dword:00000001"

# The logon: the monitor as the Run value starts it, and the configuration program.
wine "$work/KORVALDZ314.EXE" --hidden >/dev/null 2>&1 &
pids+=($!)
until_true 20 wine "$work/KORVALDZ314.EXE" --stall 0 2>/dev/null
driver start "$run_value"
check "the monitor started by the Run value shows its tray icon" until_true 20 tray_icons_are 1
check "  ... and keeps its profile records" until_true 20 has_records
before=$(records)

# Marks on the running monitor's locked files: the upgrade must replace them.
printf 'mark' >>"$unix_folder/KORVALDZ314MON.EXE" 2>/dev/null
printf 'mark' >>"$unix_folder/uiHook.dll" 2>/dev/null
started=$(milliseconds)
driver run "\"$setup_win\" /S"
check "an upgrade over the running monitor succeeds" test $? -eq 0
echo "upgrade took $(($(milliseconds) - started)) ms"
check "  ... after the monitor was asked to end (7036 once)" \
  test "$(logged_times 'msg=7036 wParam=0 lParam=0')" = 1
check "  ... replaces the monitor" same_file "$unix_folder/KORVALDZ314MON.EXE" \
  "$monitor_dir/KORVALDZ314MON.EXE"
check "  ... and the hook library" same_file "$unix_folder/uiHook.dll" "$monitor_dir/uiHook.dll"
check "  ... and starts the new monitor again" until_true 20 monitors_are 1
check "  ... with its tray icon" until_true 20 tray_icons_are 1
check "  ... and the profile records as they were, byte for byte" test "$(records)" = "$before"

started=$(milliseconds)
driver run "$quiet"
check "the silent uninstall succeeds" test $? -eq 0
check "  ... and removes the files and the folder" until_true 30 gone
echo "uninstall took $(($(milliseconds) - started)) ms"
check "  ... after ending the monitor (7036 again)" \
  test "$(logged_times 'msg=7036 wParam=0 lParam=0')" = 2
check "  ... no monitor runs" monitors_are 0
check "  ... the Run value is gone" bash -c "! wine reg query '$run_key' /v KORVALDZ314MON >/dev/null 2>&1"
check "  ... the uninstall entry is gone" lacks_key "$entry_key"
check "  ... the profile records stay" test "$(records)" = "$before"

# Asked to (the box on its page, or /REMOVEPROFILES), the uninstaller also removes the profiles:
# the records and the profile files of config.ini's folders, nothing else.
documents=$(readlink -f "$(winepath -u "$(wine cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')")/Documents")
mkdir -p "$documents/Profile/Profile1_Macros"
printf 'p' >"$documents/Profile/Profile1.pfd"
printf 'm' >"$documents/Profile/Profile1_Macros/m1"
printf 'n' >"$documents/Profile/notes.txt"
driver run "\"$setup_win\" /S /D=$folder"
driver run "\"$folder\\uninstall.exe\" /S /REMOVEPROFILES"
check "an uninstall with /REMOVEPROFILES removes the files" until_true 30 gone
check "  ... the profile records" lacks_key "$records_key"
check "  ... the profile files" test ! -e "$documents/Profile/Profile1.pfd"
check "  ... and their macro folders" test ! -e "$documents/Profile/Profile1_Macros"
check "  ... but not the user's other files there" test -f "$documents/Profile/notes.txt"

echo "$failures failed"
[ "$failures" -eq 0 ]
