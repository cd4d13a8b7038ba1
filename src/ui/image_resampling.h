// Images brought to the size they are drawn at, so that a renderer only ever copies them pixel
// for pixel: the About panel draws at 1.25x from its 1.5x images this way.
#pragma once

#include <cstdint>

#include "ui/png_codec.h"

namespace mon {

// AImage at AWidth x AHeight. Each new pixel is the average of the part of the image it covers
// (a box filter: smooth when shrinking, soft-edged blocks when growing), weighted by alpha so that
// transparent pixels lend no colour to their neighbours. An empty or inconsistent image, a zero
// side, or a side above kMaxPngSide gives an empty image.
TRgbaImage ResampledImage(const TRgbaImage& AImage, std::uint32_t AWidth, std::uint32_t AHeight);

}  // namespace mon
