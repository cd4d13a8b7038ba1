// The program's main thread as other threads see it: a synchronous hand-over of work ("run this on
// the main thread and wait until it has run"). Background threads (HID readers) use it to deliver
// their results where every handler of the program runs.
//
// Windows: the main thread's message loop runs the queued work (a message to a hidden window of
// the backend). A POSIX desktop loop runs it from its own dispatch. Tests pump it by hand
// (TQueuedMainThread::RunPending), so ordering is decided by the test, never by timing.
#pragma once

#include <functional>

#include "platform/stop_token.h"

namespace mon {

class TMainThread {
 public:
  virtual ~TMainThread() = default;

  // True when the calling thread is the main thread. Any thread.
  virtual bool IsCurrentThread() = 0;

  // Runs ACall on the main thread and returns after ACall has returned. Any thread.
  // - On the main thread itself ACall runs at once, inside this call.
  // - From another thread the call is queued; the caller blocks until the main thread has run it.
  //   Queued calls run in the order they were queued.
  // - When AStop is requested before the main thread has started ACall (also: already requested
  //   on entry, or the main thread has shut down), the call is withdrawn: it never runs and
  //   RunAndWait returns false at once. Once started, ACall runs to its end and RunAndWait
  //   returns true after it; a stop request then changes nothing.
  // - An exception escaping ACall is caught on the main thread and rethrown here, on the
  //   calling thread.
  // A caller that waits here must not hold anything the main thread may wait for, and the main
  // thread must never wait for a thread blocked here except through that thread's AStop.
  virtual bool RunAndWait(const std::function<void()>& ACall, const TStopToken& AStop) = 0;
};

}  // namespace mon
