#include "fake_debug_output.h"

namespace mon::testing {

void TRecordingDebugOutput::Write(const std::u16string& AText) {
  std::lock_guard lock(FLock);
  FLines.push_back(AText);
}

std::vector<std::u16string> TRecordingDebugOutput::Lines() const {
  std::lock_guard lock(FLock);
  return FLines;
}

void TRecordingDebugOutput::Clear() {
  std::lock_guard lock(FLock);
  FLines.clear();
}

}  // namespace mon::testing
