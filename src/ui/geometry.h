// Points, rectangles and colours of the drawing layer, in pixels of the scene (one scene pixel
// is one screen pixel), and the screen resolution a scene is laid out for.
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

// Screen resolution in dots per inch. Layouts are designed at 96 (100 %); on a screen of
// higher resolution every length is scaled by its DPI / 96.
inline constexpr int kDesignDpi = 96;
// The most Windows offers (500 %); a resolution said to be higher is taken as this, so that no
// claim makes a window or its pictures grow without bound.
inline constexpr int kMaxDpi = 480;

// ALength design pixels at ADpi, rounded half away from zero (as Windows' MulDiv).
constexpr int ScaledToDpi(int ALength, int ADpi) {
  const long long product = static_cast<long long>(ALength) * ADpi;
  const long long half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                       : -((-product + half) / kDesignDpi));
}

// Place and size each scaled on their own, so that an element of a given size has the same size
// wherever it sits (the images drawn for that resolution fit it exactly).
constexpr TRect ScaledToDpi(const TRect& ARect, int ADpi) {
  return TRect{ScaledToDpi(ARect.Left, ADpi), ScaledToDpi(ARect.Top, ADpi),
               ScaledToDpi(ARect.Width, ADpi), ScaledToDpi(ARect.Height, ADpi)};
}

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
