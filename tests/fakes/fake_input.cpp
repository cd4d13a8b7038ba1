#include "fake_input.h"

namespace mon::testing {

bool TFakeMainThread::WaitForPending(std::size_t ACount, std::chrono::milliseconds ATimeout) {
  std::unique_lock lock(FWaitLock);
  return FPosted.wait_for(lock, ATimeout, [&] { return PendingCount() >= ACount; });
}

void TFakeMainThread::Posted() {
  { std::lock_guard lock(FWaitLock); }
  FPosted.notify_all();
}

}  // namespace mon::testing
