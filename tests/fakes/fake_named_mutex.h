// Named mutexes in a map: one namespace per fake, shared by every "process" using it.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/named_mutex.h"

namespace mon::testing {

class TFakeNamedMutexes final : public TNamedMutexes {
 public:
  // Simulates a second monitor that creates the mutex between our open and our create.
  bool CreateRaceLost = false;

  bool MutexExists(const std::u16string& AName) override { return FOpenCount[AName] > 0; }
  std::unique_ptr<TOwnedMutex> CreateOwnedMutex(const std::u16string& AName,
                                                bool& AAlreadyExisted) override;
  int OpenCount(const std::u16string& AName) { return FOpenCount[AName]; }

 private:
  std::map<std::u16string, int> FOpenCount;
};

}  // namespace mon::testing
