#include "platform/linux/linux_hid_names.h"

#include <charconv>
#include <cstdio>

namespace mon::lnx {

namespace {

constexpr std::string_view kDevFolder = "/dev/";
constexpr std::u16string_view kCollectionMark = u"&col";
constexpr std::size_t kMaxCollectionNumber = 255;

// A whole hex number of at most AMaxDigits digits, at most AMax.
std::optional<std::uint32_t> HexNumber(std::string_view AText, std::size_t AMaxDigits,
                                       std::uint32_t AMax) {
  if (AText.empty() || AText.size() > AMaxDigits) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value, 16);
  if (error != std::errc() || end != AText.data() + AText.size() || value > AMax) {
    return std::nullopt;
  }
  return value;
}

// sysfs ends a value with a newline when it is read as a file.
std::string_view WithoutNewline(std::string_view AText) {
  return AText.ends_with('\n') ? AText.substr(0, AText.size() - 1) : AText;
}

std::u16string Ascii(std::string_view AText) {
  return std::u16string(AText.begin(), AText.end());
}

std::string Hex(std::uint32_t AValue, int ADigits) {
  char text[16];
  std::snprintf(text, sizeof(text), "%0*X", ADigits, static_cast<unsigned>(AValue));
  return text;
}

char16_t LowerAscii(char16_t ACharacter) {
  return (ACharacter >= u'A' && ACharacter <= u'Z') ? ACharacter - u'A' + u'a' : ACharacter;
}

}  // namespace

std::optional<THidBusIds> ParseHidId(std::string_view AText) {
  const std::size_t first = AText.find(':');
  const std::size_t second = first == std::string_view::npos ? first : AText.find(':', first + 1);
  if (second == std::string_view::npos) {
    return std::nullopt;
  }
  const auto bus = HexNumber(AText.substr(0, first), 4, 0xFFFF);
  const auto vendor = HexNumber(AText.substr(first + 1, second - first - 1), 8, 0xFFFF);
  const auto product = HexNumber(AText.substr(second + 1), 8, 0xFFFF);
  if (!bus || !vendor || !product) {
    return std::nullopt;
  }
  return THidBusIds{static_cast<std::uint16_t>(*bus), static_cast<std::uint16_t>(*vendor),
                    static_cast<std::uint16_t>(*product)};
}

std::optional<std::uint8_t> ParseInterfaceNumber(std::string_view AText) {
  const auto number = HexNumber(WithoutNewline(AText), 2, 0xFF);
  if (!number) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(*number);
}

std::optional<std::uint16_t> ParseReleaseNumber(std::string_view AText) {
  const auto number = HexNumber(WithoutNewline(AText), 4, 0xFFFF);
  if (!number) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(*number);
}

std::vector<std::u16string> HidHardwareIds(const THidBusIds& AIds,
                                           std::optional<std::uint8_t> AInterfaceNumber,
                                           std::size_t ACollectionIndex,
                                           std::size_t ACollectionCount) {
  const std::string device = "HID\\VID_" + Hex(AIds.Vendor, 4) + "&PID_" + Hex(AIds.Product, 4);
  const std::string withInterface =
      AInterfaceNumber ? device + "&MI_" + Hex(*AInterfaceNumber, 2) : device;
  std::vector<std::u16string> ids;
  if (ACollectionCount > 1) {
    char number[24];
    std::snprintf(number, sizeof(number), "&Col%02zu", ACollectionIndex + 1);
    ids.push_back(Ascii(withInterface + number));
  }
  if (AInterfaceNumber) {
    ids.push_back(Ascii(withInterface));
  }
  ids.push_back(Ascii(device));
  return ids;
}

std::u16string HidInterfacePath(std::string_view ADevNode, std::size_t ACollectionIndex,
                                std::size_t ACollectionCount) {
  std::u16string path = Ascii(ADevNode);
  if (ACollectionCount > 1) {
    char number[24];
    std::snprintf(number, sizeof(number), "&col%02zu", ACollectionIndex + 1);
    path += Ascii(number);
  }
  return path;
}

std::optional<THidInterfacePath> ParseHidInterfacePath(std::u16string_view APath) {
  THidInterfacePath result;
  std::u16string_view node = APath;
  // The last "&col" (any case) starts the collection suffix, if there is one.
  for (std::size_t at = APath.size(); at-- > 0;) {
    if (APath[at] != u'&') {
      continue;
    }
    std::u16string_view suffix = APath.substr(at);
    bool marked = suffix.size() >= kCollectionMark.size();
    for (std::size_t i = 0; marked && i < kCollectionMark.size(); ++i) {
      marked = LowerAscii(suffix[i]) == kCollectionMark[i];
    }
    if (!marked) {
      break;
    }
    std::size_t number = 0;
    const std::u16string_view digits = suffix.substr(kCollectionMark.size());
    if (digits.empty()) {
      return std::nullopt;
    }
    for (const char16_t digit : digits) {
      if (digit < u'0' || digit > u'9' || number > kMaxCollectionNumber) {
        return std::nullopt;
      }
      number = number * 10 + (digit - u'0');
    }
    if (number == 0 || number > kMaxCollectionNumber) {
      return std::nullopt;
    }
    result.CollectionIndex = number - 1;
    node = APath.substr(0, at);
    break;
  }
  for (const char16_t character : node) {
    if (character == 0 || character > 0x7F) {
      return std::nullopt;
    }
    result.DevNode.push_back(static_cast<char>(character));
  }
  const std::string_view name =
      std::string_view(result.DevNode)
          .substr(result.DevNode.starts_with(kDevFolder) ? kDevFolder.size() : 0);
  if (!result.DevNode.starts_with(kDevFolder) || name.empty() ||
      name.find('/') != std::string_view::npos || name == "." || name == "..") {
    return std::nullopt;
  }
  return result;
}

}  // namespace mon::lnx
