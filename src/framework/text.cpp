#include "framework/text.h"

namespace mon {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& AOut, char32_t ACode) {
  if (ACode >= 0x10000) {
    ACode -= 0x10000;
    AOut.push_back(static_cast<char16_t>(0xD800 + (ACode >> 10)));
    AOut.push_back(static_cast<char16_t>(0xDC00 + (ACode & 0x3FF)));
  } else {
    AOut.push_back(static_cast<char16_t>(ACode));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view AText) {
  std::u16string result;
  result.reserve(AText.size());
  std::size_t i = 0;
  while (i < AText.size()) {
    const auto lead = static_cast<unsigned char>(AText[i]);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      code = lead & 0x07;
    } else {
      AppendUtf16(result, kReplacement);
      ++i;
      continue;
    }
    if (i + static_cast<std::size_t>(extra) >= AText.size()) {
      AppendUtf16(result, kReplacement);  // sequence cut short by the end of the text
      break;
    }
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(AText[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    const bool overlong = (extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) ||
                          (extra == 3 && code < 0x10000);
    if (!valid || overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      AppendUtf16(result, kReplacement);
      ++i;
      continue;
    }
    AppendUtf16(result, code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return result;
}

std::string Utf16ToUtf8(std::u16string_view AText) {
  std::string result;
  result.reserve(AText.size());
  for (std::size_t i = 0; i < AText.size(); ++i) {
    char32_t code = AText[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < AText.size() && AText[i + 1] >= 0xDC00 &&
        AText[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (AText[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = kReplacement;
    }
    if (code < 0x80) {
      result.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      result.push_back(static_cast<char>(0xC0 | (code >> 6)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      result.push_back(static_cast<char>(0xE0 | (code >> 12)));
      result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      result.push_back(static_cast<char>(0xF0 | (code >> 18)));
      result.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return result;
}

char16_t FoldCase(char16_t AChar) {
  if (AChar >= u'A' && AChar <= u'Z') {
    return static_cast<char16_t>(AChar + 32);
  }
  // Latin-1 upper-case letters, except the multiplication sign.
  if (AChar >= 0xC0 && AChar <= 0xDE && AChar != 0xD7) {
    return static_cast<char16_t>(AChar + 32);
  }
  return AChar;
}

std::u16string FoldCase(std::u16string_view AText) {
  std::u16string result(AText);
  for (auto& c : result) {
    c = FoldCase(c);
  }
  return result;
}

bool SameTextIgnoreCase(std::u16string_view A, std::u16string_view B) {
  if (A.size() != B.size()) {
    return false;
  }
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (FoldCase(A[i]) != FoldCase(B[i])) {
      return false;
    }
  }
  return true;
}

std::u16string Windows1252ToUtf16(std::string_view AText) {
  // Code points of bytes 0x80..0x9F; the rest of the page equals Latin-1.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  // One unit a byte: sized once, filled in place.
  std::u16string text(AText.size(), u'\0');
  for (std::size_t i = 0; i < AText.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(AText[i]);
    text[i] = byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
  }
  return text;
}

std::u16string IntToText(std::int64_t AValue) {
  const std::string digits = std::to_string(AValue);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string_view TrimBlanks(std::u16string_view AText) {
  const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!AText.empty() && isBlank(AText.front())) {
    AText.remove_prefix(1);
  }
  while (!AText.empty() && isBlank(AText.back())) {
    AText.remove_suffix(1);
  }
  return AText;
}

}  // namespace mon
