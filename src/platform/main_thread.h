// Handing work from a background thread to the main thread, which runs it from its message loop.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace mon {

class TMainThread {
 public:
  virtual ~TMainThread() = default;
  // Queues AWork; the main thread runs it later from its message loop, in posting order, one at a
  // time. Returns at once, also when called on the main thread itself. Work still queued when the
  // backend is destroyed is dropped without running. Any thread.
  virtual void PostToMainThread(std::function<void()> AWork) = 0;
};

// A main thread whose loop is driven by its owner: posted work waits in a queue until the owner
// calls RunPending on the main thread. The backend of loops that are not a Win32 message loop.
class TQueuedMainThread : public TMainThread {
 public:
  void PostToMainThread(std::function<void()> AWork) override;
  // Runs the work queued so far, including work posted while it runs; returns how many items
  // ran. Main thread.
  std::size_t RunPending();
  // Items waiting to run. Any thread.
  std::size_t PendingCount() const;

 protected:
  // Called after each post, outside the lock; a derived loop wakes itself here.
  virtual void Posted() {}

 private:
  mutable std::mutex FLock;
  std::deque<std::function<void()>> FQueue;
};

}  // namespace mon
