#pragma once

#include "platform/named_mutex.h"

namespace mon::win32 {

class TWin32NamedMutexes final : public TNamedMutexes {
 public:
  bool MutexExists(const std::u16string& AName) override;
  std::unique_ptr<TOwnedMutex> CreateOwnedMutex(const std::u16string& AName,
                                                bool& AAlreadyExisted) override;
};

}  // namespace mon::win32
