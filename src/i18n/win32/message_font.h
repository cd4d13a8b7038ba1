// What the translation editor's windows share: their font and their control classes.
#pragma once

#include <windows.h>

#include "platform/win32/unique_resource.h"

namespace mon::win32 {

// The font of message boxes and dialogs on this system (what a dialog's controls would use) at
// ADpi, the DPI of the monitor the window is on; or the stock GUI font, scaled from the system
// DPI to ADpi, when the system does not say.
TUniqueFont CreateMessageFont(UINT ADpi);

// Registers the common-control classes the editor and its popup use: the standard ones (button,
// edit, combo box, static), the list view and the tab control. In a program with the
// Common-Controls 6 manifest these are the themed controls of comctl32 6. Once is enough; later
// calls do nothing.
void InitEditorControlClasses();

}  // namespace mon::win32
