// The readable form of an embedded language table and its conversion into the language data
// stream (language_stream.h), done by the compiler: embedded_table.cpp turns the program's
// table into a constant byte array, so a malformed table fails the build. The same functions
// run at run time in tests, where a format error throws std::invalid_argument.
//
// Format (UTF-8, one entry per line, LF or CR LF line ends):
// - a line starting with "#" is a comment; an empty line is skipped;
// - "[Original]" starts the original texts, one per line, in stored order (no duplicates);
// - "[Language NAME]" starts the table of the language NAME: lines "original=translation" whose
//   original is one of the texts of [Original]; languages are stored in file order;
// - any other line is an entry, exactly as written (leading blanks included). Refused: trailing
//   blanks, line-break characters inside an entry, invalid UTF-8, an entry before the first
//   section, [Original] missing, repeated or after a language, a language named twice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mon::embedded_table_text {

// Reached only for a malformed table: at compile time the call stops the build (it is not
// constexpr), at run time it throws std::invalid_argument naming AWhat and the line number.
[[noreturn]] void FormatError(const char* AWhat, std::size_t ALine);

inline constexpr std::size_t kMaxLanguages = 32;
inline constexpr std::size_t kMaxOriginals = 2048;

// Counts the bytes a stream would take.
struct TCountingSink {
  std::size_t Size = 0;
  constexpr void Put(std::uint8_t) { ++Size; }
  constexpr std::size_t Position() const { return Size; }
  constexpr void PutAt(std::size_t, std::uint8_t) {}
};

template <std::size_t N>
struct TArraySink {
  std::array<std::uint8_t, N> Bytes{};
  std::size_t Size = 0;
  constexpr void Put(std::uint8_t AByte) {
    if (Size >= N) {
      FormatError("stream larger than counted", 0);
    }
    Bytes[Size++] = AByte;
  }
  constexpr std::size_t Position() const { return Size; }
  constexpr void PutAt(std::size_t APosition, std::uint8_t AByte) { Bytes[APosition] = AByte; }
};

namespace detail {

template <class TSink>
constexpr void PutInt32At(TSink& ASink, std::size_t APosition, std::uint32_t AValue) {
  for (std::size_t i = 0; i < 4; ++i) {
    ASink.PutAt(APosition + i, static_cast<std::uint8_t>(AValue >> (8 * i)));
  }
}

template <class TSink>
constexpr std::size_t ReserveInt32(TSink& ASink) {
  const std::size_t position = ASink.Position();
  for (int i = 0; i < 4; ++i) {
    ASink.Put(0);
  }
  return position;
}

template <class TSink>
constexpr void PutUnit(TSink& ASink, char16_t AUnit) {
  ASink.Put(static_cast<std::uint8_t>(AUnit & 0xFF));
  ASink.Put(static_cast<std::uint8_t>(AUnit >> 8));
}

// Own loops rather than std::u8string_view::find: GCC 12 cannot evaluate that one on a
// char8_t array at compile time.
constexpr std::size_t FindUnit(std::u8string_view AText, char8_t AUnit, std::size_t AFrom) {
  for (std::size_t i = AFrom; i < AText.size(); ++i) {
    if (AText[i] == AUnit) {
      return i;
    }
  }
  return std::u8string_view::npos;
}

constexpr bool Equal(std::u8string_view A, std::u8string_view B) {
  if (A.size() != B.size()) {
    return false;
  }
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (A[i] != B[i]) {
      return false;
    }
  }
  return true;
}

constexpr bool IsLineBreakCode(char32_t ACode) {
  return ACode == U'\r' || ACode == U'\n' || ACode == U'\v' || ACode == U'\f' ||
         ACode == U'\u2028' || ACode == U'\u2029';
}

// Decodes the UTF-8 entry and calls AOut(char16_t) for each UTF-16 unit; returns the count.
template <class TOut>
constexpr std::size_t DecodeUtf8(std::u8string_view AText, std::size_t ALine, TOut&& AOut) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < AText.size()) {
    const auto lead = static_cast<std::uint8_t>(AText[i]);
    std::size_t extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      code = lead & 0x07u;
    } else {
      FormatError("invalid UTF-8", ALine);
    }
    if (extra > 0 && i + extra >= AText.size()) {
      FormatError("invalid UTF-8", ALine);
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<std::uint8_t>(AText[i + k]);
      if ((next & 0xC0) != 0x80) {
        FormatError("invalid UTF-8", ALine);
      }
      code = (code << 6) | (next & 0x3Fu);
    }
    const bool overlong = (extra == 1 && code < 0x80) || (extra == 2 && code < 0x800) ||
                          (extra == 3 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      FormatError("invalid UTF-8", ALine);
    }
    if (IsLineBreakCode(code)) {
      FormatError("line-break character inside an entry", ALine);
    }
    if (code >= 0x10000) {
      AOut(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      AOut(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
      units += 2;
    } else {
      AOut(static_cast<char16_t>(code));
      units += 1;
    }
    i += extra + 1;
  }
  return units;
}

// One line of the table text at a time, without its line end.
struct TLineReader {
  std::u8string_view Text;
  std::size_t Offset = 0;  // start of the next line
  std::size_t Number = 0;  // 1-based number of the line last read

  constexpr bool Next(std::u8string_view& ALine) {
    if (Offset >= Text.size()) {
      return false;
    }
    std::size_t end = FindUnit(Text, u8'\n', Offset);
    if (end == std::u8string_view::npos) {
      end = Text.size();
    }
    ALine = Text.substr(Offset, end - Offset);
    if (!ALine.empty() && ALine.back() == u8'\r') {
      ALine.remove_suffix(1);
    }
    Offset = end + 1;
    ++Number;
    return true;
  }
};

