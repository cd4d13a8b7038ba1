// The size of the embedded language table, for the tests that load it whole.
#pragma once

#include <cstddef>

namespace mon::testing {

// Its originals: the 221 texts of the suite's table and the monitor's two texts of the
// microphone's state; and its Chinese lines (176 and those two).
inline constexpr std::size_t kEmbeddedOriginalCount = 223;
inline constexpr std::size_t kEmbeddedChineseLineCount = 178;

}  // namespace mon::testing
