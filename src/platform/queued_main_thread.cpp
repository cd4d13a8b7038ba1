#include "platform/queued_main_thread.h"

#include <algorithm>

namespace mon {

TQueuedMainThread::TQueuedMainThread(std::function<void()> AWake)
    : FWake(std::move(AWake)), FMainThreadId(std::this_thread::get_id()) {}

TQueuedMainThread::~TQueuedMainThread() {
  Close();
}

bool TQueuedMainThread::IsCurrentThread() {
  return std::this_thread::get_id() == FMainThreadId;
}

bool TQueuedMainThread::RunAndWait(const std::function<void()>& ACall, const TStopToken& AStop) {
  if (AStop.StopRequested()) {
    return false;
  }
  if (IsCurrentThread()) {
    ACall();
    return true;
  }
  auto call = std::make_shared<TCall>();
  call->Function = &ACall;
  {
    std::lock_guard lock(FLock);
    if (FClosed) {
      return false;
    }
    FQueue.push_back(call);
  }
  FChanged.notify_all();
  if (FWake) {
    FWake();
  }
  // The stop wakes the wait below. Declared before the lock: its callback takes the lock, so it
  // is deregistered only after the lock is given back.
  bool stopped = false;
  const TStopCallback wake(AStop, [&] {
    {
      std::lock_guard lock(FLock);
      stopped = true;
    }
    FChanged.notify_all();
  });
  std::unique_lock lock(FLock);
  const auto finished = [&] {
    return call->State == TState::Done || call->State == TState::Withdrawn;
  };
  FChanged.wait(lock, [&] { return stopped || finished(); });
  if (call->State == TState::Queued) {
    // Stopped before the main thread got to it: take it back.
    call->State = TState::Withdrawn;
    FQueue.erase(std::remove(FQueue.begin(), FQueue.end(), call), FQueue.end());
    return false;
  }
  // A started call always runs to its end, stop or not.
  FChanged.wait(lock, finished);
  if (call->State == TState::Withdrawn) {
    return false;
  }
  if (call->Error) {
    std::rethrow_exception(call->Error);
  }
  return true;
}

std::size_t TQueuedMainThread::RunPending() {
  std::size_t ran = 0;
  // Only the calls queued before this run: a call that queues new work does not keep us here.
  std::size_t budget = PendingCount();
  while (budget-- > 0) {
    std::shared_ptr<TCall> call;
    {
      std::lock_guard lock(FLock);
      if (FQueue.empty()) {
        break;
      }
      call = FQueue.front();
      FQueue.pop_front();
      call->State = TState::Running;
    }
    std::exception_ptr error;
    try {
      (*call->Function)();
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(FLock);
      call->Error = error;
      call->State = TState::Done;
    }
    FChanged.notify_all();
    ++ran;
  }
  return ran;
}

std::size_t TQueuedMainThread::PendingCount() const {
  std::lock_guard lock(FLock);
  return FQueue.size();
}

bool TQueuedMainThread::WaitForPending(std::chrono::milliseconds ATimeout) const {
  std::unique_lock lock(FLock);
  return FChanged.wait_for(lock, ATimeout, [&] { return !FQueue.empty(); });
}

void TQueuedMainThread::Close() {
  {
    std::lock_guard lock(FLock);
    FClosed = true;
    for (auto& call : FQueue) {
      call->State = TState::Withdrawn;
    }
    FQueue.clear();
  }
  FChanged.notify_all();
}

}  // namespace mon
