#include "framework/ini_file.h"

#include <limits>
#include <optional>

#include "framework/text.h"

namespace mon {

namespace {

bool IsValidUtf8(std::span<const std::uint8_t> ABytes) {
  std::size_t i = 0;
  while (i < ABytes.size()) {
    const std::uint8_t lead = ABytes[i];
    std::size_t extra = 0;
    if (lead < 0x80) {
      extra = 0;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= ABytes.size() && extra > 0) {
      return false;  // sequence cut short
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((ABytes[i + k] & 0xC0) != 0x80) {
        return false;
      }
    }
    i += extra + 1;
  }
  return true;
}

std::u16string DecodeUtf16(std::span<const std::uint8_t> ABytes, bool ABigEndian) {
  // One unit a byte pair (an odd last byte is dropped): sized once, filled in place.
  std::u16string text(ABytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned first = ABytes[2 * i];
    const unsigned second = ABytes[2 * i + 1];
    text[i] = static_cast<char16_t>(ABigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

std::u16string Unquote(std::u16string_view AValue) {
  if (AValue.size() >= 2 && (AValue.front() == u'"' || AValue.front() == u'\'') &&
      AValue.back() == AValue.front()) {
    AValue = AValue.substr(1, AValue.size() - 2);
  }
  return std::u16string(AValue);
}

std::optional<std::int32_t> ParseInteger(std::u16string_view AText) {
  AText = TrimBlanks(AText);
  bool negative = false;
  int base = 10;
  if (!AText.empty() && (AText.front() == u'-' || AText.front() == u'+')) {
    negative = AText.front() == u'-';
    AText.remove_prefix(1);
  }
  if (AText.size() > 2 && AText[0] == u'0' && (AText[1] == u'x' || AText[1] == u'X')) {
    base = 16;
    AText.remove_prefix(2);
  } else if (!AText.empty() && AText.front() == u'$') {
    base = 16;
    AText.remove_prefix(1);
  }
  if (AText.empty()) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (const char16_t c : AText) {
    int digit = -1;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (base == 16 && c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (base == 16 && c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    }
    if (digit < 0) {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) {
      return std::nullopt;
    }
  }
  if (base == 16 && !negative) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));  // "$FFFFFFFF" is -1
  }
  if (negative) {
    value = -value;
  }
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::u16string DecodeWindows1252(std::span<const std::uint8_t> ABytes) {
  return Windows1252ToUtf16(
      std::string_view(reinterpret_cast<const char*>(ABytes.data()), ABytes.size()));
}

std::u16string DecodeTextFile(std::span<const std::uint8_t> ABytes,
                              const TAnsiDecoder& ADecodeAnsi) {
  if (ABytes.size() >= 2 && ABytes[0] == 0xFF && ABytes[1] == 0xFE) {
    return DecodeUtf16(ABytes.subspan(2), false);
  }
  if (ABytes.size() >= 2 && ABytes[0] == 0xFE && ABytes[1] == 0xFF) {
    return DecodeUtf16(ABytes.subspan(2), true);
  }
  if (ABytes.size() >= 3 && ABytes[0] == 0xEF && ABytes[1] == 0xBB && ABytes[2] == 0xBF) {
    ABytes = ABytes.subspan(3);
    return Utf8ToUtf16(
        std::string_view(reinterpret_cast<const char*>(ABytes.data()), ABytes.size()));
  }
  if (IsValidUtf8(ABytes)) {
    return Utf8ToUtf16(
        std::string_view(reinterpret_cast<const char*>(ABytes.data()), ABytes.size()));
  }
  return ADecodeAnsi ? ADecodeAnsi(ABytes) : DecodeWindows1252(ABytes);
}

TIniFile TIniFile::Parse(std::span<const std::uint8_t> ABytes, const TAnsiDecoder& ADecodeAnsi) {
  TIniFile ini;
  const std::u16string text = DecodeTextFile(ABytes, ADecodeAnsi);
  TSection* current = nullptr;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
      ++end;
    }
    std::u16string_view line = TrimBlanks(std::u16string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == u';') {
      continue;
    }
    if (line.front() == u'[') {
      const std::size_t close = line.rfind(u']');
      if (close == std::u16string_view::npos) {
        continue;  // a broken header: its keys still belong to the section before it
      }
      ini.FSections.push_back({std::u16string(TrimBlanks(line.substr(1, close - 1))), {}});
      current = &ini.FSections.back();
      continue;
    }
    if (current == nullptr) {
      continue;  // keys before the first section belong to no section
    }
    const std::size_t equals = line.find(u'=');
    if (equals == 0) {
      continue;  // no key name
    }
    TEntry entry;
    if (equals == std::u16string_view::npos) {
      entry.Key = std::u16string(line);
    } else {
      entry.Key = std::u16string(TrimBlanks(line.substr(0, equals)));
      entry.Value = Unquote(TrimBlanks(line.substr(equals + 1)));
    }
    current->Entries.push_back(std::move(entry));
  }
  return ini;
}

const TIniFile::TSection* TIniFile::FindSection(std::u16string_view AName) const {
  for (const TSection& section : FSections) {
    if (SameTextIgnoreCase(section.Name, AName)) {
      return &section;
    }
  }
  return nullptr;
}

const TIniFile::TEntry* TIniFile::FindEntry(std::u16string_view ASection,
                                            std::u16string_view AKey) const {
  const TSection* section = FindSection(ASection);
  if (section == nullptr) {
    return nullptr;
  }
  for (const TEntry& entry : section->Entries) {
    if (SameTextIgnoreCase(entry.Key, AKey)) {
      return &entry;
    }
  }
  return nullptr;
}

std::u16string TIniFile::ReadString(std::u16string_view ASection, std::u16string_view AKey,
                                    const std::u16string& ADefault) const {
  const TEntry* entry = FindEntry(ASection, AKey);
  return entry != nullptr ? entry->Value : ADefault;
}

std::int32_t TIniFile::ReadInteger(std::u16string_view ASection, std::u16string_view AKey,
                                   std::int32_t ADefault) const {
  const TEntry* entry = FindEntry(ASection, AKey);
  if (entry == nullptr) {
    return ADefault;
  }
  return ParseInteger(entry->Value).value_or(ADefault);
}

std::vector<std::u16string> TIniFile::ReadSectionKeys(std::u16string_view ASection) const {
  std::vector<std::u16string> keys;
  const TSection* section = FindSection(ASection);
  if (section == nullptr) {
    return keys;
  }
  for (const TEntry& entry : section->Entries) {
    bool seen = false;
    for (const auto& key : keys) {
      seen = seen || SameTextIgnoreCase(key, entry.Key);
    }
    if (!seen) {
      keys.push_back(entry.Key);
    }
  }
  return keys;
}

}  // namespace mon
