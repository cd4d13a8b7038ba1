// National-language services without a collation library: a fixed list of common locales,
// the user's locale taken from the environment, and the code-unit order of CompareCodeUnits
// in place of a linguistic one. Enough to order language tables deterministically and to name
// languages in English; a full backend can put ICU behind the same interface later.
#pragma once

#include "platform/locale.h"

namespace mon::posix {

class TPosixLocale final : public TLocale {
 public:
  // Reads LC_ALL, LC_MESSAGES and LANG (the first that is set and not empty), e.g. "zh_CN.UTF-8".
  TPosixLocale();
  // A locale name given directly, for tests ("de_DE", "C").
  explicit TPosixLocale(const char* ALocaleName);

  int CompareUserLocale(std::u16string_view A, std::u16string_view B, TCompareCase ACase) override;
  // The listed locale for the language and territory of the locale name, else the usual locale
  // of its language, else English (United States).
  TLcid UserDefaultLcid() override { return FUserLcid; }
  std::optional<std::u16string> LocaleInfo(TLcid ALcid, TLocaleInfoType AType) override;
  // The listed locales, in ascending LCID order.
  std::vector<TLcid> SupportedLocales() override;
  // The language ID of the user's locale: there is no separate system setting to read.
  std::uint16_t SystemDefaultLangId() override { return static_cast<std::uint16_t>(FUserLcid); }
  // The Windows ANSI code page of the user's locale (936 for zh_CN, 1251 for ru, 1252 for most
  // Western locales), through iconv: a config.ini brought from a Windows system of the same
  // language reads as it did there.
  std::u16string DecodeAnsiText(std::span<const std::uint8_t> ABytes) override;

  // The LCID a locale name such as "zh_CN.UTF-8" or "de" maps to.
  static TLcid LcidOfLocaleName(const char* ALocaleName);

 private:
  TLcid FUserLcid;
};

}  // namespace mon::posix
