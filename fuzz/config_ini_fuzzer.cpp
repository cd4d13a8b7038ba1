// Feeds arbitrary bytes as config.ini to the INI reader and to every set of options the monitor
// builds from it, and checks what must hold for any file:
// - the same text reads the same in each of the encodings the reader takes (UTF-16LE and
//   UTF-16BE with byte-order mark, UTF-8 with and without one);
// - what was read, written out again as a plain file and re-read, is the same (every key a
//   section lists reads back with its value);
// - a section lists each key once; the include list has at most 101 entries, none empty.
// A violated property aborts, which libFuzzer reports as a crash with the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/monitor_options.h"
#include "app/shared_definitions.h"
#include "fake_platform.h"
#include "framework/ini_file.h"
#include "framework/text.h"
#include "hid/hid_matching.h"

namespace {

using mon::TIniFile;

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view AText, bool ABigEndian) {
  std::vector<std::uint8_t> bytes =
      ABigEndian ? std::vector<std::uint8_t>{0xFE, 0xFF} : std::vector<std::uint8_t>{0xFF, 0xFE};
  for (const char16_t unit : AText) {
    const auto high = static_cast<std::uint8_t>(unit >> 8);
    const auto low = static_cast<std::uint8_t>(unit & 0xFF);
    bytes.push_back(ABigEndian ? high : low);
    bytes.push_back(ABigEndian ? low : high);
  }
  return bytes;
}

std::vector<std::uint8_t> Utf8Bytes(std::u16string_view AText, bool AWithMark) {
  const std::string utf8 = mon::Utf16ToUtf8(AText);
  std::vector<std::uint8_t> bytes =
      AWithMark ? std::vector<std::uint8_t>{0xEF, 0xBB, 0xBF} : std::vector<std::uint8_t>{};
  bytes.insert(bytes.end(), utf8.begin(), utf8.end());
  return bytes;
}

// The section names the text's header lines give, each once (any letter case): the names whose
// keys the checks compare. Headers the reader skips give names that hold no keys.
std::vector<std::u16string> HeaderNames(std::u16string_view AText) {
  std::vector<std::u16string> names;
  std::size_t start = 0;
  while (start <= AText.size()) {
    std::size_t end = AText.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      end = AText.size();
    }
    const std::u16string_view line = mon::TrimBlanks(AText.substr(start, end - start));
    start = end + 1;
    const std::size_t close = line.rfind(u']');
    if (line.empty() || line.front() != u'[' || close == std::u16string_view::npos) {
      continue;
    }
    const std::u16string name(mon::TrimBlanks(line.substr(1, close - 1)));
    bool known = false;
    for (const std::u16string& other : names) {
      known = known || mon::SameTextIgnoreCase(other, name);
    }
    if (!known) {
      names.push_back(name);
    }
  }
  return names;
}

struct TSectionRead {
  std::vector<std::u16string> Keys;
  std::vector<std::u16string> Values;
  bool operator==(const TSectionRead&) const = default;
};

// A value no file can give: line ends never reach a value.
constexpr char16_t kAbsent[] = u"\r\n";

std::vector<TSectionRead> ReadAll(const TIniFile& AIni, const std::vector<std::u16string>& ANames) {
  std::vector<TSectionRead> sections;
  for (const std::u16string& name : ANames) {
    TSectionRead section;
    section.Keys = AIni.ReadSectionKeys(name);
    for (const std::u16string& key : section.Keys) {
      section.Values.push_back(AIni.ReadString(name, key, kAbsent));
      Require(section.Values.back() != kAbsent);  // a listed key has a value
    }
    for (std::size_t i = 0; i < section.Keys.size(); ++i) {
      for (std::size_t k = i + 1; k < section.Keys.size(); ++k) {
        Require(!mon::SameTextIgnoreCase(section.Keys[i], section.Keys[k]));
      }
    }
    sections.push_back(std::move(section));
  }
  return sections;
}

// The sections as a plain file: every value quoted, so that quotes and blanks of its own stay.
std::u16string WriteAll(const std::vector<std::u16string>& ANames,
                        const std::vector<TSectionRead>& ASections) {
  std::u16string text;
  for (std::size_t i = 0; i < ANames.size(); ++i) {
    text += u"[" + ANames[i] + u"]\r\n";
    for (std::size_t k = 0; k < ASections[i].Keys.size(); ++k) {
      text += ASections[i].Keys[k] + u"=\"" + ASections[i].Values[k] + u"\"\r\n";
    }
  }
  return text;
}

void CheckOptions(std::span<const std::uint8_t> ABytes) {
  static mon::testing::TFakePlatform fakes;  // only config.ini changes between runs
  fakes.Files.AddFile(fakes.Files.ExecutableFolder() + mon::kConfigFileName,
                      std::vector<std::uint8_t>(ABytes.begin(), ABytes.end()));
  const std::vector<std::u16string> include =
      mon::LoadIncludeHIDDeviceList(fakes.Files, fakes.Locale);
  Require(include.size() <= static_cast<std::size_t>(mon::kMaxIncludeHIDDevices));
  for (const std::u16string& entry : include) {
    Require(!entry.empty());
  }
  mon::LoadMonitorOptions(fakes.Files, fakes.Locale);
  const mon::TOptionsFromConfigFile options =
      mon::LoadOptionsFromConfigFile(fakes.Files, fakes.Locale);
  Require(options.ProfileRegFolder.starts_with(u"software\\"));
  mon::LoadOtherConfig(fakes.Files, fakes.Locale);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  const std::span<const std::uint8_t> bytes(AData, ASize);
  const std::u16string text = mon::DecodeTextFile(bytes);
  const TIniFile ini = TIniFile::Parse(bytes);
  const std::vector<std::u16string> names = HeaderNames(text);
  const std::vector<TSectionRead> read = ReadAll(ini, names);

  Require(ReadAll(TIniFile::Parse(Utf16Bytes(text, false)), names) == read);
  Require(ReadAll(TIniFile::Parse(Utf16Bytes(text, true)), names) == read);
  if (mon::Utf8ToUtf16(mon::Utf16ToUtf8(text)) == text) {  // lone surrogates have no UTF-8
    Require(ReadAll(TIniFile::Parse(Utf8Bytes(text, true)), names) == read);
    if (!text.starts_with(u'\uFEFF')) {  // would read as a byte-order mark without one
      Require(ReadAll(TIniFile::Parse(Utf8Bytes(text, false)), names) == read);
    }
  }

  const std::u16string written = WriteAll(names, read);
  Require(ReadAll(TIniFile::Parse(Utf16Bytes(written, false)), names) == read);

  CheckOptions(bytes);
  return 0;
}
