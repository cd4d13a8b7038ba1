// Hidden top-level windows on Windows (never shown, so they also receive what the system
// broadcasts to top-level windows), with timers and device-interface notifications.
#pragma once

#include "platform/hidden_window.h"

namespace mon::win32 {

class TWin32HiddenWindowFactory final : public THiddenWindowFactory {
 public:
  std::unique_ptr<THiddenWindow> CreateHiddenWindow(const std::u16string& AClassName,
                                                    TMessageHandler& AHandler) override;
};

}  // namespace mon::win32
