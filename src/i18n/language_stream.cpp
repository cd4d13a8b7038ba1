#include "i18n/language_stream.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace mon {

namespace {

class TStreamCursor {
 public:
  explicit TStreamCursor(std::span<const std::uint8_t> ABytes) : FBytes(ABytes) {}

  bool AtEnd() const { return FPosition >= FBytes.size(); }
  std::size_t Remaining() const { return FBytes.size() - FPosition; }

  // An int32 that cannot be read whole counts as 0 and uses up the input.
  std::int32_t ReadInt32() {
    if (Remaining() < 4) {
      FPosition = FBytes.size();
      return 0;
    }
    const std::uint32_t value = static_cast<std::uint32_t>(FBytes[FPosition]) |
                                (static_cast<std::uint32_t>(FBytes[FPosition + 1]) << 8) |
                                (static_cast<std::uint32_t>(FBytes[FPosition + 2]) << 16) |
                                (static_cast<std::uint32_t>(FBytes[FPosition + 3]) << 24);
    FPosition += 4;
    return static_cast<std::int32_t>(value);
  }

  std::u16string ReadCountedString() {
    const std::int32_t count = ReadInt32();
    if (count <= 0) {
      return {};
    }
    const std::size_t wanted = static_cast<std::size_t>(count);
    const std::size_t present = std::min(wanted, Remaining() / 2);
    std::u16string text(present, u'\0');
    // Through plain pointers: a table holds thousands of units.
    const std::uint8_t* source = FBytes.data() + FPosition;
    for (char16_t& unit : text) {
      unit = static_cast<char16_t>(source[0] | (source[1] << 8));
      source += 2;
    }
    FPosition += 2 * present;
    if (present < wanted) {
      FPosition = FBytes.size();  // cut short: nothing meaningful can follow
    }
    return text;
  }

 private:
  std::span<const std::uint8_t> FBytes;
  std::size_t FPosition = 0;
};

void AppendInt32(std::vector<std::uint8_t>& AOut, std::int32_t AValue) {
  const auto value = static_cast<std::uint32_t>(AValue);
  AOut.push_back(static_cast<std::uint8_t>(value));
  AOut.push_back(static_cast<std::uint8_t>(value >> 8));
  AOut.push_back(static_cast<std::uint8_t>(value >> 16));
  AOut.push_back(static_cast<std::uint8_t>(value >> 24));
}

std::int32_t CheckedCount(std::size_t ACount) {
  if (ACount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::length_error("language data too long for the stream format");
  }
  return static_cast<std::int32_t>(ACount);
}

void AppendCountedString(std::vector<std::uint8_t>& AOut, const std::u16string& AText) {
  AppendInt32(AOut, CheckedCount(AText.size()));
  // Sized once and filled through a plain pointer: a table holds thousands of units.
  const std::size_t start = AOut.size();
  AOut.resize(start + 2 * AText.size());
  std::uint8_t* target = AOut.data() + start;
  for (const char16_t unit : AText) {
    target[0] = static_cast<std::uint8_t>(unit);
    target[1] = static_cast<std::uint8_t>(unit >> 8);
    target += 2;
  }
}

}  // namespace

TLanguageStreamContent ReadLanguageStream(std::span<const std::uint8_t> ABytes) {
  TStreamCursor cursor(ABytes);
  TLanguageStreamContent content;
  content.OriginalText = cursor.ReadCountedString();
  const std::int32_t languages = cursor.ReadInt32();
  for (std::int32_t i = 0; i < languages && !cursor.AtEnd(); ++i) {
    TLanguageStreamLanguage language;
    language.Name = cursor.ReadCountedString();
    language.TableText = cursor.ReadCountedString();
    content.Languages.push_back(std::move(language));
  }
  return content;
}

std::vector<std::uint8_t> WriteLanguageStream(const TLanguageStreamContent& AContent) {
  std::size_t size = 8 + 2 * AContent.OriginalText.size();
  for (const auto& language : AContent.Languages) {
    size += 8 + 2 * (language.Name.size() + language.TableText.size());
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(size);
  AppendCountedString(bytes, AContent.OriginalText);
  AppendInt32(bytes, CheckedCount(AContent.Languages.size()));
  for (const auto& language : AContent.Languages) {
    AppendCountedString(bytes, language.Name);
    AppendCountedString(bytes, language.TableText);
  }
  return bytes;
}

}  // namespace mon
