// Images brought to the size they are drawn at: averages of what each new pixel covers, no colour
// from transparent pixels, and clear results for what cannot be resampled.
#include "ui/image_resampling.h"

#include <gtest/gtest.h>

#include <vector>

namespace mon {
namespace {

TRgbaImage ImageOf(std::uint32_t AWidth, std::uint32_t AHeight,
                   const std::vector<TColor>& AColors) {
  TRgbaImage image;
  image.Width = AWidth;
  image.Height = AHeight;
  for (const TColor& color : AColors) {
    image.Pixels.insert(image.Pixels.end(), {color.R, color.G, color.B, color.A});
  }
  return image;
}

constexpr TColor kRed = TColor::Rgb(255, 0, 0);
constexpr TColor kBlue = TColor::Rgb(0, 0, 255);
constexpr TColor kWhite = TColor::Rgb(255, 255, 255);
constexpr TColor kBlack = TColor::Rgb(0, 0, 0);

TEST(ImageResamplingTest, ShrinkingAveragesWhatEachPixelCovers) {
  // 4 x 2 of 2 x 2 blocks, red and blue: halved, each block one pixel.
  const TRgbaImage blocks = ImageOf(4, 2, {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue});
  const TRgbaImage halved = ResampledImage(blocks, 2, 1);
  ASSERT_EQ(halved.Width, 2u);
  ASSERT_EQ(halved.Height, 1u);
  EXPECT_EQ(halved.PixelAt(0, 0), kRed);
  EXPECT_EQ(halved.PixelAt(1, 0), kBlue);

  // 3 -> 2 pixels: the middle one is shared half and half, so each new pixel is two thirds its
  // own side and one third the middle.
  const TRgbaImage row = ImageOf(3, 1, {kWhite, kBlack, kBlack});
  const TRgbaImage shrunk = ResampledImage(row, 2, 1);
  ASSERT_EQ(shrunk.Width, 2u);
  EXPECT_EQ(shrunk.PixelAt(0, 0), TColor::Rgb(170, 170, 170));
  EXPECT_EQ(shrunk.PixelAt(1, 0), kBlack);
}

TEST(ImageResamplingTest, TransparentPixelsLendNoColour) {
  // Opaque red beside transparent green: half covered, still pure red.
  const TRgbaImage image = ImageOf(2, 1, {kRed, TColor{0, 255, 0, 0}});
  const TRgbaImage one = ResampledImage(image, 1, 1);
  ASSERT_FALSE(one.IsEmpty());
  EXPECT_EQ(one.PixelAt(0, 0), (TColor{255, 0, 0, 128}));
}

TEST(ImageResamplingTest, GrowingKeepsTheColoursAndTheSameSizeIsACopy) {
  const TRgbaImage image = ImageOf(2, 1, {kRed, kBlue});
  const TRgbaImage grown = ResampledImage(image, 4, 2);
  ASSERT_EQ(grown.Width, 4u);
  ASSERT_EQ(grown.Height, 2u);
  EXPECT_EQ(grown.PixelAt(0, 1), kRed);
  EXPECT_EQ(grown.PixelAt(3, 0), kBlue);
  const TRgbaImage same = ResampledImage(image, 2, 1);
  EXPECT_EQ(same.Pixels, image.Pixels);
}

TEST(ImageResamplingTest, WhatCannotBeResampledGivesAnEmptyImage) {
  const TRgbaImage image = ImageOf(2, 1, {kRed, kBlue});
  EXPECT_TRUE(ResampledImage(image, 0, 5).IsEmpty());
  EXPECT_TRUE(ResampledImage(image, kMaxPngSide + 1, 1).IsEmpty());
  EXPECT_TRUE(ResampledImage(TRgbaImage{}, 4, 4).IsEmpty());
  TRgbaImage inconsistent = image;
  inconsistent.Height = 1000;  // claims more pixels than it holds
  EXPECT_TRUE(ResampledImage(inconsistent, 4, 4).IsEmpty());
}

}  // namespace
}  // namespace mon
