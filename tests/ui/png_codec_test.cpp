// PNG decoding and encoding through libpng: good images of several kinds, and damaged data,
// which must fail cleanly.
#include "ui/png_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "framework/text.h"
#include "ui/about_images.h"

namespace mon {
namespace {

using TBytes = std::vector<std::uint8_t>;

void PutBigEndian(TBytes& AOut, std::uint32_t AValue) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    AOut.push_back(static_cast<std::uint8_t>(AValue >> shift));
  }
}

void PutChunk(TBytes& AOut, const char* AType, const TBytes& AData) {
  PutBigEndian(AOut, static_cast<std::uint32_t>(AData.size()));
  TBytes body(AType, AType + 4);
  body.insert(body.end(), AData.begin(), AData.end());
  AOut.insert(AOut.end(), body.begin(), body.end());
  PutBigEndian(AOut, static_cast<std::uint32_t>(::crc32(0, body.data(), body.size())));
}

// A PNG file from its header fields and its raw (filtered) scanlines, chunks written by hand.
TBytes BuildPng(std::uint32_t AWidth, std::uint32_t AHeight, std::uint8_t ABitDepth,
                std::uint8_t AColorType, const TBytes& AScanlines, const TBytes& APalette = {},
                const TBytes& ATransparency = {}) {
  TBytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  TBytes header;
  PutBigEndian(header, AWidth);
  PutBigEndian(header, AHeight);
  header.insert(header.end(), {ABitDepth, AColorType, 0, 0, 0});
  PutChunk(out, "IHDR", header);
  if (!APalette.empty()) {
    PutChunk(out, "PLTE", APalette);
  }
  if (!ATransparency.empty()) {
    PutChunk(out, "tRNS", ATransparency);
  }
  uLongf size = ::compressBound(AScanlines.size());
  TBytes compressed(size);
  EXPECT_EQ(::compress2(compressed.data(), &size, AScanlines.data(), AScanlines.size(), 9), Z_OK);
  compressed.resize(size);
  PutChunk(out, "IDAT", compressed);
  PutChunk(out, "IEND", {});
  return out;
}

TRgbaImage SampleImage() {
  TRgbaImage image;
  image.Width = 7;
  image.Height = 5;
  for (std::uint32_t i = 0; i < image.Width * image.Height; ++i) {
    image.Pixels.insert(image.Pixels.end(),
                        {static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i * 31), static_cast<std::uint8_t>(i * 5 + 3)});
  }
  return image;
}

TEST(PngCodecTest, EncodedImagesDecodeToTheSamePixels) {
  const TRgbaImage original = SampleImage();
  const auto encoded = EncodePng(original);
  ASSERT_TRUE(encoded.has_value());
  const TPngDecodeResult decoded = DecodePng(*encoded);
  ASSERT_TRUE(decoded) << Utf16ToUtf8(decoded.Error);
  EXPECT_TRUE(decoded.Error.empty());
  EXPECT_EQ(decoded.Image->Width, 7u);
  EXPECT_EQ(decoded.Image->Height, 5u);
  EXPECT_EQ(decoded.Image->Pixels, original.Pixels);
}

TEST(PngCodecTest, GreyPaletteAndTransparencyBecomeRgba) {
  // 1-bit grey, 3 x 2: rows 101 and 010 (each row: filter byte 0, then the bits).
  const TPngDecodeResult grey = DecodePng(BuildPng(3, 2, 1, 0, {0, 0b10100000, 0, 0b01000000}));
  ASSERT_TRUE(grey) << Utf16ToUtf8(grey.Error);
  EXPECT_EQ(grey.Image->PixelAt(0, 0), TColor::Rgb(255, 255, 255));
  EXPECT_EQ(grey.Image->PixelAt(1, 0), TColor::Rgb(0, 0, 0));
  EXPECT_EQ(grey.Image->PixelAt(1, 1), TColor::Rgb(255, 255, 255));

  // 8-bit palette of two entries, the second half transparent; 2 x 1 pixels: entry 0, entry 1.
  const TPngDecodeResult palette =
      DecodePng(BuildPng(2, 1, 8, 3, {0, 0, 1}, {10, 20, 30, 200, 100, 50}, {255, 128}));
  ASSERT_TRUE(palette) << Utf16ToUtf8(palette.Error);
  EXPECT_EQ(palette.Image->PixelAt(0, 0), (TColor{10, 20, 30, 255}));
  EXPECT_EQ(palette.Image->PixelAt(1, 0), (TColor{200, 100, 50, 128}));
}

