// korvaldz314mon: the monitor on the Linux backend.
#include <unistd.h>

#include <string>

#include "app/monitor_program.h"
#include "app/shared_definitions.h"
#include "platform/linux/linux_platform.h"

namespace {

// The bus link carries these messages of the table under its own names.
static_assert(mon::lnx::kBusMsgProfileChanged == mon::WM_CFG_PROFILE_CHANGED);
static_assert(mon::lnx::kBusMsgExiting == mon::WM_MONITOR_EXIT);
static_assert(mon::lnx::kBusMsgSettingsChanged == mon::WM_CFG_SETTINGS_CHANGED);
static_assert(mon::lnx::kBusMsgProfileSelected == mon::WM_MONITOR_PROFILE_SWITCHED);
static_assert(mon::lnx::kBusMsgStatus2 == mon::WM_MONITOR_STATUS_2);
static_assert(mon::lnx::kBusMsgStatus6 == mon::WM_MONITOR_STATUS_6);

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
  mon::lnx::TLinuxPlatform backend(
      {.LockFileName = LockFileName,
       .ConfigProgram = {.ClassName = mon::CFG_MAIN_CLASS, .ExeName = mon::CFG_EXE_NAME}});
  return mon::RunMonitorProgram(backend.Platform());
}
