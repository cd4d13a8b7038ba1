// The report descriptor of the simulated mouse when no captured one is given: a node of two
// top-level collections, as the monitor's mouse has them on Windows (HID\VID_1234&PID_5678&MI_01,
// the vendor collection &Col02):
//   1. Generic Desktop / Mouse, report 1: five buttons, X and Y.
//   2. Vendor 0xFFA0 / 1: input report 7 (24 buttons as a mask, then 4 bytes), input report 8
//      (7 bytes), output report 9 (8 bytes), feature report 10 (64 bytes). Byte lengths with the
//      report ID: input 8, output 9, feature 65.
#pragma once

#include <cstdint>
#include <vector>

namespace mon::testing {

inline constexpr std::uint16_t kSimMouseVendor = 0x1234;
inline constexpr std::uint16_t kSimMouseProduct = 0x5678;
inline constexpr std::uint8_t kSimMouseInterface = 0x01;

std::vector<std::uint8_t> SimMouseDescriptor();

}  // namespace mon::testing
