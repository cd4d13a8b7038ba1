// What the translation editor and its text-list popup need to be modal: the owner is disabled
// while they are open, and this thread's messages are run until they are gone.
//
// Main (user-interface) thread only.
#pragma once

#include <windows.h>

namespace mon::win32 {

// Disables an owner window for the life of a modal window and enables it again. Restore before
// destroying the modal window, so that the owner becomes the active window again rather than
// some other program's. An owner that was disabled already (by an outer modal window) is left
// as it was.
class TOwnerDisabler {
 public:
  explicit TOwnerDisabler(HWND AOwner);
  ~TOwnerDisabler() { Restore(); }
  TOwnerDisabler(const TOwnerDisabler&) = delete;
  TOwnerDisabler& operator=(const TOwnerDisabler&) = delete;

  // Enables the owner again; later calls do nothing.
  void Restore();

 private:
  HWND FOwner = nullptr;  // null when this disabler did not disable anything
};

// Dispatches this thread's messages until AWindow no longer exists. Keyboard navigation (Tab
// between controls, Enter, Esc) goes through IsDialogMessageW. A WM_QUIT ends the loop early:
// AWindow is destroyed and the quit message posted again, so that the outer loop ends too.
void RunModalLoop(HWND AWindow);

}  // namespace mon::win32
