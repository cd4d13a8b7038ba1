#include "i18n/locale_index.h"

namespace mon {

TLocaleIndexes BuildLocaleIndexes(TLocale& ALocale) {
  TLocaleIndexes indexes;
  for (const TLcid lcid : ALocale.SupportedLocales()) {
    TLocaleIndexEntry entry;
    entry.LanguageId = ALocale.LocaleInfo(lcid, TLocaleInfoType::LanguageId).value_or(u"");
    entry.LanguageName = ALocale.LocaleInfo(lcid, TLocaleInfoType::LanguageName).value_or(u"");
    entry.Key = entry.LanguageId;
    indexes.LanguageIDIndex.push_back(entry);
    const bool hasCountry =
        LocaleInfoInBuffer(ALocale, lcid, TLocaleInfoType::AbbrevCountryName, 4).has_value();
    if (!hasCountry) {
      entry.Key.clear();
    }
    indexes.ShortIDIndex.push_back(std::move(entry));
  }
  return indexes;
}

const TLocaleIndexEntry* FindLocaleIndexEntry(const TLocaleIndex& AIndex, std::u16string_view AKey,
                                              TLocale& ALocale) {
  for (const auto& entry : AIndex) {
    if (ALocale.CompareUserLocale(entry.Key, AKey, TCompareCase::IgnoreCase) == 0) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace mon
