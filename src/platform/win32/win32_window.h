// The one way our Win32 windows are made: a window class registered on first use, the object
// reachable from its window procedure from the first message on, exceptions of a handler sent to
// the central error handler (the loop goes on), and nothing delivered once the object goes. A
// window the system destroys (a closed dialog) is let go: Window() is then null.
#pragma once

#include <windows.h>

#include <string>

namespace mon::win32 {

struct TWin32WindowParams {
  std::wstring ClassName;
  std::wstring Title;
  DWORD Style = WS_POPUP;
  DWORD ExStyle = WS_EX_TOOLWINDOW;  // a tool window has no taskbar button
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  HWND Parent = nullptr;  // the owner of a top-level window; HWND_MESSAGE: message-only
  HBRUSH Background = nullptr;
};

// The text of a window or control (GetWindowTextW), whole.
std::u16string WindowText(HWND AWindow);

class TWin32Window {
 public:
  TWin32Window() = default;
  // Destroys the window; from here on no message reaches HandleWindowMessage.
  virtual ~TWin32Window();
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;

  HWND Window() const { return FWindow; }

 protected:
  // Registers the class (once per process; the program's icon 1 and the arrow cursor) and
  // creates the window, hidden. False when either fails.
  bool CreateWindowFromParams(const TWin32WindowParams& AParams);

  // Destroys the window now, for owners whose members must outlive it; nothing when it is gone.
  void DestroyWindowNow();

  // Every message of the window after WM_NCCREATE and before WM_NCDESTROY. Unhandled messages
  // go to DefaultHandling.
  virtual LRESULT HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) = 0;
  LRESULT DefaultHandling(UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
    return ::DefWindowProcW(FWindow, AMessage, AWParam, ALParam);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam);

  HWND FWindow = nullptr;
};

}  // namespace mon::win32
