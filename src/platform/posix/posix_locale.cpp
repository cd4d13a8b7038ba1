#include "platform/posix/posix_locale.h"

#include <cstdlib>
#include <string_view>

namespace mon::posix {

namespace {

struct TKnownLocale {
  TLcid Lcid;
  std::string_view Language;   // ISO 639-1, as in locale names
  std::string_view Territory;  // ISO 3166-1, as in locale names
  std::u16string_view LanguageId;
  std::u16string_view LanguageName;
  std::u16string_view AbbrevLanguageName;
  std::u16string_view AbbrevCountryName;
  // The locale a bare language name ("zh", "en") stands for.
  bool LanguageDefault = true;
};

// In ascending LCID order (the order of the enumeration).
constexpr TKnownLocale kKnownLocales[] = {
    {0x0404, "zh", "TW", u"0404", u"Chinese (Traditional, Taiwan)", u"CHT", u"TWN", false},
    {0x0407, "de", "DE", u"0407", u"German (Germany)", u"DEU", u"DEU"},
    {0x0409, "en", "US", u"0409", u"English (United States)", u"ENU", u"USA"},
    {0x040c, "fr", "FR", u"040c", u"French (France)", u"FRA", u"FRA"},
    {0x0410, "it", "IT", u"0410", u"Italian (Italy)", u"ITA", u"ITA"},
    {0x0411, "ja", "JP", u"0411", u"Japanese (Japan)", u"JPN", u"JPN"},
    {0x0412, "ko", "KR", u"0412", u"Korean (Korea)", u"KOR", u"KOR"},
    {0x0415, "pl", "PL", u"0415", u"Polish (Poland)", u"PLK", u"POL"},
    {0x0416, "pt", "BR", u"0416", u"Portuguese (Brazil)", u"PTB", u"BRA"},
    {0x0419, "ru", "RU", u"0419", u"Russian (Russia)", u"RUS", u"RUS"},
    {0x041f, "tr", "TR", u"041f", u"Turkish (Turkey)", u"TRK", u"TUR"},
    {0x0804, "zh", "CN", u"0804", u"Chinese (Simplified, PRC)", u"CHS", u"CHN"},
    {0x0809, "en", "GB", u"0809", u"English (United Kingdom)", u"ENG", u"GBR", false},
    {0x0816, "pt", "PT", u"0816", u"Portuguese (Portugal)", u"PTG", u"PRT", false},
    {0x0c0a, "es", "ES", u"0c0a", u"Spanish (Spain)", u"ESN", u"ESP"},
};

constexpr TLcid kEnglishUnitedStates = 0x0409;

const TKnownLocale* FindKnown(TLcid ALcid) {
  for (const auto& known : kKnownLocales) {
    if (known.Lcid == ALcid) {
      return &known;
    }
  }
  return nullptr;
}

const char* LocaleNameFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return "";
}

}  // namespace

TPosixLocale::TPosixLocale() : FUserLcid(LcidOfLocaleName(LocaleNameFromEnvironment())) {}

TPosixLocale::TPosixLocale(const char* ALocaleName) : FUserLcid(LcidOfLocaleName(ALocaleName)) {}

TLcid TPosixLocale::LcidOfLocaleName(const char* ALocaleName) {
  // language[_territory][.codeset][@modifier]
  const std::string_view name = ALocaleName == nullptr ? std::string_view() : ALocaleName;
  const std::size_t languageEnd = name.find_first_of("_.@");
  const std::string_view language = name.substr(0, languageEnd);
  std::string_view territory;
  if (languageEnd != std::string_view::npos && name[languageEnd] == '_') {
    const std::string_view rest = name.substr(languageEnd + 1);
    territory = rest.substr(0, rest.find_first_of(".@"));
  }
  const TKnownLocale* sameLanguage = nullptr;
  for (const auto& known : kKnownLocales) {
    if (known.Language != language) {
      continue;
    }
    if (known.Territory == territory) {
      return known.Lcid;
    }
    if (sameLanguage == nullptr || (known.LanguageDefault && !sameLanguage->LanguageDefault)) {
      sameLanguage = &known;
    }
  }
  return sameLanguage != nullptr ? sameLanguage->Lcid : kEnglishUnitedStates;
}

int TPosixLocale::CompareUserLocale(std::u16string_view A, std::u16string_view B,
                                    TCompareCase ACase) {
  return CompareCodeUnits(A, B, ACase);
}

std::optional<std::u16string> TPosixLocale::LocaleInfo(TLcid ALcid, TLocaleInfoType AType) {
  const TKnownLocale* known = FindKnown(ALcid);
  if (known == nullptr) {
    return std::nullopt;
  }
  switch (AType) {
    case TLocaleInfoType::AbbrevLanguageName:
      return std::u16string(known->AbbrevLanguageName);
    case TLocaleInfoType::LanguageId:
      return std::u16string(known->LanguageId);
    case TLocaleInfoType::LanguageName:
      return std::u16string(known->LanguageName);
    case TLocaleInfoType::AbbrevCountryName:
      return std::u16string(known->AbbrevCountryName);
  }
  return std::nullopt;
}

std::vector<TLcid> TPosixLocale::SupportedLocales() {
  std::vector<TLcid> locales;
  for (const auto& known : kKnownLocales) {
    locales.push_back(known.Lcid);
  }
  return locales;
}

}  // namespace mon::posix
