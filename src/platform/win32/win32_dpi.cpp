#include "platform/win32/win32_dpi.h"

#include <algorithm>

#include "platform/win32/unique_resource.h"
#include "ui/geometry.h"

namespace mon::win32 {
namespace {

template <class T>
T BoundFunction(HMODULE AModule, const char* AName) {
  return AModule != nullptr
             ? reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(AModule, AName)))
             : nullptr;
}

}  // namespace

TWin32Dpi::TWin32Dpi() {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  FGetDpiForWindow = BoundFunction<decltype(FGetDpiForWindow)>(user32, "GetDpiForWindow");
  FGetSystemMetricsForDpi =
      BoundFunction<decltype(FGetSystemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
}

int TWin32Dpi::SystemDpi() {
  const TUniqueWindowDC screen(::GetDC(nullptr));
  const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kDesignDpi;
}

int TWin32Dpi::ForWindow(HWND AWindow) const {
  const int dpi = FGetDpiForWindow != nullptr && AWindow != nullptr
                      ? static_cast<int>(FGetDpiForWindow(AWindow))
                      : 0;
  return std::clamp(dpi > 0 ? dpi : SystemDpi(), kDesignDpi, kMaxDpi);
}

bool TWin32Dpi::WindowIsAt(HWND AWindow, int ADpi) const {
  return FGetDpiForWindow == nullptr ||
         (AWindow != nullptr && static_cast<int>(FGetDpiForWindow(AWindow)) == ADpi);
}

int TWin32Dpi::SmallIconSide(int ADpi) const {
  if (FGetSystemMetricsForDpi != nullptr) {
    const int side = FGetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(ADpi));
    if (side > 0) {
      return side;
    }
  }
  // The metrics are the system resolution's.
  return ::MulDiv(::GetSystemMetrics(SM_CXSMICON), ADpi, SystemDpi());
}

}  // namespace mon::win32
