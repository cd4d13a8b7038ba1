// One monitor per logon, guarded by a named mutex that lives as long as the monitor runs.
#pragma once

#include <memory>
#include <string>

#include "platform/named_mutex.h"

namespace mon {

class TSingleInstance {
 public:
  // Open-then-create: nullptr when another monitor holds the name, whether found by the open or
  // by the creation reporting that it already existed (two starts in the same instant), and
  // when the mutex cannot be created at all.
  static std::unique_ptr<TSingleInstance> Acquire(TNamedMutexes& AMutexes,
                                                  const std::u16string& AName);

  // Lets the next monitor start; called when the message loop has ended.
  void Release() { FMutex->Release(); }

  explicit TSingleInstance(std::unique_ptr<TOwnedMutex> AMutex) : FMutex(std::move(AMutex)) {}

 private:
  std::unique_ptr<TOwnedMutex> FMutex;
};

}  // namespace mon
