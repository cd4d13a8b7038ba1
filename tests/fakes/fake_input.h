// The keyboard state a test sets, and a main thread whose queue the test runs.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/keyboard_state.h"
#include "platform/main_thread.h"

namespace mon::testing {

class TFakeKeyboardState final : public TKeyboardState {
 public:
  void SetDown(std::uint8_t AVirtualKey, bool ADown) { FDown[AVirtualKey] = ADown; }
  void ReleaseAll() {
    for (auto& key : FDown) {
      key = false;
    }
  }
  bool IsKeyDown(std::uint8_t AVirtualKey) override { return FDown[AVirtualKey]; }

 private:
  std::array<std::atomic<bool>, 256> FDown{};
};

// Posted work waits until the test calls RunPending (on the test's thread, which plays the main
// thread). WaitForPending lets the test wait for work another thread posts, with a time-out.
class TFakeMainThread final : public TQueuedMainThread {
 public:
  // True once at least ACount items wait; false when ATimeout passed first.
  bool WaitForPending(std::size_t ACount, std::chrono::milliseconds ATimeout);

 protected:
  void Posted() override;

 private:
  std::mutex FWaitLock;
  std::condition_variable FPosted;
};

}  // namespace mon::testing
