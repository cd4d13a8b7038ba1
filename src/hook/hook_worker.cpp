#include "hook/hook_worker.h"

namespace mon {

void TRecordDataQueue::Push(TRecordDataItem AItem) {
  std::lock_guard lock(FLock);
  FItems.push_back(std::move(AItem));
}

std::vector<TRecordDataItem> TRecordDataQueue::TakeAll() {
  std::vector<TRecordDataItem> items;
  std::lock_guard lock(FLock);
  items.swap(FItems);
  return items;
}

std::size_t TRecordDataQueue::Count() const {
  std::lock_guard lock(FLock);
  return FItems.size();
}

TRecordDataWorker::TRecordDataWorker(TMainThread& AMainThread, std::function<void()> AProcess)
    : FMainThread(AMainThread), FShared(std::make_shared<TShared>()) {
  FShared->Process = std::move(AProcess);
}

TRecordDataWorker::~TRecordDataWorker() {
  Stop();
}

void TRecordDataWorker::SignalData() {
  {
    std::lock_guard start(FStartLock);
    {
      std::lock_guard lock(FShared->Lock);
      if (FShared->EndSignalled) {
        return;  // ended: nothing runs any more
      }
      FShared->DataSignalled = true;
    }
    if (!FThread.joinable()) {
      FThread = std::thread(&TRecordDataWorker::Run, FShared, std::ref(FMainThread));
    }
  }
  FShared->Changed.notify_all();
}

void TRecordDataWorker::Stop() {
  std::lock_guard start(FStartLock);
  {
    std::lock_guard lock(FShared->Lock);
    FShared->EndSignalled = true;
    if (!FThread.joinable()) {
      FShared->Running = false;  // never started: ended at once
    }
  }
  FShared->Stopper.RequestStop();
  FShared->Changed.notify_all();
  if (FThread.joinable()) {
    FThread.join();
  }
}

bool TRecordDataWorker::HasThread() const {
  std::lock_guard start(FStartLock);
  return FThread.joinable();
}

bool TRecordDataWorker::IsRunning() const {
  std::lock_guard lock(FShared->Lock);
  return FShared->Running;
}

void TRecordDataWorker::Run(std::shared_ptr<TShared> AShared, TMainThread& AMainThread) {
  std::unique_lock lock(AShared->Lock);
  for (;;) {
    AShared->Changed.wait(lock, [&] { return AShared->EndSignalled || AShared->DataSignalled; });
    if (AShared->EndSignalled) {
      break;
    }
    // Reset before the delivery runs: data queued while it runs signals again and is not lost.
    AShared->DataSignalled = false;
    lock.unlock();
    AMainThread.RunAndWait(
        [&AShared] {
          {
            std::lock_guard guard(AShared->Lock);
            if (AShared->EndSignalled) {
              return;  // the owner has ended the worker and may be gone
            }
          }
          // On the main thread, as is Stop: the owner cannot go away while this runs.
          AShared->Process();
        },
        AShared->Stopper.Token());
    lock.lock();
    if (AShared->EndSignalled) {
      break;
    }
  }
  AShared->Running = false;
}

}  // namespace mon
