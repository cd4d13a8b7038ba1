// The stand-in configuration program on the session bus: the side of the link a Linux
// configuration program has (docs/dbus/).
#pragma once

#include <cstdint>

namespace standin {

// Owns example.korvaldz.KORVALDZ314, answers Show() and logs each call as "show", and logs the
// monitor's signals as the Windows stand-in logs its messages, one flushed line each:
// "msg=7040 wParam=PROFILE lParam=0", "msg=7042 wParam=VALUE lParam=0" (or 7043) and
// "msg=7036 wParam=0 lParam=0". Runs until SIGTERM or SIGINT; 0 then, 1 when the bus or the name
// cannot be had.
int Serve(const char* ALogFile);

// Calls the monitor's ProfileChanged(ALParam) (message 7035) or SettingsChanged() (7037), waiting
// at most 5 s for the answer: 0 when it came, 1 otherwise, 2 for another message.
int SendToMonitor(std::uint32_t AMessage, std::int32_t ALParam);

// Calls the monitor's Quit(): 0 when it was answered, 1 otherwise.
int QuitMonitor();

}  // namespace standin
