#include "platform/win32/win32_main_thread.h"

#include <windows.h>

#include <exception>

#include "framework/application.h"
#include "platform/win32/win32_ids.h"
#include "platform/win32/win32_window.h"

namespace mon::win32 {

namespace {}  // namespace

// The message-only window that runs the queued calls when its wake-up message is dispatched.
class TWin32MainThread::TWakeWindow final : public TWin32Window {
 public:
  explicit TWakeWindow(TWin32MainThread& AOwner) : FOwner(AOwner) {
    TWin32WindowParams params;
    params.ClassName = L"TMonMainThreadCalls";
    params.Style = 0;
    params.ExStyle = 0;
    params.Parent = HWND_MESSAGE;
    CreateWindowFromParams(params);
  }

 private:
  LRESULT HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) override {
    if (AMessage == kRunQueuedCallsMessage) {
      FOwner.RunQueuedCalls();
      return 0;
    }
    return DefaultHandling(AMessage, AWParam, ALParam);
  }

  TWin32MainThread& FOwner;
};

TWin32MainThread::TWin32MainThread()
    : FQueue([this] { Wake(); }), FWakeWindow(std::make_unique<TWakeWindow>(*this)) {
  if (FWakeWindow->Window() == nullptr) {
    FQueue.Close();
  }
}

TWin32MainThread::~TWin32MainThread() {
  FQueue.Close();
}

void* TWin32MainThread::Window() const {
  return FWakeWindow->Window();
}

void TWin32MainThread::Wake() {
  // One wake-up message at a time is enough: its handler runs everything queued by then.
  if (!FWakePosted.exchange(true)) {
    if (!::PostMessageW(FWakeWindow->Window(), kRunQueuedCallsMessage, 0, 0)) {
      FWakePosted.store(false);
    }
  }
}

void TWin32MainThread::RunQueuedCalls() {
  FWakePosted.store(false);
  try {
    FQueue.RunPending();
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
}

}  // namespace mon::win32
