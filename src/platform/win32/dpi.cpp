#include "platform/win32/dpi.h"

#include <initializer_list>

namespace mon::win32 {

namespace {

// user32's DPI functions of Windows 10 1607, bound once; each is null where the system lacks it.
struct TDpiFunctions {
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  using TGetDpiForSystem = UINT(WINAPI*)();
  using TSystemParametersInfoForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  using TGetSystemMetricsForDpi = int(WINAPI*)(int, UINT);

  TGetDpiForWindow GetDpiForWindow = nullptr;
  TGetDpiForSystem GetDpiForSystem = nullptr;
  TSystemParametersInfoForDpi SystemParametersInfoForDpi = nullptr;
  TGetSystemMetricsForDpi GetSystemMetricsForDpi = nullptr;

  TDpiFunctions() {
    // Imported by every program of ours: loaded already, and for the life of the process.
    if (const HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
      Bind(user32, GetDpiForWindow, "GetDpiForWindow");
      Bind(user32, GetDpiForSystem, "GetDpiForSystem");
      Bind(user32, SystemParametersInfoForDpi, "SystemParametersInfoForDpi");
      Bind(user32, GetSystemMetricsForDpi, "GetSystemMetricsForDpi");
    }
  }

  template <class T>
  static void Bind(HMODULE AModule, T& AFunction, const char* AName) {
    AFunction = reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(AModule, AName)));
  }
};

const TDpiFunctions& DpiFunctions() {
  static const TDpiFunctions functions;
  return functions;
}

void ScaleFontHeight(LOGFONTW& AFont, UINT AFrom, UINT ATo) {
  AFont.lfHeight = ::MulDiv(AFont.lfHeight, static_cast<int>(ATo), static_cast<int>(AFrom));
}

}  // namespace

UINT SystemDpi() {
  if (DpiFunctions().GetDpiForSystem != nullptr) {
    if (const UINT dpi = DpiFunctions().GetDpiForSystem(); dpi != 0) {
      return dpi;
    }
  }
  int dpi = 0;
  if (const HDC screen = ::GetDC(nullptr)) {
    dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT WindowDpi(HWND AWindow) {
  if (AWindow != nullptr && DpiFunctions().GetDpiForWindow != nullptr) {
    if (const UINT dpi = DpiFunctions().GetDpiForWindow(AWindow); dpi != 0) {
      return dpi;
    }
  }
  return SystemDpi();
}

bool WindowIsAtDpi(HWND AWindow, UINT ADpi) {
  return DpiFunctions().GetDpiForWindow == nullptr ||
         (AWindow != nullptr && DpiFunctions().GetDpiForWindow(AWindow) == ADpi);
}

int SmallIconSideForDpi(UINT ADpi) {
  if (DpiFunctions().GetSystemMetricsForDpi != nullptr) {
    if (const int side = DpiFunctions().GetSystemMetricsForDpi(SM_CXSMICON, ADpi); side > 0) {
      return side;
    }
  }
  return ::MulDiv(::GetSystemMetrics(SM_CXSMICON), static_cast<int>(ADpi),
                  static_cast<int>(SystemDpi()));
}

UINT DpiFromDpiChanged(WPARAM AWParam) {
  const UINT dpi = HIWORD(AWParam);
  return dpi != 0 ? dpi : kDefaultDpi;
}

bool NonClientMetricsForDpi(UINT ADpi, NONCLIENTMETRICSW& AMetrics) {
  AMetrics = NONCLIENTMETRICSW{};
  AMetrics.cbSize = sizeof AMetrics;
  if (DpiFunctions().SystemParametersInfoForDpi != nullptr &&
      DpiFunctions().SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof AMetrics, &AMetrics,
                                                0, ADpi) != 0) {
    return true;
  }
  AMetrics = NONCLIENTMETRICSW{};
  AMetrics.cbSize = sizeof AMetrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof AMetrics, &AMetrics, 0) == 0) {
    return false;
  }
  // The system's answer is at the system DPI.
  const UINT system = SystemDpi();
  if (ADpi != system) {
    for (LOGFONTW* font : {&AMetrics.lfCaptionFont, &AMetrics.lfSmCaptionFont, &AMetrics.lfMenuFont,
                           &AMetrics.lfStatusFont, &AMetrics.lfMessageFont}) {
      ScaleFontHeight(*font, system, ADpi);
    }
  }
  return true;
}

}  // namespace mon::win32
