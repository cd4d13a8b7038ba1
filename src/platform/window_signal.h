// A message that any thread may post to a window of the main thread, for as long as the window's
// owner keeps it attached: an audio callback that comes late (while or after it is unregistered)
// finds it detached and posts nothing. Shared (std::shared_ptr) by the owner and the senders.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/window_system.h"

namespace mon {

class TWindowSignal {
 public:
  TWindowSignal(TMessageWindow& AWindow, std::uint32_t AMessage)
      : FWindow(&AWindow), FMessage(AMessage) {}

  // Posts the message (wParam and lParam 0) unless detached. Any thread.
  void Post() const {
    std::lock_guard lock(FLock);
    if (FWindow != nullptr) {
      FWindow->PostToSelf(FMessage, 0, 0);
    }
  }
  // From here on Post does nothing; call it before the window goes. Any thread.
  void Detach() {
    std::lock_guard lock(FLock);
    FWindow = nullptr;
  }

 private:
  mutable std::mutex FLock;
  TMessageWindow* FWindow;
  const std::uint32_t FMessage;
};

}  // namespace mon
