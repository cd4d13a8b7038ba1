#include "platform/locale.h"

#include <algorithm>

#include "framework/text.h"

namespace mon {

int CompareCodeUnits(std::u16string_view A, std::u16string_view B, TCompareCase ACase) {
  const std::size_t common = std::min(A.size(), B.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t foldedA = FoldCase(A[i]);
    const char16_t foldedB = FoldCase(B[i]);
    if (foldedA != foldedB) {
      return foldedA < foldedB ? -1 : 1;
    }
  }
  if (A.size() != B.size()) {
    return A.size() < B.size() ? -1 : 1;
  }
  if (ACase == TCompareCase::IgnoreCase) {
    return 0;
  }
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (A[i] != B[i]) {
      // The two units fold to the same letter, so exactly one of them is the lower-case one.
      return A[i] == FoldCase(A[i]) ? -1 : 1;
    }
  }
  return 0;
}

std::optional<std::u16string> LocaleInfoInBuffer(TLocale& ALocale, TLcid ALcid,
                                                 TLocaleInfoType AType, std::size_t ABufferUnits) {
  std::optional<std::u16string> value = ALocale.LocaleInfo(ALcid, AType);
  if (!value || ABufferUnits == 0 || value->size() > ABufferUnits - 1) {
    return std::nullopt;
  }
  return value;
}

}  // namespace mon