constexpr bool IsSkipped(std::u8string_view ALine) {
  return ALine.empty() || ALine.front() == u8'#';
}

// Whether AList[0, ACount) holds AText.
template <std::size_t N>
constexpr bool Holds(const std::array<std::u8string_view, N>& AList, std::size_t ACount,
                     std::u8string_view AText) {
  for (std::size_t i = 0; i < ACount; ++i) {
    if (Equal(AList[i], AText)) {
      return true;
    }
  }
  return false;
}

}  // namespace detail

// Writes the language data stream of the table text into ASink.
template <class TSink>
constexpr void BuildLanguageStream(std::u8string_view AText, TSink& ASink) {
  enum class TSection { None, Original, Language };
  constexpr std::u8string_view kOriginalHeader = u8"[Original]";
  constexpr std::u8string_view kLanguagePrefix = u8"[Language ";

  TSection section = TSection::None;
  std::size_t originalCountAt = 0;
  std::size_t originalUnits = 0;
  std::array<std::u8string_view, kMaxOriginals> originals{};
  std::size_t originalCount = 0;
  std::size_t languageCountAt = 0;
  std::size_t tableCountAt = 0;
  std::size_t tableUnits = 0;
  std::array<std::u8string_view, kMaxLanguages> names{};
  std::size_t languages = 0;

  detail::TLineReader reader{AText};
  std::u8string_view line;
  const auto endOriginalSection = [&]() {
    detail::PutInt32At(ASink, originalCountAt, static_cast<std::uint32_t>(originalUnits));
    languageCountAt = detail::ReserveInt32(ASink);
  };
  while (reader.Next(line)) {
    if (detail::IsSkipped(line)) {
      continue;
    }
    if (line.front() == u8'[') {
      if (detail::Equal(line, kOriginalHeader)) {
        if (section != TSection::None) {
          FormatError("[Original] repeated or after a language", reader.Number);
        }
        section = TSection::Original;
        originalCountAt = detail::ReserveInt32(ASink);
        continue;
      }
      if (line.size() <= kLanguagePrefix.size() + 1 ||
          !detail::Equal(line.substr(0, kLanguagePrefix.size()), kLanguagePrefix) ||
          line.back() != u8']') {
        FormatError("unknown section header", reader.Number);
      }
      const std::u8string_view name =
          line.substr(kLanguagePrefix.size(), line.size() - kLanguagePrefix.size() - 1);
      if (section == TSection::None) {
        FormatError("language before [Original]", reader.Number);
      }
      if (section == TSection::Original) {
        endOriginalSection();
      } else {
        detail::PutInt32At(ASink, tableCountAt, static_cast<std::uint32_t>(tableUnits));
      }
      for (std::size_t i = 0; i < languages; ++i) {
        if (detail::Equal(names[i], name)) {
          FormatError("language named twice", reader.Number);
        }
      }
      if (languages == kMaxLanguages) {
        FormatError("too many languages", reader.Number);
      }
      names[languages++] = name;
      const std::size_t nameUnits = detail::DecodeUtf8(name, reader.Number, [](char16_t) {});
      const std::size_t nameCountAt = detail::ReserveInt32(ASink);
      detail::PutInt32At(ASink, nameCountAt, static_cast<std::uint32_t>(nameUnits));
      detail::DecodeUtf8(name, reader.Number,
                         [&](char16_t AUnit) { detail::PutUnit(ASink, AUnit); });
      tableCountAt = detail::ReserveInt32(ASink);
      tableUnits = 0;
      section = TSection::Language;
      continue;
    }
    if (section == TSection::None) {
      FormatError("entry before the first section", reader.Number);
    }
    if (line.back() == u8' ' || line.back() == u8'\t') {
      FormatError("trailing blank", reader.Number);
    }
    if (section == TSection::Original) {
      if (detail::Holds(originals, originalCount, line)) {
        FormatError("original text listed twice", reader.Number);
      }
      if (originalCount == kMaxOriginals) {
        FormatError("too many original texts", reader.Number);
      }
      originals[originalCount++] = line;
    } else {
      const std::size_t separator = detail::FindUnit(line, u8'=', 0);
      if (separator == std::u8string_view::npos) {
        FormatError("language line without '='", reader.Number);
      }
      if (!detail::Holds(originals, originalCount, line.substr(0, separator))) {
        FormatError("language line for a text that is not an original", reader.Number);
      }
    }
    std::size_t units = detail::DecodeUtf8(line, reader.Number,
                                           [&](char16_t AUnit) { detail::PutUnit(ASink, AUnit); });
    detail::PutUnit(ASink, u'\r');
    detail::PutUnit(ASink, u'\n');
    units += 2;
    (section == TSection::Original ? originalUnits : tableUnits) += units;
  }
  if (section == TSection::None) {
    FormatError("no [Original] section", reader.Number);
  }
  if (section == TSection::Original) {
    endOriginalSection();
  } else {
    detail::PutInt32At(ASink, tableCountAt, static_cast<std::uint32_t>(tableUnits));
  }
  detail::PutInt32At(ASink, languageCountAt, static_cast<std::uint32_t>(languages));
}

constexpr std::size_t LanguageStreamSize(std::u8string_view AText) {
  TCountingSink sink;
  BuildLanguageStream(AText, sink);
  return sink.Size;
}

template <std::size_t N>
constexpr std::array<std::uint8_t, N> LanguageStreamBytes(std::u8string_view AText) {
  TArraySink<N> sink;
  BuildLanguageStream(AText, sink);
  if (sink.Size != N) {
    FormatError("stream smaller than counted", 0);
  }
  return sink.Bytes;
}

}  // namespace mon::embedded_table_text
