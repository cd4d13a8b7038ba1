// Runs a test's main-thread queue (what the message loop does in the program) until a condition
// holds.
#pragma once

#include <chrono>

#include "platform/queued_main_thread.h"

namespace mon::testing {

// Runs AMainThread's queued calls until ADone() holds; false after ATimeout.
template <class TDone>
bool PumpMainThreadUntil(TQueuedMainThread& AMainThread, TDone ADone,
                         std::chrono::milliseconds ATimeout = std::chrono::milliseconds(5000)) {
  const auto deadline = std::chrono::steady_clock::now() + ATimeout;
  while (!ADone()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    AMainThread.WaitForPending(std::chrono::milliseconds(10));
    AMainThread.RunPending();
  }
  return true;
}

}  // namespace mon::testing
