// Debug traces (the system debug output on Windows).
#pragma once

#include <string>

namespace mon {

class TDebugOutput {
 public:
  virtual ~TDebugOutput() = default;
  // Any thread.
  virtual void Write(const std::u16string& AText) = 0;
};

}  // namespace mon
