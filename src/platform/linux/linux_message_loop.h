// The Linux monitor's one main loop: GLib's default main context, run on the main thread. It
// carries what the Windows message loop carries for the core: messages posted to the program's
// own windows (from any thread), the work other threads hand to the main thread (run-and-wait),
// timers, and every other source that the backend attaches to the same context (device arrivals,
// unix signals, and the desktop's sources). An idle loop sleeps in poll: nothing here wakes it
// unless there is work.
#pragma once

#include <glib.h>

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "platform/queued_main_thread.h"
#include "platform/window_system.h"

namespace mon::lnx {

// A window of ours as the loop sees it: a target of posted messages.
class TPostedMessageTarget {
 public:
  virtual ~TPostedMessageTarget() = default;
  // Main thread, from the loop.
  virtual void DeliverPosted(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) = 0;
};

class TLinuxMessageLoop {
 public:
  // The calling thread becomes the main thread; the loop uses its thread-default main context
  // (the global default one for the program).
  TLinuxMessageLoop();
  ~TLinuxMessageLoop();
  TLinuxMessageLoop(const TLinuxMessageLoop&) = delete;
  TLinuxMessageLoop& operator=(const TLinuxMessageLoop&) = delete;

  // Runs until Quit; the exit code is the one Quit gave (0 without a Quit before the run).
  int Run();
  // Main thread: the running Run returns AExitCode once the current dispatch has finished; a
  // Quit before Run makes the next Run return at once.
  void Quit(int AExitCode = 0);
  // Main thread: dispatches whatever is ready now (posted messages, hand-overs, due timers and
  // other ready sources), then returns without waiting.
  void DispatchPending();

  // Main thread: a new window handle for ATarget; messages posted to it reach ATarget until
  // Unregister. Handles are never reused, so a message posted to a window that is gone is
  // dropped rather than delivered to another.
  TWindowHandle Register(TPostedMessageTarget& ATarget);
  void Unregister(TWindowHandle AHandle);

  // Any thread: queues a message for the window AHandle. False when the loop has been closed.
  bool Post(TWindowHandle AHandle, std::uint32_t AMsg, std::uintptr_t AWParam,
            std::intptr_t ALParam);

  // The main-thread hand-over of this loop (readers deliver their reports through it).
  TQueuedMainThread& MainThread() { return FMainThread; }

 private:
  struct TPostedMessage {
    TWindowHandle Window = 0;
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
  };

  static gboolean OnWake(gint AFd, GIOCondition AConditions, gpointer AData);
  void Wake();
  void DrainWake();
  void DeliverPostedMessages();

  int FWakeFd = -1;  // an eventfd: written when work is queued, watched by the loop
  unsigned FWakeSource = 0;
  GMainLoop* FLoop = nullptr;
  int FExitCode = 0;

  std::mutex FLock;  // guards FQueue and FClosed
  std::deque<TPostedMessage> FQueue;
  bool FClosed = false;

  std::map<TWindowHandle, TPostedMessageTarget*> FTargets;  // main thread only
  TWindowHandle FNextHandle = 1;

  TQueuedMainThread FMainThread;
};

}  // namespace mon::lnx
