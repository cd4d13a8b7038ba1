// Other programs' windows on Linux: there are none to find by class name, except the
// configuration program's, which is there while its bus name has an owner (linux_bus_link.h).
#pragma once

#include "platform/linux/linux_bus_link.h"
#include "platform/window_system.h"

namespace mon::lnx {

class TLinuxWindowSystem final : public TWindowSystem {
 public:
  explicit TLinuxWindowSystem(TLinuxBusLink& ALink) : FLink(ALink) {}
  TWindowHandle FindTopLevelWindow(const std::u16string& AClassName) override;

 private:
  TLinuxBusLink& FLink;
};

}  // namespace mon::lnx
