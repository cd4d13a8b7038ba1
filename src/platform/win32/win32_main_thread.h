// The main-thread hand-over on Windows: a message-only window of the main thread receives one
// wake-up message whenever calls are queued, and runs them when the message loop dispatches it
// (also inside modal loops: menus, message boxes).
#pragma once

#include <atomic>
#include <memory>

#include "platform/queued_main_thread.h"

namespace mon::win32 {

class TWin32MainThread final : public TMainThread {
 public:
  // Construct on the main thread: it becomes the main thread. When the window cannot be created,
  // calls from other threads are refused (RunAndWait returns false) instead of waiting forever.
  TWin32MainThread();
  ~TWin32MainThread() override;
  TWin32MainThread(const TWin32MainThread&) = delete;
  TWin32MainThread& operator=(const TWin32MainThread&) = delete;

  bool IsCurrentThread() override { return FQueue.IsCurrentThread(); }
  bool RunAndWait(const std::function<void()>& ACall, const TStopToken& AStop) override {
    return FQueue.RunAndWait(ACall, AStop);
  }

  // Queued calls not yet run (for tests that need to see a reader waiting).
  std::size_t PendingCount() const { return FQueue.PendingCount(); }
  // The window's HWND.
  void* Window() const;

  // Run by the window's wake-up message: runs every call queued by then.
  void RunQueuedCalls();

 private:
  void Wake();

  class TWakeWindow;

  TQueuedMainThread FQueue;
  std::unique_ptr<TWakeWindow> FWakeWindow;
  std::atomic<bool> FWakePosted{false};
};

}  // namespace mon::win32
