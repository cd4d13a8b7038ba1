#include "ui/png_codec.h"

#include <png.h>

#include <cstring>
#include <string_view>

#include "framework/text.h"

namespace mon {
namespace {

// Deflate cannot compress better than 1032:1, and a PNG row holds at least one bit per pixel,
// so a valid file of N bytes describes at most N * 1032 * 8 pixels.
constexpr std::uint64_t kMaxPixelsPerDataByte = std::uint64_t{1032} * 8;

// Frees what libpng allocated for a png_image, on every path.
class TPngImageGuard {
 public:
  explicit TPngImageGuard(png_image& AImage) : FImage(AImage) {}
  ~TPngImageGuard() { png_image_free(&FImage); }
  TPngImageGuard(const TPngImageGuard&) = delete;
  TPngImageGuard& operator=(const TPngImageGuard&) = delete;

 private:
  png_image& FImage;
};

png_image NewPngImage() {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  return image;
}

TPngDecodeResult Failure(std::u16string AReason) {
  TPngDecodeResult result;
  result.Error = std::move(AReason);
  return result;
}

TPngDecodeResult LibpngFailure(std::u16string_view AStep, const png_image& AImage) {
  std::u16string reason(AStep);
  const std::string_view message(AImage.message, ::strnlen(AImage.message, sizeof AImage.message));
  if (!message.empty()) {
    reason += u": ";
    reason += Utf8ToUtf16(message);
  }
  return Failure(std::move(reason));
}

}  // namespace

TColor TRgbaImage::PixelAt(std::uint32_t AX, std::uint32_t AY) const {
  const std::size_t offset = (static_cast<std::size_t>(AY) * Width + AX) * 4;
  return TColor{Pixels.at(offset), Pixels.at(offset + 1), Pixels.at(offset + 2),
                Pixels.at(offset + 3)};
}

TPngDecodeResult DecodePng(std::span<const std::uint8_t> AData) {
  if (AData.empty()) {
    return Failure(u"no PNG data");
  }
  png_image image = NewPngImage();
  const TPngImageGuard guard(image);
  if (png_image_begin_read_from_memory(&image, AData.data(), AData.size()) == 0) {
    return LibpngFailure(u"not a readable PNG image", image);
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxPngSide ||
      image.height > kMaxPngSide) {
    return Failure(u"PNG image of " + IntToText(image.width) + u" x " + IntToText(image.height) +
                   u" pixels is outside the accepted size");
  }
  const std::uint64_t pixels = static_cast<std::uint64_t>(image.width) * image.height;
  if (pixels > static_cast<std::uint64_t>(AData.size()) * kMaxPixelsPerDataByte) {
    return Failure(u"PNG image claims more pixels than its data can hold");
  }
  image.format = PNG_FORMAT_RGBA;
  TRgbaImage decoded;
  decoded.Width = image.width;
  decoded.Height = image.height;
  decoded.Pixels.resize(static_cast<std::size_t>(pixels) * 4);
  if (png_image_finish_read(&image, nullptr, decoded.Pixels.data(), 0, nullptr) == 0) {
    return LibpngFailure(u"damaged PNG image", image);
  }
  TPngDecodeResult result;
  result.Image = std::move(decoded);
  return result;
}

std::optional<std::vector<std::uint8_t>> EncodePng(const TRgbaImage& AImage) {
  if (AImage.IsEmpty() || !AImage.IsConsistent() || AImage.Width > kMaxPngSide ||
      AImage.Height > kMaxPngSide) {
    return std::nullopt;
  }
  png_image image = NewPngImage();
  const TPngImageGuard guard(image);
  image.width = AImage.Width;
  image.height = AImage.Height;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, AImage.Pixels.data(), 0, nullptr) == 0 ||
      size == 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(size);
  if (png_image_write_to_memory(&image, bytes.data(), &size, 0, AImage.Pixels.data(), 0, nullptr) ==
      0) {
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace mon
