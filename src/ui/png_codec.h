// PNG images through libpng, as straight RGBA pixels. Decoding never trusts the file: a damaged,
// truncated or implausibly large image gives a failure with a readable reason, never a crash and
// never an allocation beyond what the data can describe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/geometry.h"

namespace mon {

struct TRgbaImage {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  // Width * Height * 4 bytes: rows from top to bottom, each pixel R, G, B, A (not premultiplied).
  std::vector<std::uint8_t> Pixels;

  bool IsEmpty() const { return Width == 0 || Height == 0; }
  // The size of Pixels matches Width and Height.
  bool IsConsistent() const {
    return Pixels.size() == static_cast<std::size_t>(Width) * Height * 4;
  }
  // The pixel at (AX, AY); both must be inside the image.
  TColor PixelAt(std::uint32_t AX, std::uint32_t AY) const;
};

// The largest width or height accepted from a file.
inline constexpr std::uint32_t kMaxPngSide = 8192;

struct TPngDecodeResult {
  std::optional<TRgbaImage> Image;  // set on success
  std::u16string Error;             // the reason on failure, empty on success
  explicit operator bool() const { return Image.has_value(); }
};

// Decodes a whole PNG file image (any colour type and bit depth, palette and transparency
// included) into 8-bit RGBA. Fails on empty data, a bad signature, CRC errors in critical
// chunks, truncated or corrupt image data, sides above kMaxPngSide, and on headers that claim
// more pixels than the compressed data could possibly hold.
TPngDecodeResult DecodePng(std::span<const std::uint8_t> AData);

// Encodes an RGBA image as a PNG file image; nullopt when the image is empty, inconsistent, has
// a side above kMaxPngSide, or libpng fails.
std::optional<std::vector<std::uint8_t>> EncodePng(const TRgbaImage& AImage);

}  // namespace mon
