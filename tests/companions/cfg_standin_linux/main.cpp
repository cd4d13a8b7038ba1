// cfg_standin_linux: what the tests need of a Linux configuration program, on the same store and
// records as the Linux monitor (the settings folder of XDG_CONFIG_HOME).
//   --bind-key KEY CODE   binds key KEY (0..13) of the profile a monitor starts with to function
//                         CODE; the exit code is that profile's index, 255 on failure
//   --set-language INDEX  stores the language index; exit code 0, or 1 on failure
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/linux/linux_platform.h"
#include "stored_settings.h"

int main(int AArgCount, char** AArgs) {
  const std::string command = AArgCount > 1 ? AArgs[1] : "";
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
  std::fprintf(stderr, "usage: cfg_standin_linux --bind-key KEY CODE | --set-language INDEX\n");
  return 2;
}
