#include "platform/win32/win32_locale.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

LCTYPE ToLcType(TLocaleInfoType AType) {
  switch (AType) {
    case TLocaleInfoType::AbbrevLanguageName:
      return LOCALE_SABBREVLANGNAME;
    case TLocaleInfoType::LanguageId:
      return LOCALE_ILANGUAGE;
    case TLocaleInfoType::LanguageName:
      return LOCALE_SLANGUAGE;
    case TLocaleInfoType::AbbrevCountryName:
      return LOCALE_SABBREVCTRYNAME;
  }
  return 0;
}

// EnumSystemLocalesW hands each locale to a callback without a context argument; the list being
// filled is reached through this pointer, set only while SupportedLocales runs on the thread.
thread_local std::vector<TLcid>* GEnumeratedLocales = nullptr;

// A locale string of the enumeration: eight hexadecimal digits.
bool ParseHexLcid(const wchar_t* AText, TLcid& AValue) {
  if (AText == nullptr || *AText == L'\0') {
    return false;
  }
  std::uint64_t value = 0;
  int digits = 0;
  for (const wchar_t* p = AText; *p != L'\0'; ++p) {
    const wchar_t c = *p;
    unsigned digit = 0;
    if (c >= L'0' && c <= L'9') {
      digit = static_cast<unsigned>(c - L'0');
    } else if (c >= L'a' && c <= L'f') {
      digit = static_cast<unsigned>(c - L'a' + 10);
    } else if (c >= L'A' && c <= L'F') {
      digit = static_cast<unsigned>(c - L'A' + 10);
    } else {
      return false;
    }
    if (++digits > 8) {
      return false;
    }
    value = value * 16 + digit;
  }
  AValue = static_cast<TLcid>(value);
  return true;
}

BOOL CALLBACK CollectLocale(LPWSTR ALocaleString) {
  TLcid lcid = 0;
  if (GEnumeratedLocales != nullptr && ParseHexLcid(ALocaleString, lcid)) {
    GEnumeratedLocales->push_back(lcid);
  }
  return TRUE;  // continue with every locale
}

}  // namespace

int TWin32Locale::CompareUserLocale(std::u16string_view A, std::u16string_view B,
                                    TCompareCase ACase) {
  if (A.size() <= static_cast<std::size_t>(INT_MAX) &&
      B.size() <= static_cast<std::size_t>(INT_MAX)) {
    const DWORD flags = ACase == TCompareCase::IgnoreCase ? NORM_IGNORECASE : 0;
    // Explicit lengths: the texts are not terminated and may hold U+0000.
    const int result =
        ::CompareStringW(LOCALE_USER_DEFAULT, flags, reinterpret_cast<const wchar_t*>(A.data()),
                         static_cast<int>(A.size()), reinterpret_cast<const wchar_t*>(B.data()),
                         static_cast<int>(B.size()));
    if (result != 0) {
      return result - CSTR_EQUAL;
    }
  }
  return CompareCodeUnits(A, B, ACase);
}

TLcid TWin32Locale::UserDefaultLcid() {
  return ::GetUserDefaultLCID();
}

std::optional<std::u16string> TWin32Locale::LocaleInfo(TLcid ALcid, TLocaleInfoType AType) {
  const LCTYPE type = ToLcType(AType);
  // First the size (terminator included), then the value.
  const int units = ::GetLocaleInfoW(ALcid, type, nullptr, 0);
  if (units <= 0) {
    return std::nullopt;
  }
  std::wstring buffer(static_cast<std::size_t>(units), L'\0');
  const int written = ::GetLocaleInfoW(ALcid, type, buffer.data(), units);
  if (written <= 0) {
    return std::nullopt;
  }
  return FromWideBuffer(buffer.data(), static_cast<std::size_t>(written));
}

std::vector<TLcid> TWin32Locale::SupportedLocales() {
  std::vector<TLcid> locales;
  std::vector<TLcid>* const previous = GEnumeratedLocales;
  GEnumeratedLocales = &locales;
  ::EnumSystemLocalesW(CollectLocale, LCID_SUPPORTED);
  GEnumeratedLocales = previous;
  return locales;
}

std::uint16_t TWin32Locale::SystemDefaultLangId() {
  return ::GetSystemDefaultLangID();
}

std::u16string TWin32Locale::DecodeAnsiText(std::span<const std::uint8_t> ABytes) {
  if (ABytes.empty() || ABytes.size() > static_cast<std::size_t>(INT_MAX)) {
    return {};
  }
  const auto* bytes = reinterpret_cast<const char*>(ABytes.data());
  const int length = static_cast<int>(ABytes.size());
  // First the length, then the text: at most one UTF-16 unit per byte.
  const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
  if (units <= 0) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  const int written = ::MultiByteToWideChar(CP_ACP, 0, bytes, length, text.data(), units);
  text.resize(static_cast<std::size_t>(std::max(written, 0)));
  return FromWide(text);
}

}  // namespace mon::win32
