// Report descriptors from the text files of captured devices (tests/data/hid-descriptors):
// a free-form header, then the descriptor's bytes as two-digit hex numbers, either as a plain
// hex dump or one item a line with its bytes at the end of the line. Test code only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mon::testing {

// The bytes of the first block of lines that end in hex bytes (blank lines inside it are
// skipped; the first other line after it ends it). nullopt when the file cannot be read or has
// no such block.
std::optional<std::vector<std::uint8_t>> LoadDescriptorFile(const std::string& APath);

}  // namespace mon::testing
