// National-language services of Windows.
#pragma once

#include "platform/locale.h"

namespace mon::win32 {

class TWin32Locale final : public TLocale {
 public:
  int CompareUserLocale(std::u16string_view A, std::u16string_view B, TCompareCase ACase) override;
  TLcid UserDefaultLcid() override;
  std::optional<std::u16string> LocaleInfo(TLcid ALcid, TLocaleInfoType AType) override;
  std::vector<TLcid> SupportedLocales() override;
  std::uint16_t SystemDefaultLangId() override;
  std::u16string DecodeAnsiText(std::span<const std::uint8_t> ABytes) override;
};

}  // namespace mon::win32