// At 1x, 1.5x and 2x; odd sides rounded half up (77 x 1.5 = 115.5: 116).
TEST(PngCodecTest, EmbeddedPanelImagesDecodeAtTheirSizes) {
  const std::span<const TAboutImagePngs> sets = AboutImagePngSets();
  ASSERT_EQ(sets.size(), 3u);
  const struct {
    int ScalePercent;
    std::uint32_t Background[2], WebButton[2], OKButton[2];
  } expected[] = {{100, {504, 400}, {77, 31}, {94, 27}},
                  {150, {756, 600}, {116, 47}, {141, 41}},
                  {200, {1008, 800}, {154, 62}, {188, 54}}};
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const TAboutImagePngs& set = sets[i];
    EXPECT_EQ(set.ScalePercent, expected[i].ScalePercent);
    const struct {
      std::span<const std::uint8_t> Png;
      const std::uint32_t* Size;
    } images[] = {{set.Background, expected[i].Background},
                  {set.WebButton, expected[i].WebButton},
                  {set.OKNormal, expected[i].OKButton},
                  {set.OKHot, expected[i].OKButton},
                  {set.OKPressed, expected[i].OKButton}};
    for (const auto& image : images) {
      const TPngDecodeResult decoded = DecodePng(image.Png);
      ASSERT_TRUE(decoded) << Utf16ToUtf8(decoded.Error);
      EXPECT_EQ(decoded.Image->Width, image.Size[0]) << set.ScalePercent;
      EXPECT_EQ(decoded.Image->Height, image.Size[1]) << set.ScalePercent;
      EXPECT_TRUE(decoded.Image->IsConsistent());
    }
  }
}

TEST(PngCodecTest, DataThatIsNoPngFails) {
  EXPECT_FALSE(DecodePng({}));
  EXPECT_EQ(DecodePng({}).Error, u"no PNG data");
  const TBytes text = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const TPngDecodeResult result = DecodePng(text);
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.Error.empty());
}

TEST(PngCodecTest, EveryTruncationFails) {
  const TBytes whole = *EncodePng(SampleImage());
  // Up to the end of the image data; only the IEND chunk (12 bytes) may be missing.
  for (std::size_t length = 1; length + 12 < whole.size(); ++length) {
    const TPngDecodeResult result = DecodePng(std::span<const std::uint8_t>(whole.data(), length));
    EXPECT_FALSE(result) << "prefix of " << length << " bytes";
    EXPECT_FALSE(result.Error.empty());
  }
}

TEST(PngCodecTest, DamagedImageDataFails) {
  TBytes scanlines(1 + 4 * 4, 0x40);  // 4 x 1 RGBA
  scanlines[0] = 0;                   // filter "None"
  const TBytes good = BuildPng(4, 1, 8, 6, scanlines);
  ASSERT_TRUE(DecodePng(good));

  // A flipped bit in the IDAT payload breaks the chunk's CRC.
  const TBytes idat = {'I', 'D', 'A', 'T'};
  const auto idatAt = std::search(good.begin(), good.end(), idat.begin(), idat.end());
  ASSERT_NE(idatAt, good.end());
  TBytes badCrc = good;
  badCrc[static_cast<std::size_t>(idatAt - good.begin()) + 6] ^= 0x10;
  EXPECT_FALSE(DecodePng(badCrc));

  // A valid CRC over a broken deflate stream: the corruption is in the data itself.
  TBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  TBytes header;
  PutBigEndian(header, 4);
  PutBigEndian(header, 1);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01});
  PutChunk(png, "IEND", {});
  const TPngDecodeResult broken = DecodePng(png);
  EXPECT_FALSE(broken);
  EXPECT_FALSE(broken.Error.empty());
}

TEST(PngCodecTest, ImplausibleSizesFailBeforeAllocating) {
  // A header claiming 8192 x 8192 pixels (256 MiB as RGBA) over a few bytes of data.
  const TPngDecodeResult huge = DecodePng(BuildPng(8192, 8192, 8, 6, {0, 0, 0, 0, 0}));
  EXPECT_FALSE(huge);
  EXPECT_EQ(huge.Error, u"PNG image claims more pixels than its data can hold");

  const TPngDecodeResult wide = DecodePng(BuildPng(kMaxPngSide + 1, 1, 1, 0, TBytes(2000, 0)));
  EXPECT_FALSE(wide);
  EXPECT_NE(wide.Error.find(u"outside the accepted size"), std::u16string::npos);
}

TEST(PngCodecTest, RandomDamageNeverBreaksTheDecoder) {
  const TBytes whole = *EncodePng(SampleImage());
  std::mt19937 random(20240611);
  int failures = 0;
  for (int round = 0; round < 400; ++round) {
    TBytes damaged = whole;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int flip = 0; flip < flips; ++flip) {
      damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
    }
    const TPngDecodeResult result = DecodePng(damaged);
    if (result) {
      EXPECT_TRUE(result.Image->IsConsistent());
      EXPECT_LE(result.Image->Width, kMaxPngSide);
    } else {
      ++failures;
      EXPECT_FALSE(result.Error.empty());
    }
  }
  // Nearly every damage hits a CRC; ancillary-free images have no harmless bytes but the
  // signature's text part, which libpng checks too.
  EXPECT_GT(failures, 350);
}

TEST(PngCodecTest, EncodingRefusesBrokenImages) {
  EXPECT_FALSE(EncodePng(TRgbaImage{}).has_value());
  TRgbaImage inconsistent = SampleImage();
  inconsistent.Pixels.pop_back();
  EXPECT_FALSE(EncodePng(inconsistent).has_value());
}

}  // namespace
}  // namespace mon
