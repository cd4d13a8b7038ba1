#include "platform/linux/linux_named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace mon::lnx {

namespace {

// The open lock file, locked while the process owns the mutex.
class TLockFile final : public TOwnedMutex {
 public:
  explicit TLockFile(int AFd) : FFd(AFd) {}
  ~TLockFile() override { ::close(FFd); }  // closing gives the lock back, if still held
  TLockFile(const TLockFile&) = delete;
  TLockFile& operator=(const TLockFile&) = delete;

  void Release() override { ::flock(FFd, LOCK_UN); }

 private:
  int FFd;
};

enum class TLockResult { Locked, HeldElsewhere, Failed };

TLockResult TryLock(int AFd) {
  int result = 0;
  do {
    result = ::flock(AFd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    return TLockResult::Locked;
  }
  return errno == EWOULDBLOCK ? TLockResult::HeldElsewhere : TLockResult::Failed;
}

}  // namespace

std::string LockFileNameOf(const std::u16string& AName) {
  std::string name;
  for (const char16_t c : AName) {
    const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                       (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
    name += plain ? static_cast<char>(c) : '_';
  }
  return name;
}

TLinuxNamedMutexes::TLinuxNamedMutexes(std::string AFolder,
                                       std::function<std::string(const std::u16string&)> AFileName)
    : FFolder(std::move(AFolder)), FFileName(std::move(AFileName)) {}

std::string TLinuxNamedMutexes::LockPath(const std::u16string& AName) const {
  return FFolder + "/" + FFileName(AName) + ".lock";
}

bool TLinuxNamedMutexes::MutexExists(const std::u16string& AName) {
  const int fd = ::open(LockPath(AName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    return false;  // no file: nobody ever held it here
  }
  const TLockResult result = TryLock(fd);
  ::close(fd);  // gives back a lock we just took
  return result == TLockResult::HeldElsewhere;
}

std::unique_ptr<TOwnedMutex> TLinuxNamedMutexes::CreateOwnedMutex(const std::u16string& AName,
                                                                  bool& AAlreadyExisted) {
  AAlreadyExisted = false;
  const int fd = ::open(LockPath(AName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return nullptr;
  }
  auto file = std::make_unique<TLockFile>(fd);
  switch (TryLock(fd)) {
    case TLockResult::Locked:
      return file;
    case TLockResult::HeldElsewhere:
      AAlreadyExisted = true;
      return nullptr;
    case TLockResult::Failed:
      break;
  }
  return nullptr;
}

}  // namespace mon::lnx
