// The numbers our Win32 code gives itself, in one place so that none collide: private window
// messages (above WM_APP, below the registered ones), timer ids of the backend's own timers
// (far above the program's own small ids), and resource ids of the executables.
#pragma once

#include <windows.h>

namespace mon::win32 {

// Window messages.
inline constexpr UINT kRunQueuedCallsMessage = WM_APP + 0x2A0;  // main-thread hand-over window
inline constexpr UINT kTrayCallbackMessage = WM_APP + 0x3F00;   // the tray icon's callback

// Timers of the backend on the program's windows.
inline constexpr UINT_PTR kTrayRetryTimer = 0x7F000001;  // puts a tray icon up once it can

// The notification-area icon's id within its window.
inline constexpr UINT kTrayIconId = 1;

// Resources: the application icon (the tray icon drawn by the build), in every executable that
// links the mon_app_icon object library.
inline constexpr int kAppIconResourceId = 1;
// ... and the same with the muted mark, for the tray while the microphone is muted.
inline constexpr int kAppMutedIconResourceId = 2;
// ... and both with a dark mouse, for the tray on a light taskbar.
inline constexpr int kAppLightTaskbarIconResourceId = 3;
inline constexpr int kAppMutedLightTaskbarIconResourceId = 4;

}  // namespace mon::win32
