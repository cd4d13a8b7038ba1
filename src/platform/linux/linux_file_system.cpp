#include "platform/linux/linux_file_system.h"

#include <sys/stat.h>

#include <cerrno>

#include "framework/text.h"

namespace mon::lnx {

namespace {

// Makes every missing level of AFolder; the last one readable by the user only (it holds the
// settings store).
void MakeFolders(const std::string& AFolder) {
  for (std::size_t slash = AFolder.find('/', 1); slash != std::string::npos;
       slash = AFolder.find('/', slash + 1)) {
    const bool last = slash + 1 == AFolder.size();
    ::mkdir(AFolder.substr(0, slash).c_str(), last ? 0700 : 0755);
  }
}

}  // namespace

TLinuxFileSystem::TLinuxFileSystem(std::vector<std::string> AFolders)
    : FFolders(std::move(AFolders)) {
  if (!FFolders.empty()) {
    MakeFolders(FFolders.front());
  }
}

std::u16string TLinuxFileSystem::ExecutableFolder() {
  return FFolders.empty() ? std::u16string() : Utf8ToUtf16(FFolders.front());
}

std::u16string TLinuxFileSystem::Resolve(const std::u16string& APath) {
  if (FFolders.size() < 2) {
    return APath;
  }
  const std::string path = posix::ToNativePath(APath);
  const std::string& own = FFolders.front();
  if (path.size() <= own.size() || path.compare(0, own.size(), own) != 0) {
    return APath;
  }
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 || errno != ENOENT) {
    return APath;  // the user's own file (or one we cannot look at: not second-guessed)
  }
  const std::string relative = path.substr(own.size());
  for (std::size_t index = 1; index < FFolders.size(); ++index) {
    const std::string candidate = FFolders[index] + relative;
    if (::stat(candidate.c_str(), &info) == 0) {
      return Utf8ToUtf16(candidate);
    }
  }
  return APath;
}

bool TLinuxFileSystem::FileExists(const std::u16string& APath) {
  return FFiles.FileExists(Resolve(APath));
}

bool TLinuxFileSystem::DirectoryExists(const std::u16string& APath) {
  return FFiles.DirectoryExists(Resolve(APath));
}

std::optional<std::vector<std::uint8_t>> TLinuxFileSystem::ReadWholeFile(
    const std::u16string& APath, std::uint64_t AMaxBytes) {
  return FFiles.ReadWholeFile(Resolve(APath), AMaxBytes);
}

}  // namespace mon::lnx
