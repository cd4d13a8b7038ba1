// cfg_standin_linux: what the tests need of a Linux configuration program, on the same store and
// records as the Linux monitor (the settings folder of XDG_CONFIG_HOME).
//   --bind-key KEY CODE   binds key KEY (0..13) of the profile a monitor starts with to function
//                         CODE; the exit code is that profile's index, 255 on failure
//   --set-language INDEX  stores the language index; exit code 0, or 1 on failure
//   --serve LOGFILE       the configuration program on the session bus until SIGTERM: owns its
//                         name, logs Show() calls and the monitor's signals (bus_standin.h)
//   --send 7035 LPARAM, --send 7037, --quit
//                         calls the monitor's ProfileChanged(LPARAM), SettingsChanged() or Quit()
//                         on the session bus; exit code 0 when it answered
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bus_standin.h"
#include "platform/linux/linux_platform.h"
#include "stored_settings.h"

int main(int AArgCount, char** AArgs) {
  const std::string command = AArgCount > 1 ? AArgs[1] : "";
  if (command == "--serve" && AArgCount == 3) {
    return standin::Serve(AArgs[2]);
  }
  if (command == "--send" && (AArgCount == 3 || AArgCount == 4)) {
    const long message = std::strtol(AArgs[2], nullptr, 10);
    const bool needsLParam = message == mon::lnx::kBusMsgProfileChanged;
    if ((AArgCount == 4) == needsLParam) {
      const int lParam = AArgCount == 4 ? std::atoi(AArgs[3]) : 0;
      return standin::SendToMonitor(static_cast<std::uint32_t>(message), lParam);
    }
  }
  if (command == "--quit" && AArgCount == 2) {
    return standin::QuitMonitor();
  }
  mon::lnx::TLinuxPlatform backend;
  if (command == "--bind-key" && AArgCount == 4) {
    // Without a link to a running monitor, the binding goes to the profile a monitor starts with.
    const int profile =
        standin::BindKey(backend.Platform(), std::atoi(AArgs[2]), std::atoi(AArgs[3]),
                         standin::TBindingProfile::AtMonitorStart);
    return profile >= 0 ? profile : 255;
  }
  if (command == "--set-language" && AArgCount == 3) {
    return standin::SetLanguage(backend.Platform(), std::atoi(AArgs[2])) ? 0 : 1;
  }
  std::fprintf(stderr,
               "usage: cfg_standin_linux --bind-key KEY CODE | --set-language INDEX |\n"
               "       --serve LOGFILE | --send 7035 LPARAM | --send 7037 | --quit\n");
  return 2;
}
