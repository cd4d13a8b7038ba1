// The language data stream: the form-data property ResourcesBin, ui.local and *.Local files.
//
// All integers are 32-bit signed little-endian; all text is UTF-16LE without byte-order mark or
// terminator. A counted string is an int32 count N of code units followed by N code units.
//
//   counted string      the original texts, each followed by CR LF
//   int32 L             the number of languages (written even when 0)
//   L times:
//     counted string    the language's name (its short ID, such as "CH")
//     counted string    its table, each line ("original=translation") followed by CR LF
//
// There is no magic number, version or checksum.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mon {

struct TLanguageStreamLanguage {
  std::u16string Name;
  std::u16string TableText;

  bool operator==(const TLanguageStreamLanguage&) const = default;
};

struct TLanguageStreamContent {
  std::u16string OriginalText;
  std::vector<TLanguageStreamLanguage> Languages;

  bool operator==(const TLanguageStreamContent&) const = default;
};

// Reads a stream. Any byte sequence gives a result, and the result never takes more memory
// than the input could fill:
// - a count or language number cut short by the end of the input counts as 0;
// - a negative count is the empty string, a negative language number reads no language;
// - a string cut short keeps the code units present (a last odd byte is dropped);
// - languages are read only while input remains: a language number larger than what follows
//   yields the languages present, not empty ones made up for the rest;
// - bytes after the last language are ignored.
TLanguageStreamContent ReadLanguageStream(std::span<const std::uint8_t> ABytes);

// Writes exactly the layout above. Throws std::length_error for a text or a language list too
// long for an int32 count (never the case for real language data).
std::vector<std::uint8_t> WriteLanguageStream(const TLanguageStreamContent& AContent);

}  // namespace mon
