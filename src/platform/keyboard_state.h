// The live state of the keyboard, as the system sees it at the moment of the call.
#pragma once

#include <cstdint>

namespace mon {

class TKeyboardState {
 public:
  virtual ~TKeyboardState() = default;
  // True while the key with the Windows virtual-key code AVirtualKey is held down, whichever
  // program has the keyboard focus; false when it is up or its state cannot be read. Any thread.
  virtual bool IsKeyDown(std::uint8_t AVirtualKey) = 0;
};

}  // namespace mon
