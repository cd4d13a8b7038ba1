#include "platform/win32/win32_main_thread.h"

#include <windows.h>

#include <exception>

#include "framework/application.h"

namespace mon::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"TMonMainThreadCalls";
constexpr UINT kRunQueuedCalls = WM_APP + 0x2A0;

LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  if (AMessage == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TWin32MainThread*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
  if (AMessage == kRunQueuedCalls && self != nullptr) {
    self->RunQueuedCalls();
    return 0;
  }
  return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

HWND AsWindow(void* AWindow) {
  return static_cast<HWND>(AWindow);
}

}  // namespace

TWin32MainThread::TWin32MainThread() : FQueue([this] { Wake(); }) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);  // already registered by an earlier instance: fine
  FWindow =
      ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  if (FWindow == nullptr) {
    FQueue.Close();
  }
}

TWin32MainThread::~TWin32MainThread() {
  FQueue.Close();
  if (FWindow != nullptr) {
    ::SetWindowLongPtrW(AsWindow(FWindow), GWLP_USERDATA, 0);
    ::DestroyWindow(AsWindow(FWindow));
  }
}

void TWin32MainThread::Wake() {
  // One wake-up message at a time is enough: its handler runs everything queued by then.
  if (!FWakePosted.exchange(true)) {
    if (!::PostMessageW(AsWindow(FWindow), kRunQueuedCalls, 0, 0)) {
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
