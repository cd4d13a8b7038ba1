// The resource ID of the application icon (the tray icon, drawn by the build) in executables
// that link the mon_app_icon object library.
#pragma once

namespace mon::win32 {

inline constexpr int kAppIconResourceId = 1;

}  // namespace mon::win32
