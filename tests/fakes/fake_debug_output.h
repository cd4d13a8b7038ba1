// Debug output kept as lines for the test to read. Any thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_output.h"

namespace mon::testing {

class TRecordingDebugOutput final : public TDebugOutput {
 public:
  void Write(const std::u16string& AText) override;
  std::vector<std::u16string> Lines() const;
  void Clear();

 private:
  mutable std::mutex FLock;
  std::vector<std::u16string> FLines;
};

}  // namespace mon::testing
