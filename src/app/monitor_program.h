// The monitor's run from start to end, on any platform backend: one monitor per logon, the
// profile manager, then the main window, then the message loop; afterwards the single-instance
// guard is released and the window and the profile manager are destroyed, in that order.
#pragma once

#include "platform/platform.h"

namespace mon {

// Runs the monitor and returns its exit code: 0 after a normal end and when another monitor
// already runs in this logon (which is left alone); 1 when the profile manager or the main window
// cannot be created, after the error went to the application's central error handler (debug
// output and the error box).
int RunMonitorProgram(TPlatform& APlatform);

}  // namespace mon
