// Report descriptors from the text files of captured devices (tests/data/hid-descriptors), which
// come from several dump tools: a free-form header, then the descriptor's bytes as hex numbers
// ("HH", "0xHH" or "0xHH,"), as a plain hex dump, one item a line with its bytes at the end, or
// lines with a hex offset ("0010:") before the bytes. Test code only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mon::testing {

// The descriptor's bytes: each line gives the run of byte tokens at its end ("//" comments
// removed); '#' lines are comments; a label ending in ':' before the run must be a hex offset,
// except hid-decode's "R: <count>", whose count is dropped; a "Parser output" heading ends the
// bytes (a listing follows it). nullopt when the file cannot be read or gives no bytes.
std::optional<std::vector<std::uint8_t>> LoadDescriptorFile(const std::string& APath);

}  // namespace mon::testing
