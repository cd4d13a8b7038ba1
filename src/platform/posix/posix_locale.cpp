#include "platform/posix/posix_locale.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "framework/text.h"

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
  // The Windows ANSI code page of the locale (what a file written there without a byte-order
  // mark is in).
  unsigned AnsiCodePage = 1252;
  // The locale a bare language name ("zh", "en") stands for.
  bool LanguageDefault = true;
};

// In ascending LCID order (the order of the enumeration).
constexpr TKnownLocale kKnownLocales[] = {
    {0x0404, "zh", "TW", u"0404", u"Chinese (Traditional, Taiwan)", u"CHT", u"TWN", 950, false},
    {0x0407, "de", "DE", u"0407", u"German (Germany)", u"DEU", u"DEU"},
    {0x0409, "en", "US", u"0409", u"English (United States)", u"ENU", u"USA"},
    {0x040c, "fr", "FR", u"040c", u"French (France)", u"FRA", u"FRA"},
    {0x0410, "it", "IT", u"0410", u"Italian (Italy)", u"ITA", u"ITA"},
    {0x0411, "ja", "JP", u"0411", u"Japanese (Japan)", u"JPN", u"JPN", 932},
    {0x0412, "ko", "KR", u"0412", u"Korean (Korea)", u"KOR", u"KOR", 949},
    {0x0415, "pl", "PL", u"0415", u"Polish (Poland)", u"PLK", u"POL", 1250},
    {0x0416, "pt", "BR", u"0416", u"Portuguese (Brazil)", u"PTB", u"BRA"},
    {0x0419, "ru", "RU", u"0419", u"Russian (Russia)", u"RUS", u"RUS", 1251},
    {0x041f, "tr", "TR", u"041f", u"Turkish (Turkey)", u"TRK", u"TUR", 1254},
    {0x0804, "zh", "CN", u"0804", u"Chinese (Simplified, PRC)", u"CHS", u"CHN", 936},
    {0x0809, "en", "GB", u"0809", u"English (United Kingdom)", u"ENG", u"GBR", 1252, false},
    {0x0816, "pt", "PT", u"0816", u"Portuguese (Portugal)", u"PTG", u"PRT", 1252, false},
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

// ABytes decoded from the code page ACodePage with iconv; a byte sequence the code page does not
// define becomes U+FFFD and decoding goes on after its first byte.
// iconv_open's failure value, (iconv_t)-1.
// NOLINTNEXTLINE(performance-no-int-to-ptr): the value iconv itself defines.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));

std::u16string DecodeCodePage(unsigned ACodePage, std::span<const std::uint8_t> ABytes) {
  static_assert(std::endian::native == std::endian::little, "UTF-16LE is read as char16_t");
  const std::string charset = "CP" + std::to_string(ACodePage);
  iconv_t converter = ::iconv_open("UTF-16LE", charset.c_str());
  if (converter == kNoConverter) {
    return Windows1252ToUtf16(
        std::string_view(reinterpret_cast<const char*>(ABytes.data()), ABytes.size()));
  }
  std::u16string text;
  std::vector<char> input(ABytes.begin(), ABytes.end());
  char* in = input.data();
  std::size_t inLeft = input.size();
  char16_t chunk[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof chunk;
    const std::size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
    text.append(chunk, (sizeof chunk - outLeft) / sizeof(char16_t));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (cut short at the end): one replacement for the first byte.
      text.push_back(u'\uFFFD');
      ++in;
      --inLeft;
      ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  ::iconv_close(converter);
  return text;
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

std::u16string TPosixLocale::DecodeAnsiText(std::span<const std::uint8_t> ABytes) {
  const TKnownLocale* known = FindKnown(FUserLcid);
  const unsigned codePage = known != nullptr ? known->AnsiCodePage : 1252;
  if (codePage == 1252) {
    return Windows1252ToUtf16(
        std::string_view(reinterpret_cast<const char*>(ABytes.data()), ABytes.size()));
  }
  return DecodeCodePage(codePage, ABytes);
}

std::vector<TLcid> TPosixLocale::SupportedLocales() {
  std::vector<TLcid> locales;
  for (const auto& known : kKnownLocales) {
    locales.push_back(known.Lcid);
  }
  return locales;
}

}  // namespace mon::posix
