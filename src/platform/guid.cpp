#include "platform/guid.h"

namespace mon {

namespace {

int HexValue(char16_t AChar) {
  if (AChar >= u'0' && AChar <= u'9') {
    return AChar - u'0';
  }
  if (AChar >= u'a' && AChar <= u'f') {
    return AChar - u'a' + 10;
  }
  if (AChar >= u'A' && AChar <= u'F') {
    return AChar - u'A' + 10;
  }
  return -1;
}

// Reads ADigits hex digits at APosition; false when one is not a hex digit.
bool ReadHex(std::u16string_view AText, std::size_t APosition, std::size_t ADigits,
             std::uint64_t& AValue) {
  AValue = 0;
  for (std::size_t i = 0; i < ADigits; ++i) {
    const int digit = HexValue(AText[APosition + i]);
    if (digit < 0) {
      return false;
    }
    AValue = AValue * 16 + static_cast<std::uint64_t>(digit);
  }
  return true;
}

}  // namespace

std::optional<TGuid> ParseGuid(std::u16string_view AText) {
  // {8-4-4-4-12}
  if (AText.size() != 38 || AText.front() != u'{' || AText.back() != u'}' || AText[9] != u'-' ||
      AText[14] != u'-' || AText[19] != u'-' || AText[24] != u'-') {
    return std::nullopt;
  }
  TGuid guid;
  std::uint64_t value = 0;
  if (!ReadHex(AText, 1, 8, value)) {
    return std::nullopt;
  }
  guid.Data1 = static_cast<std::uint32_t>(value);
  if (!ReadHex(AText, 10, 4, value)) {
    return std::nullopt;
  }
  guid.Data2 = static_cast<std::uint16_t>(value);
  if (!ReadHex(AText, 15, 4, value)) {
    return std::nullopt;
  }
  guid.Data3 = static_cast<std::uint16_t>(value);
  // Data4: two bytes before the last dash, six after it.
  const std::size_t positions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    if (!ReadHex(AText, positions[i], 2, value)) {
      return std::nullopt;
    }
    guid.Data4[i] = static_cast<std::uint8_t>(value);
  }
  return guid;
}

std::u16string GuidToText(const TGuid& AGuid) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text = u"{";
  auto append = [&text](std::uint64_t AValue, int ADigits) {
    for (int shift = (ADigits - 1) * 4; shift >= 0; shift -= 4) {
      text += kDigits[(AValue >> shift) & 0xF];
    }
  };
  append(AGuid.Data1, 8);
  text += u'-';
  append(AGuid.Data2, 4);
  text += u'-';
  append(AGuid.Data3, 4);
  text += u'-';
  append(AGuid.Data4[0], 2);
  append(AGuid.Data4[1], 2);
  text += u'-';
  for (std::size_t i = 2; i < 8; ++i) {
    append(AGuid.Data4[i], 2);
  }
  text += u'}';
  return text;
}

}  // namespace mon
