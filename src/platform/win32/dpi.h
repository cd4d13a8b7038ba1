// Dots per inch of the screen a window is on, and lengths scaled to them. Layouts are written
// for 96 DPI (100 %) and scaled with ScaleForDpi; at 96 DPI they stay exactly as written.
//
// The per-window and per-DPI functions of the system (Windows 10 1607 and later) are bound at
// run time, so the programs still start on Windows 7 and 8; without them the system DPI is
// used. Any thread.
#pragma once

#include <windows.h>

namespace mon::win32 {

// The DPI that layouts are written for (USER_DEFAULT_SCREEN_DPI).
inline constexpr UINT kDefaultDpi = 96;

// AValue, a length at 96 DPI, at ADpi (rounded to the nearest pixel; negative lengths such as
// font heights scale the same way).
inline int ScaleForDpi(int AValue, UINT ADpi) {
  return ::MulDiv(AValue, static_cast<int>(ADpi), static_cast<int>(kDefaultDpi));
}

// The DPI of the primary screen as this process sees it: GetDpiForSystem, or where the system
// lacks it the screen's LOGPIXELSX; 96 when neither answers.
UINT SystemDpi();

// The DPI of the monitor AWindow is on (GetDpiForWindow); SystemDpi() where the system lacks it
// or for no window.
UINT WindowDpi(HWND AWindow);

// True when AWindow is at ADpi by GetDpiForWindow, and always where the system lacks that
// function: WM_DPICHANGED is believed only then, as any program can send it with anything in it.
bool WindowIsAtDpi(HWND AWindow, UINT ADpi);

// The side of a small icon (SM_CXSMICON: the notification area's) at ADpi: GetSystemMetricsForDpi,
// or where the system lacks it the system's metric scaled from the system DPI.
int SmallIconSideForDpi(UINT ADpi);

// The DPI from the wParam of WM_DPICHANGED (its two halves are equal; the vertical one is taken);
// 96 for a zero.
UINT DpiFromDpiChanged(WPARAM AWParam);

// The non-client metrics (fonts of captions, menus and messages) at ADpi: SystemParametersInfo-
// ForDpi, or where the system lacks it SPI_GETNONCLIENTMETRICS with its font heights scaled from
// the system DPI to ADpi. False when the system does not say.
bool NonClientMetricsForDpi(UINT ADpi, NONCLIENTMETRICSW& AMetrics);

}  // namespace mon::win32
