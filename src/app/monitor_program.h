// The monitor's run from start to end, on any platform backend: one monitor per logon, the
// profile manager, then the main window, then the message loop; afterwards the single-instance
// guard is released and the window and the profile manager are destroyed, in that order.
#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"

namespace mon {

class TKORVALDZ314MONMAIN;

// What a backend adds to the main window once it exists (the drawing of its About panel), kept
// until the loop has ended. May return nullptr.
using TAttachMainWindowViews = std::function<std::shared_ptr<void>(TKORVALDZ314MONMAIN&)>;

// Runs the monitor and returns its exit code: 0 after a normal end and when another monitor
// already runs in this logon (which is left alone); 1 when the profile manager or the main window
// cannot be created, after the error went to the application's central error handler (debug
// output and the error box).
int RunMonitorProgram(TPlatform& APlatform, const TAttachMainWindowViews& AAttachViews = {});

}  // namespace mon
