#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "framework/text.h"

namespace mon::posix {

namespace {

// Closes a file descriptor once.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int AFd) : FFd(AFd) {}
  ~TFileDescriptor() { Close(); }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return FFd; }
  bool IsValid() const { return FFd >= 0; }
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int FFd;
};

bool StatMode(const std::u16string& APath, mode_t& AMode) {
  struct stat info {};
  if (::stat(ToNativePath(APath).c_str(), &info) != 0) {
    return false;
  }
  AMode = info.st_mode;
  return true;
}

std::string Environment(const char* AName) {
  const char* value = std::getenv(AName);
  return value != nullptr ? std::string(value) : std::string();
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs, with $HOME expanded; empty when not set there.
std::string XdgDocumentsDir(const std::string& AHome) {
  std::string configHome = Environment("XDG_CONFIG_HOME");
  if (configHome.empty()) {
    configHome = AHome + "/.config";
  }
  std::ifstream file(configHome + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  while (std::getline(file, line)) {
    if (line.rfind(key, 0) != 0) {
      continue;
    }
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.rfind("$HOME", 0) == 0) {
      value.replace(0, 5, AHome);
    }
    return value;
  }
  return std::string();
}

}  // namespace

std::string ToNativePath(const std::u16string& APath) {
  std::string path = Utf16ToUtf8(APath);
  for (auto& c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
  return path;
}

std::u16string TPosixFileSystem::ExecutableFolder() {
  std::string buffer(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) {
    return std::u16string();
  }
  buffer.resize(static_cast<std::size_t>(length));
  return SplitPath(Utf8ToUtf16(buffer)).Folder;
}

bool TPosixFileSystem::FileExists(const std::u16string& APath) {
  mode_t mode = 0;
  return StatMode(APath, mode) && S_ISREG(mode);
}

bool TPosixFileSystem::DirectoryExists(const std::u16string& APath) {
  mode_t mode = 0;
  return StatMode(APath, mode) && S_ISDIR(mode);
}

bool TPosixFileSystem::MakeDirectory(const std::u16string& APath) {
  if (::mkdir(ToNativePath(APath).c_str(), 0755) == 0) {
    return true;
  }
  return errno == EEXIST && DirectoryExists(APath);
}

std::optional<std::vector<std::uint8_t>> TPosixFileSystem::ReadWholeFile(
    const std::u16string& APath, std::uint64_t AMaxBytes) {
  TFileDescriptor file(::open(ToNativePath(APath).c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.IsValid()) {
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
      static_cast<std::uint64_t>(info.st_size) > AMaxBytes) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::nullopt;
    }
    if (count == 0) {
      bytes.resize(done);  // the file shrank while we read it
      break;
    }
    done += static_cast<std::size_t>(count);
  }
  return bytes;
}

bool TPosixFileSystem::WriteWholeFile(const std::u16string& APath,
                                      std::span<const std::uint8_t> ABytes) {
  const std::string target = ToNativePath(APath);
  const std::string temporary = target + "." + std::to_string(::getpid()) + ".tmp";
  TFileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file.IsValid()) {
    return false;
  }
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < ABytes.size()) {
    const ssize_t count = ::write(file.Get(), ABytes.data() + done, ABytes.size() - done);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    ok = count > 0;
    if (ok) {
      done += static_cast<std::size_t>(count);
    }
  }
  ok = ok && ::fsync(file.Get()) == 0;
  ok = file.Close() && ok;
  if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool TPosixFileSystem::RemoveFile(const std::u16string& APath) {
  return ::unlink(ToNativePath(APath).c_str()) == 0;
}

std::optional<std::u16string> TPosixFileSystem::DocumentsFolder() {
  const std::string home = Environment("HOME");
  if (home.empty()) {
    return std::nullopt;
  }
  const std::string documents = XdgDocumentsDir(home);
  if (!documents.empty()) {
    const std::u16string folder = Utf8ToUtf16(documents);
    if (DirectoryExists(folder)) {
      return folder;
    }
  }
  // Not set (or gone): ~/Documents, as the XDG user folders name it by default.
  const std::u16string fallback = Utf8ToUtf16(home + "/Documents");
  return MakeDirectory(fallback) ? fallback : Utf8ToUtf16(home);
}

}  // namespace mon::posix
