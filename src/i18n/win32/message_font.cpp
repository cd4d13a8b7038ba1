#include "i18n/win32/message_font.h"

namespace mon::win32 {

TUniqueFont CreateMessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != 0) {
    if (HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont)) {
      return TUniqueFont(font);
    }
  }
  // A stock object must not be deleted: make an owned copy of it.
  LOGFONTW stock{};
  if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock) != 0) {
    return TUniqueFont(::CreateFontIndirectW(&stock));
  }
  return TUniqueFont();
}

}  // namespace mon::win32
