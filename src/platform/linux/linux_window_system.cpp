#include "platform/linux/linux_window_system.h"

namespace mon::lnx {

TWindowHandle TLinuxWindowSystem::FindTopLevelWindow(const std::u16string& AClassName) {
  const std::u16string& configClass = FLink.Names().ClassName;
  // Answered from what the link last heard of the name's owner: no bus call waits here.
  return !configClass.empty() && AClassName == configClass ? FLink.ConfigProgram() : 0;
}

}  // namespace mon::lnx
