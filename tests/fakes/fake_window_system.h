// Other programs' windows as a table the test fills.
#pragma once

#include <map>
#include <string>

#include "platform/window_system.h"

namespace mon::testing {

class TFakeWindowSystem final : public TWindowSystem {
 public:
  std::map<std::u16string, TWindowHandle> WindowsByClass;
  TWindowHandle FindTopLevelWindow(const std::u16string& AClassName) override;
};

}  // namespace mon::testing
