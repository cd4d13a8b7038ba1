#include "platform/linux/linux_places.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace mon::lnx {

namespace {

bool IsAbsolute(std::string_view APath) {
  return !APath.empty() && APath.front() == '/';
}

std::string WithSlash(std::string APath) {
  if (APath.empty() || APath.back() != '/') {
    APath += '/';
  }
  return APath;
}

// The absolute entries of a colon-separated list, or of ADefault when the list is unset or has
// none.
std::vector<std::string> SearchList(const std::string& AValue, std::string_view ADefault) {
  std::vector<std::string> folders;
  auto take = [&folders](std::string_view AList) {
    std::size_t start = 0;
    while (start <= AList.size()) {
      const std::size_t end = std::min(AList.find(':', start), AList.size());
      const std::string_view entry = AList.substr(start, end - start);
      if (IsAbsolute(entry)) {
        folders.emplace_back(entry);
      }
      start = end + 1;
    }
  };
  take(AValue);
  if (folders.empty()) {
    take(ADefault);
  }
  return folders;
}

}  // namespace

TEnvironment ProcessEnvironment() {
  return [](const char* AName) {
    const char* value = std::getenv(AName);
    return value != nullptr ? std::string(value) : std::string();
  };
}

std::vector<std::string> ApplicationFolders(const TEnvironment& AEnvironment,
                                            const std::string& AExecutableFolder) {
  std::vector<std::string> folders;
  auto add = [&folders](const std::string& AFolder) {
    const std::string folder = WithSlash(AFolder);
    if (IsAbsolute(folder) && std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(folder);
    }
  };
  std::string configHome = AEnvironment("XDG_CONFIG_HOME");
  if (!IsAbsolute(configHome)) {
    configHome = AEnvironment("HOME") + "/.config";
  }
  add(WithSlash(configHome) + kApplicationFolderName);
  for (const std::string& base : SearchList(AEnvironment("XDG_CONFIG_DIRS"), "/etc/xdg")) {
    add(WithSlash(base) + kApplicationFolderName);
  }
  for (const std::string& base :
       SearchList(AEnvironment("XDG_DATA_DIRS"), "/usr/local/share:/usr/share")) {
    add(WithSlash(base) + kApplicationFolderName);
  }
  if (!AExecutableFolder.empty()) {
    add(AExecutableFolder);
  }
  return folders;
}

std::string RuntimeFolder(const TEnvironment& AEnvironment) {
  const std::string runtime = AEnvironment("XDG_RUNTIME_DIR");
  return IsAbsolute(runtime) ? runtime : std::string("/tmp");
}

}  // namespace mon::lnx
