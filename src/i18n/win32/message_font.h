// The font of the translation editor's windows.
#pragma once

#include <windows.h>

#include "platform/win32/unique_resource.h"

namespace mon::win32 {

// The font of message boxes and dialogs on this system (what a dialog's controls would use),
// or the stock GUI font when the system does not say.
TUniqueFont CreateMessageFont();

}  // namespace mon::win32
