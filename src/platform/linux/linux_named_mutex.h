// The single-instance guard on Linux: a named mutex is an exclusive advisory lock (flock) on a
// file in the session's runtime folder. The lock goes with the process however it ends, so a
// crashed monitor never blocks the next start.
#pragma once

#include <functional>
#include <string>

#include "platform/named_mutex.h"

namespace mon::lnx {

class TLinuxNamedMutexes final : public TNamedMutexes {
 public:
  // AFileName gives the lock file's name (without folder) for a mutex name; the file is
  // AFolder/<that>.
  TLinuxNamedMutexes(std::string AFolder,
                     std::function<std::string(const std::u16string&)> AFileName);

  // True when another process holds the lock now.
  bool MutexExists(const std::u16string& AName) override;
  std::unique_ptr<TOwnedMutex> CreateOwnedMutex(const std::u16string& AName,
                                                bool& AAlreadyExisted) override;

 private:
  std::string LockPath(const std::u16string& AName) const;

  std::string FFolder;
  std::function<std::string(const std::u16string&)> FFileName;
};

// The lock file's name for AName: its letters, digits, '-', '_' and '.', anything else as '_'.
std::string LockFileNameOf(const std::u16string& AName);

}  // namespace mon::lnx
