// Where the Linux monitor keeps and finds its files (the XDG base directories).
//
// The Windows monitor reads config.ini, ui.local and its images beside its executable. Here they
// are looked for, file by file, in the user's settings folder, then in the system's settings and
// data folders, then beside the executable, so that a build folder and an installed package both
// work; what the monitor writes goes to the user's settings folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mon::lnx {

// The value of an environment variable, empty when it is not set.
using TEnvironment = std::function<std::string(const char* AName)>;
TEnvironment ProcessEnvironment();

// The name of the application's folder within each XDG base directory.
inline constexpr char kApplicationFolderName[] = "KORVALDZ314";

// The application's folders in the order files are looked for, each ending with '/':
// $XDG_CONFIG_HOME/KORVALDZ314/ (~/.config when unset or relative), each of $XDG_CONFIG_DIRS
// (/etc/xdg), each of $XDG_DATA_DIRS (/usr/local/share:/usr/share), then AExecutableFolder. The
// first is the user's own, where the monitor writes. Relative entries are skipped, as the XDG
// rules say; a folder is listed once.
std::vector<std::string> ApplicationFolders(const TEnvironment& AEnvironment,
                                            const std::string& AExecutableFolder);

// The folder of per-session files such as the single-instance lock: $XDG_RUNTIME_DIR, or
// /tmp when it is not set (the lock's name then carries the user's id).
std::string RuntimeFolder(const TEnvironment& AEnvironment);

}  // namespace mon::lnx
