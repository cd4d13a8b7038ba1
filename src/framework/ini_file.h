// Reader of INI files ("config.ini") with the semantics of the Windows private-profile functions
// that users' files rely on:
// - section and key names compare without regard to case; the first section of a name and the
//   first key of a name within it win;
// - blanks around names and values are dropped; a value in matching quotes ("..." or '...')
//   loses them; lines starting with ';' are comments;
// - UTF-16LE/BE with byte-order mark, UTF-8 with or without one, and files in the system's ANSI
//   code page (any other bytes: what the system's INI functions assume for a file without a
//   byte-order mark) are all read.
// The reader never writes anything.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mon {

// Decodes text in the system's ANSI code page (TLocale::DecodeAnsiText); empty: Windows-1252.
using TAnsiDecoder = std::function<std::u16string(std::span<const std::uint8_t>)>;

class TIniFile {
 public:
  // An empty file: every read yields its default.
  TIniFile() = default;

  static TIniFile Parse(std::span<const std::uint8_t> ABytes, const TAnsiDecoder& ADecodeAnsi = {});

  // The value of AKey in ASection, or ADefault when either is missing.
  std::u16string ReadString(std::u16string_view ASection, std::u16string_view AKey,
                            const std::u16string& ADefault) const;

  // The value as a decimal number, or hexadecimal with "0x" or "$" in front; ADefault when the
  // key is missing or its value is not a number that fits 32 bits.
  std::int32_t ReadInteger(std::u16string_view ASection, std::u16string_view AKey,
                           std::int32_t ADefault) const;

  // The key names of ASection in file order, each once.
  std::vector<std::u16string> ReadSectionKeys(std::u16string_view ASection) const;

 private:
  struct TEntry {
    std::u16string Key;
    std::u16string Value;
  };
  struct TSection {
    std::u16string Name;
    std::vector<TEntry> Entries;
  };

  const TSection* FindSection(std::u16string_view AName) const;
  const TEntry* FindEntry(std::u16string_view ASection, std::u16string_view AKey) const;

  std::vector<TSection> FSections;
};

// The text of a file's bytes, decoded as the INI reader decodes it: by its byte-order mark, as
// UTF-8 when the bytes are valid UTF-8, else with ADecodeAnsi.
std::u16string DecodeTextFile(std::span<const std::uint8_t> ABytes,
                              const TAnsiDecoder& ADecodeAnsi = {});
// Windows-1252, the fallback ANSI decoder.
std::u16string DecodeWindows1252(std::span<const std::uint8_t> ABytes);

}  // namespace mon
