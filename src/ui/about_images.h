// The About panel's PNG images, drawn by src/ui/images/generate_images.py at build time and
// compiled into the program.
#pragma once

#include <cstdint>
#include <span>

namespace mon {

std::span<const std::uint8_t> AboutBackgroundPng();  // 504 x 400
std::span<const std::uint8_t> AboutWebButtonPng();   // 77 x 31
std::span<const std::uint8_t> AboutOKNormalPng();    // 94 x 27
std::span<const std::uint8_t> AboutOKHotPng();       // 94 x 27
std::span<const std::uint8_t> AboutOKPressedPng();   // 94 x 27

}  // namespace mon
