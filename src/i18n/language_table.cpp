#include "i18n/language_table.h"

namespace mon {

namespace {

bool IsLineBreak(char16_t AChar) {
  return AChar == u'\r' || AChar == u'\n' || AChar == u'\v' || AChar == u'\f' ||
         AChar == u'\u2028' || AChar == u'\u2029';
}

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view AText) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < AText.size()) {
    if (!IsLineBreak(AText[i])) {
      ++i;
      continue;
    }
    lines.emplace_back(AText.substr(start, i - start));
    if (AText[i] == u'\r' && i + 1 < AText.size() && AText[i + 1] == u'\n') {
      ++i;
    }
    ++i;
    start = i;
  }
  if (start < AText.size()) {
    lines.emplace_back(AText.substr(start));
  }
  return lines;
}

std::u16string JoinLines(const std::vector<std::u16string>& ALines) {
  std::size_t size = 0;
  for (const auto& line : ALines) {
    size += line.size() + 2;
  }
  std::u16string text;
  text.reserve(size);
  for (const auto& line : ALines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

std::size_t TSortedTextList::LowerBound(std::u16string_view AText) const {
  std::size_t low = 0;
  std::size_t high = FLines.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (FLocale->CompareUserLocale(FLines[middle], AText, TCompareCase::Sensitive) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

bool TSortedTextList::Add(std::u16string AText) {
  const std::size_t position = LowerBound(AText);
  if (position < FLines.size() && Same(FLines[position], AText)) {
    return false;
  }
  FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(position), std::move(AText));
  return true;
}

std::optional<std::size_t> TSortedTextList::IndexOf(std::u16string_view AText) const {
  const std::size_t position = LowerBound(AText);
  if (position < FLines.size() && Same(FLines[position], AText)) {
    return position;
  }
  return std::nullopt;
}

bool TSortedTextList::Remove(std::u16string_view AText) {
  const auto position = IndexOf(AText);
  if (!position) {
    return false;
  }
  FLines.erase(FLines.begin() + static_cast<std::ptrdiff_t>(*position));
  return true;
}

void TSortedTextList::SetText(std::u16string_view AText) {
  FLines.clear();
  for (auto& line : SplitLines(AText)) {
    Add(std::move(line));
  }
}

std::optional<std::u16string_view> LineName(std::u16string_view ALine) {
  const std::size_t separator = ALine.find(u'=');
  if (separator == std::u16string_view::npos) {
    return std::nullopt;
  }
  return ALine.substr(0, separator);
}

std::optional<std::u16string_view> LineValue(std::u16string_view ALine) {
  const std::size_t separator = ALine.find(u'=');
  if (separator == std::u16string_view::npos) {
    return std::nullopt;
  }
  return ALine.substr(separator + 1);
}

std::optional<std::u16string> TLanguageTable::ValueOf(std::u16string_view AName) const {
  for (const auto& line : Lines()) {
    const auto name = LineName(line);
    if (name && Same(*name, AName)) {
      return std::u16string(*LineValue(line));
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> TLanguageTable::NameOf(std::u16string_view AValue) const {
  for (const auto& line : Lines()) {
    const auto value = LineValue(line);
    if (value && Same(*value, AValue)) {
      return std::u16string(*LineName(line));
    }
  }
  return std::nullopt;
}

}  // namespace mon
