// Sorted text lists and language tables.
//
// A language table is a list of lines "original=translation", kept sorted by whole line in the
// user locale's case-sensitive linguistic order; a line equal (in that order) to one already
// there is not added. The name of a line is the text before its first "=", the value the text
// after it. Lookups by name or value scan the lines in order and return the first match; a
// line without "=" never matches, so an original that itself contains "=" is never translated.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale.h"

namespace mon {

// Splits a text into lines. A line ends at CR, LF, U+000B, U+000C, U+2028, U+2029 or at the end
// of the text; CR immediately followed by LF is one line end; a text that ends with a line end
// yields no trailing empty line.
std::vector<std::u16string> SplitLines(std::u16string_view AText);

// Every line followed by CR LF.
std::u16string JoinLines(const std::vector<std::u16string>& ALines);

// Texts kept sorted in the user locale's case-sensitive linguistic order, without duplicates.
// The locale must outlive the list and every copy of it.
class TSortedTextList {
 public:
  explicit TSortedTextList(TLocale& ALocale) : FLocale(&ALocale) {}

  // Inserts AText at its sorted place. False (and nothing changes) when an equal text is there.
  bool Add(std::u16string AText);
  // Position of the text equal to AText, by binary search; nullopt when there is none.
  std::optional<std::size_t> IndexOf(std::u16string_view AText) const;
  bool Contains(std::u16string_view AText) const { return IndexOf(AText).has_value(); }
  // Removes the text equal to AText; false when there is none.
  bool Remove(std::u16string_view AText);
  void Clear() { FLines.clear(); }

  // Replaces the content with the lines of AText (SplitLines), sorted, duplicates dropped.
  void SetText(std::u16string_view AText);
  // Every text followed by CR LF, in list order.
  std::u16string Text() const { return JoinLines(FLines); }

  std::size_t Count() const { return FLines.size(); }
  bool Empty() const { return FLines.empty(); }
  const std::u16string& operator[](std::size_t AIndex) const { return FLines[AIndex]; }
  const std::vector<std::u16string>& Lines() const { return FLines; }
  TLocale& Locale() const { return *FLocale; }

 protected:
  bool Same(std::u16string_view A, std::u16string_view B) const {
    return FLocale->CompareUserLocale(A, B, TCompareCase::Sensitive) == 0;
  }

 private:
  // First position whose text does not sort before AText.
  std::size_t LowerBound(std::u16string_view AText) const;

  TLocale* FLocale;
  std::vector<std::u16string> FLines;
};

// The name of a line (text before its first "="), or nullopt for a line without "=".
std::optional<std::u16string_view> LineName(std::u16string_view ALine);
// The value of a line (text after its first "="), or nullopt for a line without "=".
std::optional<std::u16string_view> LineValue(std::u16string_view ALine);

class TLanguageTable : public TSortedTextList {
 public:
  using TSortedTextList::TSortedTextList;

  // The value of the first line whose name equals AName; nullopt when no line has that name.
  std::optional<std::u16string> ValueOf(std::u16string_view AName) const;
  // The name of the first line whose value equals AValue; nullopt when no line has that value.
  std::optional<std::u16string> NameOf(std::u16string_view AValue) const;
};

}  // namespace mon
