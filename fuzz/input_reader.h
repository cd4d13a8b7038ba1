// Reads a fuzz input front to back, so that seed files can be written by hand or by a short
// script; past the input's end every read gives zeros.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace mon::fuzzing {

class TInputReader {
 public:
  explicit TInputReader(std::span<const std::uint8_t> AData) : FData(AData) {}

  bool AtEnd() const { return FPosition >= FData.size(); }
  std::uint8_t Byte() { return AtEnd() ? 0 : FData[FPosition++]; }
  // AByteCount bytes (at most 8), little-endian.
  std::uint64_t Number(int AByteCount) {
    std::uint64_t value = 0;
    for (int i = 0; i < AByteCount; ++i) {
      value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
    }
    return value;
  }
  // Up to ACount bytes: fewer at the input's end.
  std::span<const std::uint8_t> Take(std::size_t ACount) {
    const std::size_t count = std::min(ACount, FData.size() - FPosition);
    const auto taken = FData.subspan(FPosition, count);
    FPosition += count;
    return taken;
  }

 private:
  std::span<const std::uint8_t> FData;
  std::size_t FPosition = 0;
};

}  // namespace mon::fuzzing
