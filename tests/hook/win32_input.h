// Helpers of the Wine tests of the hook library: a test window that logs the input it receives,
// SendInput of keys and clicks, and pumping messages until a condition holds or time runs out.
// Low-level hooks run on the thread that installed them, from its message loop, so every wait
// here pumps messages.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <vector>

namespace mon::testing {

// Pumps this thread's messages until APredicate holds; false when ATimeout passed first.
inline bool PumpUntil(const std::function<bool()>& APredicate,
                      std::chrono::milliseconds ATimeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + ATimeout;
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (APredicate()) {
      return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()) + 1,
                                QS_ALLINPUT);
  }
}

// One input message as the test window received it.
struct TWindowInput {
  UINT Message;
  WPARAM WParam;
};

// A visible top-level window with the keyboard focus that logs key and button messages.
class TInputWindow {
 public:
  TInputWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TInputWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"TMonHookTestWindow";
    ::RegisterClassExW(&windowClass);
    FWindow = ::CreateWindowExW(WS_EX_TOPMOST, L"TMonHookTestWindow", L"hook test",
                                WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (FWindow != nullptr) {
      ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      ::ShowWindow(FWindow, SW_SHOW);
      ::UpdateWindow(FWindow);
      ::SetForegroundWindow(FWindow);
      ::SetFocus(FWindow);
    }
  }
  ~TInputWindow() {
    if (FWindow != nullptr) {
      ::DestroyWindow(FWindow);
    }
  }
  TInputWindow(const TInputWindow&) = delete;
  TInputWindow& operator=(const TInputWindow&) = delete;

  HWND Handle() const { return FWindow; }
  // True once the window is in front with the focus (it then gets the keys).
  bool WaitUntilActive() {
    return FWindow != nullptr &&
           PumpUntil([&] { return ::GetForegroundWindow() == FWindow && ::GetFocus() == FWindow; });
  }

  bool Received(UINT AMessage, WPARAM AWParam) const {
    for (const auto& input : Inputs) {
      if (input.Message == AMessage && input.WParam == AWParam) {
        return true;
      }
    }
    return false;
  }
  bool ReceivedMessage(UINT AMessage) const {
    for (const auto& input : Inputs) {
      if (input.Message == AMessage) {
        return true;
      }
    }
    return false;
  }
  // The centre of the window in screen coordinates.
  POINT Centre() const {
    RECT rect{};
    ::GetWindowRect(FWindow, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }

  std::vector<TWindowInput> Inputs;

 private:
  static LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
    auto* self = reinterpret_cast<TInputWindow*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
    if (self != nullptr && ((AMessage >= WM_KEYFIRST && AMessage <= WM_KEYLAST) ||
                            (AMessage >= WM_LBUTTONDOWN && AMessage <= WM_MOUSELAST))) {
      self->Inputs.push_back({AMessage, AWParam});
    }
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }

  HWND FWindow = nullptr;
};

// Injects a key by virtual-key code (the system gives it scan code 0 and the injected flag).
inline bool SendKey(WORD AVirtualKey, bool APress) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = AVirtualKey;
  input.ki.dwFlags = APress ? 0 : KEYEVENTF_KEYUP;
  return ::SendInput(1, &input, sizeof(INPUT)) == 1;
}

inline bool SendKeyStroke(WORD AVirtualKey) {
  return SendKey(AVirtualKey, true) && SendKey(AVirtualKey, false);
}

// Moves the pointer to APoint (screen coordinates) and injects AFlags there (button flags).
inline bool SendMouseAt(POINT APoint, DWORD AFlags, DWORD AMouseData = 0) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((APoint.x * 65535LL + width / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((APoint.y * 65535LL + height / 2) / (height - 1));
  input.mi.mouseData = AMouseData;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | AFlags;
  return ::SendInput(1, &input, sizeof(INPUT)) == 1;
}

}  // namespace mon::testing
