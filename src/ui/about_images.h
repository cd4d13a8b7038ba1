// The About panel's PNG images, drawn by src/ui/images/generate_images.py at build time and
// compiled into the program, each at 1, 1.5 and 2 times its size.
#pragma once

#include <cstdint>
#include <span>

namespace mon {

// One image of each kind, drawn at ScalePercent hundredths of the 1x size (each side rounded
// half up, as ScaledToDpi rounds).
struct TAboutImagePngs {
  int ScalePercent = 100;
  std::span<const std::uint8_t> Background;  // 504 x 400 at 100 %
  std::span<const std::uint8_t> WebButton;   // 77 x 31
  std::span<const std::uint8_t> OKNormal;    // 94 x 27
  std::span<const std::uint8_t> OKHot;       // 94 x 27
  std::span<const std::uint8_t> OKPressed;   // 94 x 27
};

// Every scale the program holds (100, 150, 200), from the smallest up.
std::span<const TAboutImagePngs> AboutImagePngSets();

}  // namespace mon
