#include "app/single_instance.h"

namespace mon {

std::unique_ptr<TSingleInstance> TSingleInstance::Acquire(TNamedMutexes& AMutexes,
                                                          const std::u16string& AName) {
  if (AMutexes.MutexExists(AName)) {
    return nullptr;
  }
  bool alreadyExisted = false;
  auto mutex = AMutexes.CreateOwnedMutex(AName, alreadyExisted);
  if (!mutex) {
    return nullptr;
  }
  return std::make_unique<TSingleInstance>(std::move(mutex));
}

}  // namespace mon
