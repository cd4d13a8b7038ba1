#include "fake_locale.h"

namespace mon::testing {

TFakeLocale::TFakeLocale() {
  Locales = {
      {0x0404, u"0404", u"Chinese (Traditional, Taiwan)", u"CHT", u"TWN"},
      {0x0407, u"0407", u"German (Germany)", u"DEU", u"DEU"},
      {0x0409, u"0409", u"English (United States)", u"ENU", u"USA"},
      {0x040c, u"040c", u"French (France)", u"FRA", u"FRA"},
      {0x0804, u"0804", u"Chinese (Simplified, PRC)", u"CHS", u"CHN"},
      {0x1000, u"1000", u"Custom locale", u"ZZZ", std::nullopt},
      {0x10407, u"0407", u"German (Germany, phone book sort)", u"DEU", u"DEU"},
  };
}

int TFakeLocale::CompareUserLocale(std::u16string_view A, std::u16string_view B,
                                   TCompareCase ACase) {
  ++CompareCalls;
  return CompareCodeUnits(A, B, ACase);
}

TFakeLocaleEntry* TFakeLocale::Find(TLcid ALcid) {
  for (auto& entry : Locales) {
    if (entry.Lcid == ALcid) {
      return &entry;
    }
  }
  return nullptr;
}

std::optional<std::u16string> TFakeLocale::LocaleInfo(TLcid ALcid, TLocaleInfoType AType) {
  const TFakeLocaleEntry* entry = Find(ALcid);
  if (entry == nullptr) {
    return std::nullopt;
  }
  switch (AType) {
    case TLocaleInfoType::AbbrevLanguageName:
      return entry->AbbrevLanguageName;
    case TLocaleInfoType::LanguageId:
      return entry->LanguageId;
    case TLocaleInfoType::LanguageName:
      return entry->LanguageName;
    case TLocaleInfoType::AbbrevCountryName:
      return entry->AbbrevCountryName;
  }
  return std::nullopt;
}

std::vector<TLcid> TFakeLocale::SupportedLocales() {
  ++SupportedLocalesCalls;
  std::vector<TLcid> result;
  for (const auto& entry : Locales) {
    result.push_back(entry.Lcid);
  }
  return result;
}

}  // namespace mon::testing
