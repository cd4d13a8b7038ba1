// A main-thread hand-over built from a queue: callers on other threads queue a call and block;
// the main thread runs the queue when its loop gets to it (RunPending). Backends plug it into
// their loop through the wake-up callback; tests pump it directly.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/main_thread.h"

namespace mon {

class TQueuedMainThread : public TMainThread {
 public:
  // The constructing thread becomes the main thread. AWake is called on the queuing thread,
  // outside every lock, each time a call is queued, so that the owner's loop knows it has work
  // (for example by posting a message to itself); it may be empty.
  explicit TQueuedMainThread(std::function<void()> AWake = {});
  // Withdraws whatever is still queued (see Close).
  ~TQueuedMainThread() override;

  bool IsCurrentThread() override;
  bool RunAndWait(const std::function<void()>& ACall, const TStopToken& AStop) override;

  // Main thread: runs the calls queued so far, in order, each outside the lock (a call may queue
  // or withdraw others, or re-enter RunPending). Returns how many ran.
  std::size_t RunPending();

  // Any thread: the number of queued calls not yet started.
  std::size_t PendingCount() const;

  // Any thread: blocks until at least one call is queued or ATimeout has passed; true when one is
  // queued. For loops and tests that wait for work without polling.
  bool WaitForPending(std::chrono::milliseconds ATimeout) const;

  // Main thread: withdraws every queued call (their callers return false) and refuses every later
  // one. Used when the main loop ends.
  void Close();

 private:
  enum class TState { Queued, Running, Done, Withdrawn };
  struct TCall {
    const std::function<void()>* Function = nullptr;
    TState State = TState::Queued;
    std::exception_ptr Error;
  };

  std::function<void()> FWake;
  std::thread::id FMainThreadId;
  mutable std::mutex FLock;
  // Signalled when a call is queued, finished or withdrawn.
  mutable std::condition_variable FChanged;
  std::deque<std::shared_ptr<TCall>> FQueue;
  bool FClosed = false;
};

}  // namespace mon
