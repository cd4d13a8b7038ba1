#include "ui/image_resampling.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace mon {
namespace {

// The source pixels one target pixel covers along one axis, with the share of each.
struct TCoverage {
  std::uint32_t First = 0;
  std::vector<float> Weights;  // sums to 1
};

std::vector<TCoverage> CoverageAlong(std::uint32_t ASourceSide, std::uint32_t ATargetSide) {
  std::vector<TCoverage> result(ATargetSide);
  const double ratio = static_cast<double>(ASourceSide) / ATargetSide;
  for (std::uint32_t target = 0; target < ATargetSide; ++target) {
    const double begin = target * ratio;
    const double end = std::min<double>((target + 1) * ratio, ASourceSide);
    const auto first = static_cast<std::uint32_t>(begin);
    const auto last = std::min(ASourceSide - 1, static_cast<std::uint32_t>(std::ceil(end)) - 1);
    TCoverage& coverage = result[target];
    coverage.First = first;
    for (std::uint32_t source = first; source <= last; ++source) {
      const double overlap = std::min<double>(source + 1, end) - std::max<double>(source, begin);
      coverage.Weights.push_back(static_cast<float>(std::max(0.0, overlap) / (end - begin)));
    }
  }
  return result;
}

std::uint8_t ToByte(float AValue) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(AValue), 0L, 255L));
}

}  // namespace

TRgbaImage ResampledImage(const TRgbaImage& AImage, std::uint32_t AWidth, std::uint32_t AHeight) {
  if (AImage.IsEmpty() || !AImage.IsConsistent() || AWidth == 0 || AHeight == 0 ||
      AWidth > kMaxPngSide || AHeight > kMaxPngSide) {
    return {};
  }
  if (AImage.Width == AWidth && AImage.Height == AHeight) {
    return AImage;
  }
  // Premultiplied, so that colour is averaged by how much of it there is.
  const std::size_t sourcePixels = static_cast<std::size_t>(AImage.Width) * AImage.Height;
  std::vector<float> source(sourcePixels * 4);
  for (std::size_t i = 0; i < sourcePixels; ++i) {
    const float alpha = static_cast<float>(AImage.Pixels[i * 4 + 3]) / 255.0f;
    for (std::size_t channel = 0; channel < 3; ++channel) {
      source[i * 4 + channel] = static_cast<float>(AImage.Pixels[i * 4 + channel]) * alpha;
    }
    source[i * 4 + 3] = static_cast<float>(AImage.Pixels[i * 4 + 3]);
  }
  // Rows first (target width x source height), then columns.
  const std::vector<TCoverage> across = CoverageAlong(AImage.Width, AWidth);
  std::vector<float> rows(static_cast<std::size_t>(AWidth) * AImage.Height * 4, 0.0f);
  for (std::uint32_t y = 0; y < AImage.Height; ++y) {
    for (std::uint32_t x = 0; x < AWidth; ++x) {
      float* out = &rows[(static_cast<std::size_t>(y) * AWidth + x) * 4];
      const TCoverage& coverage = across[x];
      for (std::size_t k = 0; k < coverage.Weights.size(); ++k) {
        const float* in =
            &source[(static_cast<std::size_t>(y) * AImage.Width + coverage.First + k) * 4];
        for (std::size_t channel = 0; channel < 4; ++channel) {
          out[channel] += in[channel] * coverage.Weights[k];
        }
      }
    }
  }
  const std::vector<TCoverage> down = CoverageAlong(AImage.Height, AHeight);
  TRgbaImage result;
  result.Width = AWidth;
  result.Height = AHeight;
  result.Pixels.resize(static_cast<std::size_t>(AWidth) * AHeight * 4);
  for (std::uint32_t y = 0; y < AHeight; ++y) {
    const TCoverage& coverage = down[y];
    for (std::uint32_t x = 0; x < AWidth; ++x) {
      float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
      for (std::size_t k = 0; k < coverage.Weights.size(); ++k) {
        const float* in = &rows[((coverage.First + k) * AWidth + x) * 4];
        for (std::size_t channel = 0; channel < 4; ++channel) {
          sum[channel] += in[channel] * coverage.Weights[k];
        }
      }
      std::uint8_t* out = &result.Pixels[(static_cast<std::size_t>(y) * AWidth + x) * 4];
      const float alpha = sum[3];
      for (std::size_t channel = 0; channel < 3; ++channel) {
        out[channel] = alpha > 0.0f ? ToByte(sum[channel] * 255.0f / alpha) : 0;
      }
      out[3] = ToByte(alpha);
    }
  }
  return result;
}

}  // namespace mon
