// Globally unique identifiers (device-interface classes) as the core handles them: the four
// fields of the Windows GUID record, with its text form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mon {

struct TGuid {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::array<std::uint8_t, 8> Data4{};

  friend bool operator==(const TGuid&, const TGuid&) = default;
};

// Parses the braced text form, hex digits in either case. nullopt for anything else (missing
// braces, wrong group lengths, non-hex characters, trailing text).
std::optional<TGuid> ParseGuid(std::u16string_view AText);

// The braced text form with upper-case hex digits.
std::u16string GuidToText(const TGuid& AGuid);

// The HID device-interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr TGuid kHidInterfaceClassGuid{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

}  // namespace mon
