// Small UTF-16 text helpers shared by the whole core. Texts are std::u16string throughout;
// conversion to wchar_t happens only at the Win32 boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mon {

// UTF-8 <-> UTF-16. Invalid sequences become U+FFFD; nothing throws.
std::u16string Utf8ToUtf16(std::string_view AText);
std::string Utf16ToUtf8(std::u16string_view AText);

// Windows-1252 (the Western European ANSI code page) to UTF-16: every byte has a character.
std::u16string Windows1252ToUtf16(std::string_view AText);

// Simple case folding: ASCII and Latin-1 letters. Used where Windows compares names without
// regard to case (registry keys, INI sections and keys, hardware IDs).
char16_t FoldCase(char16_t AChar);
std::u16string FoldCase(std::u16string_view AText);
bool SameTextIgnoreCase(std::u16string_view A, std::u16string_view B);

// Decimal text of an integer, as the system writes numbers into names ("id7", "Profile3.pfd").
std::u16string IntToText(std::int64_t AValue);

// Blanks (space, tab) removed from both ends.
std::u16string_view TrimBlanks(std::u16string_view AText);

}  // namespace mon
