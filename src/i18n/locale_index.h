// The language names of the system's supported locales, as the language component and the
// translation editor look them up: one entry per supported locale, in the system's order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/locale.h"

namespace mon {

struct TLocaleIndexEntry {
  std::u16string Key;
  std::u16string LanguageName;  // LOCALE_SLANGUAGE, localized
  std::u16string LanguageId;    // LOCALE_ILANGUAGE, four hexadecimal digits ("0409")
};

using TLocaleIndex = std::vector<TLocaleIndexEntry>;

struct TLocaleIndexes {
  // Key: the language ID.
  TLocaleIndex LanguageIDIndex;
  // Key: the language ID when the locale has an abbreviated country name (read into a 4-unit
  // buffer), the empty string otherwise.
  TLocaleIndex ShortIDIndex;
};

// Builds both indexes from ALocale's supported locales. A value the system does not give is the
// empty string; duplicates are kept (lookups return the first).
TLocaleIndexes BuildLocaleIndexes(TLocale& ALocale);

// The first entry whose key equals AKey without regard to case (the user locale's order), or
// nullptr.
const TLocaleIndexEntry* FindLocaleIndexEntry(const TLocaleIndex& AIndex, std::u16string_view AKey,
                                              TLocale& ALocale);

}  // namespace mon
