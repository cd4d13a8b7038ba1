// Points, rectangles and colours of the drawing layer, in device-independent pixels of the
// scene (one scene pixel is one screen pixel at 96 DPI).
#pragma once

#include <cstdint>

namespace mon {

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

// Left/top inclusive, right/bottom exclusive.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;

  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool Contains(TPoint APoint) const {
    return APoint.X >= Left && APoint.X < Right() && APoint.Y >= Top && APoint.Y < Bottom();
  }
  TRect Moved(int ADeltaX, int ADeltaY) const {
    return TRect{Left + ADeltaX, Top + ADeltaY, Width, Height};
  }
  TPoint Centre() const { return TPoint{Left + Width / 2, Top + Height / 2}; }
  bool operator==(const TRect&) const = default;
};

// Straight (not premultiplied) RGBA; A = 255 is opaque.
struct TColor {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  std::uint8_t A = 255;

  static constexpr TColor Rgb(std::uint8_t AR, std::uint8_t AG, std::uint8_t AB) {
    return TColor{AR, AG, AB, 255};
  }
  bool operator==(const TColor&) const = default;
};

}  // namespace mon
