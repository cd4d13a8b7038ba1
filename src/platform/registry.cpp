#include "platform/registry.h"

#include <cstring>

namespace mon {

bool TRegistryKey::WriteBinary(const std::u16string& AName, std::span<const std::uint8_t> AData) {
  return WriteValue(AName, kRegistryBinary, AData);
}

bool TRegistryKey::WriteDWord(const std::u16string& AName, std::uint32_t AValue) {
  std::uint8_t bytes[sizeof AValue];
  std::memcpy(bytes, &AValue, sizeof AValue);  // little-endian, as REG_DWORD is
  return WriteValue(AName, kRegistryDWord, bytes);
}

std::optional<std::uint32_t> TRegistryKey::ReadDWord(const std::u16string& AName) {
  std::uint8_t bytes[sizeof(std::uint32_t)] = {};
  const auto info = ReadValue(AName, bytes);
  if (!info || info->Type != kRegistryDWord || info->Size != sizeof bytes) {
    return std::nullopt;
  }
  std::uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace mon
