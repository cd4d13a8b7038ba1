#include "i18n/win32/modal_window.h"

namespace mon::win32 {

TOwnerDisabler::TOwnerDisabler(HWND AOwner) {
  if (AOwner != nullptr && ::IsWindow(AOwner) && ::IsWindowEnabled(AOwner)) {
    ::EnableWindow(AOwner, FALSE);
    FOwner = AOwner;
  }
}

void TOwnerDisabler::Restore() {
  if (FOwner != nullptr) {
    if (::IsWindow(FOwner)) {
      ::EnableWindow(FOwner, TRUE);
    }
    FOwner = nullptr;
  }
}

void RunModalLoop(HWND AWindow) {
  MSG message{};
  while (::IsWindow(AWindow)) {
    const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
    if (result == -1) {
      break;  // no such failure with a valid message buffer; never spin on it
    }
    if (result == 0) {
      ::DestroyWindow(AWindow);
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (::IsDialogMessageW(AWindow, &message) == 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace mon::win32
