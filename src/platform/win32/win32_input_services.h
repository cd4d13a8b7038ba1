// The keyboard state as the key-combination recording reads it.
#pragma once

#include "platform/keyboard_state.h"

namespace mon::win32 {

// GetAsyncKeyState: the state of the keyboard itself, not of this thread's message queue, so
// it is right also while another program has the focus.
class TWin32KeyboardState final : public TKeyboardState {
 public:
  bool IsKeyDown(std::uint8_t AVirtualKey) override;
};

}  // namespace mon::win32
