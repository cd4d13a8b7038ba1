// The language data stream embedded in the main window (its ResourcesBin): the original texts
// and the "CH" (Chinese) and "US" (English) tables, built from embedded_language_table.txt.
#pragma once

#include <cstdint>
#include <span>

namespace mon {

std::span<const std::uint8_t> EmbeddedResourcesBin();

}  // namespace mon
