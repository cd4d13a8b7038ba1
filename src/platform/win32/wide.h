// UTF-16 texts of the core as wchar_t texts of the Win32 API (wchar_t is 16-bit on Windows).
#pragma once

#include <string>
#include <string_view>

namespace mon::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide characters are UTF-16 units");

inline std::wstring ToWide(std::u16string_view AText) {
  return std::wstring(reinterpret_cast<const wchar_t*>(AText.data()), AText.size());
}

inline std::u16string FromWide(std::wstring_view AText) {
  return std::u16string(reinterpret_cast<const char16_t*>(AText.data()), AText.size());
}

// A zero-terminated wide text from a buffer that may lack its terminator.
inline std::u16string FromWideBuffer(const wchar_t* ABuffer, std::size_t ACapacity) {
  std::size_t length = 0;
  while (length < ACapacity && ABuffer[length] != L'\0') {
    ++length;
  }
  return FromWide(std::wstring_view(ABuffer, length));
}

}  // namespace mon::win32
