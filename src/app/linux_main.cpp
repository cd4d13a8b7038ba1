// korvaldz314mon: the monitor on the Linux backend.
#include <unistd.h>

#include <string>

#include "app/monitor_program.h"
#include "app/shared_definitions.h"
#include "platform/linux/linux_platform.h"

namespace {

// The guard of one monitor per session is the lock file KORVALDZ314MON.lock in the session's
// runtime folder; without one (/tmp, shared by every user) the name carries the user's id.
std::string LockFileName(const std::u16string& AName) {
  if (AName != mon::MON_MAIN_CLASS) {
    return mon::lnx::LockFileNameOf(AName);
  }
  const mon::lnx::TEnvironment environment = mon::lnx::ProcessEnvironment();
  std::string name = "KORVALDZ314MON";
  if (mon::lnx::RuntimeFolder(environment) != environment("XDG_RUNTIME_DIR")) {
    name += "-" + std::to_string(::getuid());
  }
  return name;
}

}  // namespace

int main() {
  mon::lnx::TLinuxPlatform backend({.LockFileName = LockFileName});
  return mon::RunMonitorProgram(backend.Platform());
}
