// Byte images for the profile tests: of a record as it is stored, of a store's buffer, and a
// recognisable pattern.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "profiles/uiProfile.h"

namespace mon::testing {

using TBytes = std::vector<std::uint8_t>;

// The record's bytes, as a store writes them.
template <class T>
TBytes ImageOf(const T& ARecord) {
  TBytes bytes(sizeof(T));
  std::memcpy(bytes.data(), &ARecord, sizeof(T));
  return bytes;
}

// The bytes a store holds now.
inline TBytes Image(const TuiProfile& AStore) {
  const auto bytes = AStore.Stream().Bytes();
  return {bytes.begin(), bytes.end()};
}

// ASize bytes counting up from AFirst.
inline TBytes Pattern(std::size_t ASize, std::uint8_t AFirst = 1) {
  TBytes bytes(ASize);
  std::iota(bytes.begin(), bytes.end(), AFirst);
  return bytes;
}

// The little-endian 16-bit word at AOffset.
inline unsigned WordAt(const TBytes& ABytes, std::size_t AOffset) {
  return ABytes.at(AOffset) | (ABytes.at(AOffset + 1) << 8);
}

}  // namespace mon::testing
