// The screen resolution as Windows tells it: per monitor through GetDpiForWindow and
// GetSystemMetricsForDpi (Windows 10 1607 and later), bound at run time from user32 because
// older systems (and possibly Wine) lack them, else the system-wide resolution of the screen's
// device context. What a window sees depends on how the process is aware of resolutions (its
// manifest): a process the system scales for sees 96 everywhere, and that is right for it.
#pragma once

#include <windows.h>

namespace mon::win32 {

class TWin32Dpi {
 public:
  // Binds the two functions from user32, which the program imports (so it is loaded).
  TWin32Dpi();

  // The resolution of the monitor AWindow is on, as the window sees it; the system's when
  // GetDpiForWindow is missing or fails. Brought into 96 (kDesignDpi) to kMaxDpi.
  int ForWindow(HWND AWindow) const;
  // True when AWindow's resolution is ADpi by GetDpiForWindow, and always without it (Windows
  // 8.1): WM_DPICHANGED is believed only then, as any program can send it with anything in it.
  bool WindowIsAt(HWND AWindow, int ADpi) const;
  // The side of a small icon (SM_CXSMICON: the notification area's) at ADpi.
  int SmallIconSide(int ADpi) const;

 private:
  // LOGPIXELSX of the screen; 96 when it cannot be read.
  static int SystemDpi();

  UINT(WINAPI* FGetDpiForWindow)(HWND) = nullptr;
  int(WINAPI* FGetSystemMetricsForDpi)(int, UINT) = nullptr;
};

}  // namespace mon::win32
