// A deterministic locale service for unit tests.
//
// Order: CompareCodeUnits (code units after simple case folding, lower case before upper case
// for texts that differ only in case). It agrees with the Windows linguistic order on the
// texts of the language tables except where Windows gives hyphens and apostrophes special
// weights; tests must not depend on that difference.
//
// Locales: a small fixed list, in ascending LCID order, that a test may change:
//   0x0404 Chinese (Traditional, Taiwan)  CHT / TWN
//   0x0407 German (Germany)               DEU / DEU
//   0x0409 English (United States)        ENU / USA
//   0x040c French (France)                FRA / FRA
//   0x0804 Chinese (Simplified, PRC)      CHS / CHN
//   0x1000 a custom locale without a country abbreviation, language ID "1000"
//   0x10407 German (Germany, phone book sort): a second locale with language ID "0407"
// The user's locale is 0x0409 and the system language 0x0409 unless a test sets them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/ini_file.h"
#include "platform/locale.h"

namespace mon::testing {

struct TFakeLocaleEntry {
  TLcid Lcid = 0;
  // nullopt: the locale has no such value.
  std::optional<std::u16string> LanguageId;
  std::optional<std::u16string> LanguageName;
  std::optional<std::u16string> AbbrevLanguageName;
  std::optional<std::u16string> AbbrevCountryName;
};

class TFakeLocale final : public TLocale {
 public:
  TFakeLocale();

  TLcid UserLcid = 0x0409;
  std::uint16_t SystemLangId = 0x0409;
  std::vector<TFakeLocaleEntry> Locales;
  // Number of CompareUserLocale calls so far.
  std::size_t CompareCalls = 0;

  int CompareUserLocale(std::u16string_view A, std::u16string_view B, TCompareCase ACase) override;
  TLcid UserDefaultLcid() override { return UserLcid; }
  std::optional<std::u16string> LocaleInfo(TLcid ALcid, TLocaleInfoType AType) override;
  std::vector<TLcid> SupportedLocales() override;
  int SupportedLocalesCalls = 0;  // how often the system's locales were enumerated
  std::uint16_t SystemDefaultLangId() override { return SystemLangId; }
  // Windows-1252 unless a test gives the system another ANSI code page.
  std::u16string DecodeAnsiText(std::span<const std::uint8_t> ABytes) override {
    return AnsiDecoder ? AnsiDecoder(ABytes) : DecodeWindows1252(ABytes);
  }
  TAnsiDecoder AnsiDecoder;

  // The entry of ALcid, or nullptr.
  TFakeLocaleEntry* Find(TLcid ALcid);
};

}  // namespace mon::testing
