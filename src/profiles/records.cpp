#include "profiles/records.h"

#include <algorithm>
#include <array>

namespace mon {

std::u16string ReadFixedText(std::span<const char16_t> AArray) {
  const auto end = std::find(AArray.begin(), AArray.end(), u'\0');
  return std::u16string(AArray.begin(), end);
}

void WriteFixedText(std::span<char16_t> AArray, std::u16string_view AText) {
  if (AArray.empty()) {
    return;
  }
  const std::size_t length = std::min(AText.size(), AArray.size() - 1);
  std::copy_n(AText.begin(), length, AArray.begin());
  std::fill(AArray.begin() + static_cast<std::ptrdiff_t>(length), AArray.end(), u'\0');
}

namespace {

// Ranges of the function-code table whose codes and IDs advance together.
struct TFunctionCodeRange {
  int FirstCode;
  int LastCode;
  Integer Category;
  Integer FirstID;
};

constexpr std::array<TFunctionCodeRange, 24> kFunctionCodes{{
    {0, 0, 1, 1},       {1, 1, 2, 2},       {2, 2, 3, 3},       {3, 3, 5, 4},      {4, 4, 4, 5},
    {5, 5, 16, 6},                         // single keyboard key
    {6, 6, 15, 7},                         // user key combination
    {7, 14, 15, 801},                      // combination set A
    {15, 20, 15, 901},                     // combination set B (system shortcuts)
    {21, 27, 14, 907},                     // browser keys
    {28, 28, 14, 914},                     // microphone mute
    {29, 35, 14, 1001},                    // media keys
    {36, 36, 19, 1008},                    // media key entry 7
    {37, 37, 17, 11},   {38, 38, 25, 12},  // device function with options
    {39, 39, 8, 13},    {40, 40, 8, 1301},  {41, 41, 10, 1302}, {42, 42, 9, 1303}, {43, 43, 13, 14},
    {44, 44, 8, 15},    {45, 45, 23, 1501}, {46, 46, 24, 1502}, {47, 47, 14, 16},
}};

}  // namespace

std::optional<TFunctionCodeInfo> FunctionCodeInfo(int ACode) {
  for (const auto& range : kFunctionCodes) {
    if (ACode >= range.FirstCode && ACode <= range.LastCode) {
      return TFunctionCodeInfo{range.Category, range.FirstID + (ACode - range.FirstCode)};
    }
  }
  return std::nullopt;
}

}  // namespace mon
