// The queued delivery path of the hook component: a lock-protected queue of recorded steps and
// a worker thread that, each time data is signalled, has the main thread take the queue and
// deliver it, and waits for that.
//
// The worker waits for the data event and the end event together, without time-out. It ends
// only by the end event and is joined, never killed: a killed thread may die holding the
// queue's lock or the allocator's. While it waits for the main thread it also watches the end
// event, so ending it from the main thread never deadlocks, and a delivery that reaches the
// main thread after the end does nothing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hook/hook_types.h"
#include "platform/main_thread.h"
#include "platform/stop_token.h"

namespace mon {

// One queued step: type 1 with a keyboard macro entry object, type 0 with a mouse macro one.
struct TRecordDataItem {
  std::uint8_t DataType = 0;
  std::shared_ptr<TMacroKeyObject> KeyObject;
  std::shared_ptr<TMOUSEMacroKeyObject> MouseObject;
};

class TRecordDataQueue {
 public:
  // Any thread.
  void Push(TRecordDataItem AItem);
  // Takes every queued item out, in queue order, and leaves the queue empty. Any thread.
  std::vector<TRecordDataItem> TakeAll();
  std::size_t Count() const;

 private:
  mutable std::mutex FLock;
  std::vector<TRecordDataItem> FItems;
};

class TRecordDataWorker {
 public:
  // Makes the worker. Each time data is signalled it has AMainThread run AProcess and waits
  // until it has run (or the worker is ended). Its thread starts with the first signal: a thread
  // costs about a megabyte of stacks under Wine, and records are queued only while macros are
  // recorded, which the monitor itself never does.
  TRecordDataWorker(TMainThread& AMainThread, std::function<void()> AProcess);
  ~TRecordDataWorker();
  TRecordDataWorker(const TRecordDataWorker&) = delete;
  TRecordDataWorker& operator=(const TRecordDataWorker&) = delete;

  // Sets the data event (starting the thread the first time). Any thread.
  void SignalData();
  // Sets the end event and joins the worker. AProcess does not run after this returns, not even
  // when a delivery is still queued on the main thread. Main thread; repeated calls do nothing.
  void Stop();
  // True until the worker has ended (also before its thread has started).
  bool IsRunning() const;
  // True once the thread has been started.
  bool HasThread() const;

 private:
  struct TShared {
    std::mutex Lock;
    std::condition_variable Changed;
    bool DataSignalled = false;
    bool EndSignalled = false;
    bool Running = true;
    // Requested by Stop: withdraws a delivery that waits for the main thread.
    TStopSource Stopper;
    std::function<void()> Process;
  };

  static void Run(std::shared_ptr<TShared> AShared, TMainThread& AMainThread);

  TMainThread& FMainThread;
  std::shared_ptr<TShared> FShared;
  mutable std::mutex FStartLock;  // guards FThread's start against Stop
  std::thread FThread;
};

}  // namespace mon
