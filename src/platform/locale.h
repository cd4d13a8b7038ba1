// National-language services: the user's linguistic order of texts, information about locales
// and the list of locales the system supports.
//
// Locales are named by Windows locale identifiers (LCIDs: the language ID in the low 16 bits,
// the sort ID above it) because that is what the stored language data and the language
// component speak; a backend of another system maps its own locales onto them.
//
// Every method may be called from any thread; none throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mon {

using TLcid = std::uint32_t;

enum class TCompareCase { Sensitive, IgnoreCase };

// The locale values the core asks for (the names of the Windows LOCALE_* constants).
enum class TLocaleInfoType {
  AbbrevLanguageName,  // LOCALE_SABBREVLANGNAME: "ENU", "CHS", "DEU"
  LanguageId,          // LOCALE_ILANGUAGE: the language ID as four hexadecimal digits, "0409"
  LanguageName,  // LOCALE_SLANGUAGE: the language's name, localized ("English (United States)")
  AbbrevCountryName,  // LOCALE_SABBREVCTRYNAME: "USA", "CHN"
};

class TLocale {
 public:
  virtual ~TLocale() = default;

  // Compares A and B in the linguistic order of the user's default locale, with or without
  // regard to case (on Windows CompareStringW with LOCALE_USER_DEFAULT and no flags or
  // NORM_IGNORECASE). Negative when A sorts first, zero when the two are equal in that order,
  // positive when B sorts first. Never fails: where the system cannot compare, the backend
  // falls back to CompareCodeUnits below.
  virtual int CompareUserLocale(std::u16string_view A, std::u16string_view B,
                                TCompareCase ACase) = 0;

  // The user's default locale (GetUserDefaultLCID). Always some locale.
  virtual TLcid UserDefaultLcid() = 0;

  // The whole value AType of the locale ALcid, without terminator. nullopt when the locale is
  // unknown or has no such value.
  virtual std::optional<std::u16string> LocaleInfo(TLcid ALcid, TLocaleInfoType AType) = 0;

  // The locales the system supports (EnumSystemLocalesW with LCID_SUPPORTED), in the system's
  // order. Empty when the system cannot tell.
  virtual std::vector<TLcid> SupportedLocales() = 0;

  // The system's default language ID (GetSystemDefaultLangID).
  virtual std::uint16_t SystemDefaultLangId() = 0;

  // ABytes as text of the system's ANSI code page: the code page of text files without a
  // byte-order mark, such as config.ini (on Windows MultiByteToWideChar with CP_ACP, as the
  // system's INI functions read such a file). Bytes the code page does not define become a
  // replacement character; never fails.
  virtual std::u16string DecodeAnsiText(std::span<const std::uint8_t> ABytes) = 0;
};

// A deterministic stand-in for a linguistic order, used where the system offers none: code
// units compared after simple case folding (ASCII and Latin-1 letters, see FoldCase), a shorter
// text before a longer one it begins; with ACase == Sensitive, texts that differ only in case
// are then ordered at their first difference, lower case first (as Windows orders "a" before
// "A"). Zero only for identical texts (Sensitive) or texts equal after folding (IgnoreCase).
int CompareCodeUnits(std::u16string_view A, std::u16string_view B, TCompareCase ACase);

// LocaleInfo as it reads into a buffer of ABufferUnits UTF-16 units including the terminator:
// nullopt when the value is missing or longer than ABufferUnits - 1 units (GetLocaleInfoW fails
// with ERROR_INSUFFICIENT_BUFFER then).
std::optional<std::u16string> LocaleInfoInBuffer(TLocale& ALocale, TLcid ALcid,
                                                 TLocaleInfoType AType, std::size_t ABufferUnits);

}  // namespace mon
