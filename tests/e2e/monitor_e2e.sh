#!/usr/bin/env bash
# End to end under Wine: the real monitor with the stand-in configuration program, a simulated
# mouse (substitute SetupApi.dll/HID.dll whose device is a named pipe fed by hid_pipe_feeder.exe)
# and a simulated microphone (sim_microphone.dll registered as the audio device enumerator),
# driven through its tray icon and menu like a user, and checked from outside: registry values,
# the stand-in's message log, the microphone's state, windows and exit codes. Runs inside the
# environment of scripts/lib.sh's mon_start_wine. With MON_DEMO set it also narrates, and with
# MON_DEMO_SHOTS (a folder) it saves pictures of the tray menu and the About panel there.
#   monitor_e2e.sh MONITOR_DIR COMPANIONS_DIR   (COMPANIONS_DIR: build/<preset>/companions)
set -uo pipefail
monitor_dir=$1 companions=$2
feeder=$companions/hid_pipe_feeder.exe
microphone=$companions/sim_microphone.dll
work=$(mktemp -d "${MON_WINE_TMP:-/tmp}/e2e.XXXXXX")
source "$(dirname "$0")/checks.sh"
pids=()

# The system's audio device enumerator class, pointed at the simulated microphone for this test
# and given back its own server afterwards.
enumerator_key='HKLM\Software\Classes\CLSID\{BCDE0395-E52F-467C-8E3D-C4579291692E}\InprocServer32'
system_enumerator=$(wine reg query "$enumerator_key" /ve 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *(Default) *REG_SZ *//p')

cleanup() {
  [ -n "${FEED_PID:-}" ] && { echo quit >&"${FEED[1]}"; } 2>/dev/null
  wine "$work/KORVALDZ314.EXE" --quit >/dev/null 2>&1  # a copy the monitor started, if any
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "$system_enumerator" ] &&
    wine reg add "$enumerator_key" /ve /d "$system_enumerator" /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

say() { [ -n "${MON_DEMO:-}" ] && echo "   $*"; return 0; }
show_state() {
  [ -n "${MON_DEMO:-}" ] || return 0
  echo "   registry HKCU\\software\\KORVALDZ314GM:"
  local name type data
  wine reg query "$key" 2>/dev/null | tr -d '\r' | while read -r name type data; do
    case $type in
      REG_BINARY) printf '     %-26s a binary record of %d bytes\n' "$name" $((${#data} / 2)) ;;
      REG_DWORD) printf '     %-26s %d\n' "$name" "$data" ;;
    esac
  done
  echo "   the configuration program received:"
  tr -d '\r' <"$work/KORVALDZ314.log" 2>/dev/null | sed 's/^/     /'
  echo "   the microphone's endpoint was set to:"
  tr -d '\r' 2>/dev/null <"$work/microphone.log" | sed 's/^/     /'
  echo "   and is now: $( [ "$(cat "$work/microphone" 2>/dev/null)" = 1 ] && echo muted || echo not muted)"
}



key=$(printf 'HKCU\\software\\KORVALDZ314GM')
profile_id_is() { wine reg query "$key" /v ProfileID 2>/dev/null | grep -q "0x$1\b"; }
value_exists() { wine reg query "$key" /v "$1" >/dev/null 2>&1; }
logged() { tr -d '\r' 2>/dev/null <"$work/KORVALDZ314.log" | grep -qxF "$1"; }
logged_times() { tr -d '\r' 2>/dev/null <"$work/KORVALDZ314.log" | grep -cxF "$1"; }
mute_changes() { tr -d '\r' 2>/dev/null <"$work/microphone.log" | tr '\n' ' ' | sed 's/ $//'; }
mute_changes_are() { [ "$(mute_changes)" = "$1" ]; }
headset_changes_are() {
  [ "$(tr -d '\r' 2>/dev/null <"$work/microphone.headset.log" | tr '\n' ' ' | sed 's/ $//')" = "$1" ]
}
tray_state_is() { [ "$(driver tray-icon-state | tr -d '\r')" = "$1" ]; }
tray_glyph_is() { [ "$(driver tray-icon-glyph | tr -d '\r')" = "$1" ]; }
tray_is() { tray_state_is "$1" && tray_glyph_is "$2"; }  # tray_is muted|plain dark|light
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
light_taskbar() {  # light_taskbar 1|0: the user switches, Windows tells every window
  wine reg add "$personalize" /v SystemUsesLightTheme /t REG_DWORD /d "$1" /f >/dev/null 2>&1 &&
    driver broadcast-setting ImmersiveColorSet
}
driver() { wine "$work/desktop_driver.exe" "$@" 2>/dev/null; }
windows_of() { driver window-count "$1" | tr -d '\r'; }
windows_of_is() { [ "$(windows_of "$1")" = "$2" ]; }
hidden() { ! driver window-visible "$1"; }
tray_icons_are() { [ "$(driver tray-icon-count | tr -d '\r')" = "$1" ]; }
shot() {  # shot NAME ARGS...: a picture for the demo
  [ -n "${MON_DEMO_SHOTS:-}" ] || return 0
  driver screenshot "$(winepath -w "$MON_DEMO_SHOTS/$1")" "${@:2}" && say "picture: $MON_DEMO_SHOTS/$1"
}

cp -r "$monitor_dir"/. "$work"/
cp "$companions"/KORVALDZ314.EXE "$companions"/setupapi.dll "$companions"/hid.dll "$microphone" \
  "$companions"/desktop_driver.exe "$work"/
export WINEDLLOVERRIDES="hid,setupapi=n,b;${WINEDLLOVERRIDES:-}"
export MON_SIMULATED_HID='e2emouse|HID\VID_1234&PID_5678&MI_01&Col02|FFA0:1|8:9:65|16'
export MON_SIMULATED_MICROPHONE
MON_SIMULATED_MICROPHONE="$(winepath -w "$work")\microphone"
wine reg add "$enumerator_key" /ve /d "$(winepath -w "$work/$(basename "$microphone")")" /f \
  >/dev/null 2>&1
check "the simulated microphone is the system's capture endpoint" test -n "$system_enumerator"

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

if [ -n "${MON_DEMO_SHOTS:-}" ]; then
  say "the user opens the tray menu (in the stored language, Chinese) and closes it again"
  driver tray-click right
  shot tray_menu_chinese.png menu
  driver menu-close
fi

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

say "the user binds key 5 to the microphone mute in the configuration program (7035, lParam 2)"
wine "$work/KORVALDZ314.EXE" --bind-key 5 28 2>/dev/null
check "  (the configuration program stored the binding)" test $? -le 4
wine "$work/KORVALDZ314.EXE" --send 7035 2 2>/dev/null
check "7035 with lParam 2 writes ProfileID 2" until_true 10 profile_id_is 2

# Key 5 is bit 5 of the key report's mask; a release reports an empty mask.
press_key5() { feed 'send e2emouse 0720000000000000' >/dev/null; }
release_key() { feed 'send e2emouse 0700000000000000' >/dev/null; }
say "the mouse reports: key 5 pressed, released"
press_key5
check "the mute key mutes the microphone" until_true 10 mute_changes_are "SetMute 1"
check "  ... and the tray icon shows the muted mark" until_true 10 tray_state_is muted
shot notice.png tray
release_key
feed 'send e2emouse 08022B0000000000' >/dev/null  # a later report, to know the release is done
check "  ... and its release does nothing" until_true 10 logged "msg=7042 wParam=43 lParam=0"
check "  ... (still one change)" mute_changes_are "SetMute 1"
say "the mouse reports: key 5 pressed, released"
press_key5
release_key
check "a second press unmutes it" until_true 10 mute_changes_are "SetMute 1 SetMute 0"
check "  ... and the tray icon is plain again" until_true 10 tray_state_is plain
say "another program mutes the microphone"
elsewhere_ms=$(driver tray-after-write "$(winepath -w "$work/microphone")" 1 muted | tr -d '\r')
check "a change made elsewhere shows in the tray icon" test -n "$elsewhere_ms"
echo "   (the tray icon followed the change made elsewhere after ${elsewhere_ms:-?} ms)"
say "the mouse reports: key 5 pressed"
press_key5
check "a press after another program's change inverts the state as it then is" \
  until_true 10 mute_changes_are "SetMute 1 SetMute 0 SetMute 0"
check "  ... and the icon follows" until_true 10 tray_state_is plain

say "a muted headset becomes the default microphone; the mouse reports: key 5 pressed"
printf 1 >"$work/microphone.headset"
printf headset >"$work/microphone.default"
check "the tray icon shows the new default microphone's state" until_true 10 tray_state_is muted
shot tray_muted.png tray-hint
say "the user switches the taskbar to light colours and back, while muted"
check "  (a white mouse on the dark taskbar)" tray_glyph_is light
light_taskbar 1
check "a light taskbar gets the muted icon with a dark mouse" until_true 10 tray_is muted dark
light_taskbar 0
check "  ... and a dark one the muted icon with a white mouse again" \
  until_true 10 tray_is muted light
press_key5
check "  ... and the next press unmutes the new one" \
  until_true 10 headset_changes_are "SetMute 0"
check "  ... leaves the old one alone" mute_changes_are "SetMute 1 SetMute 0 SetMute 0"
check "  ... and the icon follows" until_true 10 tray_state_is plain
say "the user switches the taskbar to light colours and back, not muted"
light_taskbar 1
check "a light taskbar gets the plain icon with a dark mouse" until_true 10 tray_is plain dark
light_taskbar 0
check "  ... and a dark one the plain icon with a white mouse again" \
  until_true 10 tray_is plain light

# A configuration program that hangs in its 7040 handler must not stop the next report.
say "the configuration program hangs in its next 7040 handler for 8 s"
wine "$work/KORVALDZ314.EXE" --stall 8000 2>/dev/null
feed 'send e2emouse 0801010000000000' >/dev/null
check "a stalled 7040 handler still gets the selection" until_true 10 profile_id_is 1
started=$SECONDS
feed 'send e2emouse 0801040000000000' >/dev/null
check "  ... and the next report is handled before the stall ends" until_true 7 profile_id_is 4
check "  ... within the send time-out" test $((SECONDS - started)) -lt 7

say "the configuration program switches the language to English (7037)"
wine "$work/KORVALDZ314.EXE" --set-language 1 2>/dev/null &&
  wine "$work/KORVALDZ314.EXE" --send 7037 0 2>/dev/null
check "7037 is taken" test $? -eq 0

say "the user clicks the tray icon while the configuration program runs hidden"
check "  (the configuration program is hidden)" hidden TKORVALDZ314CFGMAIN
driver tray-click left
check "a tray click shows the running configuration program" \
  until_true 10 driver window-visible TKORVALDZ314CFGMAIN
check "  ... and starts no second copy" windows_of_is TKORVALDZ314CFGMAIN 1

say "the configuration program is closed; the user clicks the tray icon again"
wine "$work/KORVALDZ314.EXE" --quit 2>/dev/null
until_true 10 windows_of_is TKORVALDZ314CFGMAIN 0
driver tray-click left
check "a tray click with no configuration program starts it" \
  until_true 20 windows_of_is TKORVALDZ314CFGMAIN 1
check "  ... from the monitor's folder, in that folder" \
  until_true 10 logged "started in $(winepath -w "$work")"

say "the About panel (shown from outside: its menu item is hidden)"
# For the picture, the configuration program the tray click started goes out of the way: without
# a window manager its window stays over the middle of the screen, where the panel is.
[ -n "${MON_DEMO_SHOTS:-}" ] && driver window-hide TKORVALDZ314CFGMAIN
driver window-show TKORVALDZ314MONMAIN
check "the About panel shows" until_true 10 driver window-visible TKORVALDZ314MONMAIN
shot about_panel.png window TKORVALDZ314MONMAIN
driver window-click TKORVALDZ314MONMAIN 254 338
check "  ... and its OK button hides it" until_true 10 hidden TKORVALDZ314MONMAIN

say "the user opens the tray menu and chooses Exit"
driver tray-click right
shot tray_menu.png menu
driver menu-choose 1  # Config, Exit (About is hidden)
check "Exit ends the monitor" until_true 15 ended "$monitor"
check "  ... and tells the configuration program once (7036)" \
  test "$(logged_times 'msg=7036 wParam=0 lParam=0')" = 1
check "  ... and its tray icon is gone" until_true 10 tray_icons_are 0

say "the monitor is started again"
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
restarted=$!
pids+=($restarted)
check "after Exit a new start succeeds" until_true 20 windows_of_is TKORVALDZ314MONMAIN 1
check "  ... and keeps running" kill -0 "$restarted"
check "  ... with its tray icon" until_true 10 tray_icons_are 1

say "Windows ends the logon (WM_QUERYENDSESSION, then WM_ENDSESSION)"
check "the monitor agrees to end the logon" \
  test "$(driver window-send TKORVALDZ314MONMAIN 17 0 0 | tr -d '\r')" = 1
driver window-send TKORVALDZ314MONMAIN 22 1 0 >/dev/null
check "the end of the logon ends the monitor by itself" until_true 10 ended "$restarted"
check "  ... and its tray icon is gone" until_true 10 tray_icons_are 0
wine "$work/KORVALDZ314MON.EXE" 2>/dev/null &
after_logon=$!
pids+=($after_logon)
check "a start after the end of the logon runs" until_true 20 windows_of_is TKORVALDZ314MONMAIN 1
check "  ... and keeps running" kill -0 "$after_logon"

show_state
echo "$failures failed"
[ "$failures" -eq 0 ]
