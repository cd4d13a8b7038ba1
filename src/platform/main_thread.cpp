#include "platform/main_thread.h"

namespace mon {

void TQueuedMainThread::PostToMainThread(std::function<void()> AWork) {
  {
    std::lock_guard lock(FLock);
    FQueue.push_back(std::move(AWork));
  }
  Posted();
}

std::size_t TQueuedMainThread::RunPending() {
  std::size_t ran = 0;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(FLock);
      if (FQueue.empty()) {
        return ran;
      }
      work = std::move(FQueue.front());
      FQueue.pop_front();
    }
    if (work) {
      work();
    }
    ++ran;
  }
}

std::size_t TQueuedMainThread::PendingCount() const {
  std::lock_guard lock(FLock);
  return FQueue.size();
}

}  // namespace mon
