#include "fake_window_system.h"

namespace mon::testing {

TWindowHandle TFakeWindowSystem::FindTopLevelWindow(const std::u16string& AClassName) {
  const auto found = WindowsByClass.find(AClassName);
  return found == WindowsByClass.end() ? 0 : found->second;
}

}  // namespace mon::testing
