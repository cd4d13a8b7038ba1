#include "platform/win32/win32_input_services.h"

#include <windows.h>

namespace mon::win32 {

namespace {

constexpr UINT kRunQueueMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"TMonMainThreadWork";

LRESULT CALLBACK WorkWindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  if (AMessage == kRunQueueMessage) {
    auto* owner = reinterpret_cast<TWin32MainThread*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
    if (owner != nullptr) {
      owner->RunQueue();
    }
    return 0;
  }
  return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

bool RegisterWindowClass(WNDPROC AProc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = AProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool TWin32KeyboardState::IsKeyDown(std::uint8_t AVirtualKey) {
  return (static_cast<unsigned short>(::GetAsyncKeyState(AVirtualKey)) & 0x8000u) != 0;
}

TWin32MainThread::TWin32MainThread() {
  if (!RegisterWindowClass(&WorkWindowProc)) {
    return;
  }
  HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (window != nullptr) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  FWindow = window;
}

TWin32MainThread::~TWin32MainThread() {
  if (FWindow != nullptr) {
    HWND window = static_cast<HWND>(FWindow);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
  }
}

void TWin32MainThread::PostToMainThread(std::function<void()> AWork) {
  if (FWindow == nullptr) {
    return;
  }
  bool wake = false;
  {
    std::lock_guard lock(FLock);
    wake = FQueue.empty();
    FQueue.push_back(std::move(AWork));
  }
  // One wake-up message per batch: the window runs everything queued when it gets it.
  if (wake && !::PostMessageW(static_cast<HWND>(FWindow), kRunQueueMessage, 0, 0)) {
    std::lock_guard lock(FLock);
    FQueue.clear();
  }
}

void TWin32MainThread::RunQueue() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(FLock);
    batch.swap(FQueue);
  }
  for (auto& work : batch) {
    if (work) {
      work();
    }
  }
}

}  // namespace mon::win32
