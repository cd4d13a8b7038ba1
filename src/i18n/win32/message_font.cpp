#include "i18n/win32/message_font.h"

#include <commctrl.h>

#include "platform/win32/dpi.h"

namespace mon::win32 {

TUniqueFont CreateMessageFont(UINT ADpi) {
  NONCLIENTMETRICSW metrics{};
  if (NonClientMetricsForDpi(ADpi, metrics)) {
    if (HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont)) {
      return TUniqueFont(font);
    }
  }
  // A stock object must not be deleted: make an owned copy of it.
  LOGFONTW stock{};
  if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock) != 0) {
    stock.lfHeight =
        ::MulDiv(stock.lfHeight, static_cast<int>(ADpi), static_cast<int>(SystemDpi()));
    return TUniqueFont(::CreateFontIndirectW(&stock));
  }
  return TUniqueFont();
}

void InitEditorControlClasses() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  // Apart: only Common Controls 6 knows this flag (without the manifest the standard classes
  // are user32's and need no registering).
  controls.dwICC = ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);
}

}  // namespace mon::win32
