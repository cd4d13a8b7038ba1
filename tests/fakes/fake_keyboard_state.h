// The keyboard state a test sets.
#pragma once

#include <array>
#include <atomic>

#include "platform/keyboard_state.h"

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

}  // namespace mon::testing
