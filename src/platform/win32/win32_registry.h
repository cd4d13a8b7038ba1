// The registry seam on the Windows registry (advapi32).
#pragma once

#include "platform/registry.h"

namespace mon::win32 {

class TWin32Registry final : public TRegistry {
 public:
  std::unique_ptr<TRegistryKey> OpenKey(TRegistryRoot ARoot, const std::u16string& APath,
                                        bool ACreate, TRegistryAccess AAccess) override;
};

}  // namespace mon::win32
