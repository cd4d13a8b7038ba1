// Top-level windows of other programs, found by class name.
#pragma once

#include <cstdint>
#include <string>

namespace mon {

// An opaque window handle; 0 means no window.
using TWindowHandle = std::uintptr_t;

class TWindowSystem {
 public:
  virtual ~TWindowSystem() = default;
  // The top-level window whose class name is AClassName, with any title; 0 when there is none.
  virtual TWindowHandle FindTopLevelWindow(const std::u16string& AClassName) = 0;
};

}  // namespace mon
