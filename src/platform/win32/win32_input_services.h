// The keyboard state and the hand-off of work to the main thread's message loop.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "platform/keyboard_state.h"
#include "platform/main_thread.h"

namespace mon::win32 {

// GetAsyncKeyState: the state of the keyboard itself, not of this thread's message queue, so
// it is right also while another program has the focus.
class TWin32KeyboardState final : public TKeyboardState {
 public:
  bool IsKeyDown(std::uint8_t AVirtualKey) override;
};

// Work posted from any thread runs on the thread that created this object, from its message
// loop (also inside modal loops such as menus and message boxes): a message-only window of that
// thread receives a wake-up message and runs the queue.
class TWin32MainThread final : public TMainThread {
 public:
  TWin32MainThread();
  ~TWin32MainThread() override;
  TWin32MainThread(const TWin32MainThread&) = delete;
  TWin32MainThread& operator=(const TWin32MainThread&) = delete;

  // Work is dropped when the window could not be created (no window station).
  void PostToMainThread(std::function<void()> AWork) override;

  // Runs the work queued so far; the window calls it on its own thread.
  void RunQueue();

 private:
  // The HWND. <windows.h> stays out of this header: its macros would rename members of the
  // platform bundle (MessageBox) wherever the backend is included.
  void* FWindow = nullptr;
  std::mutex FLock;
  std::deque<std::function<void()>> FQueue;
};

}  // namespace mon::win32
