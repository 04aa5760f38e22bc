#include "platform/image/png_decoder.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/image/oriented_copy.h"
#include "platform/image/picture_header.h"

namespace {

// Frees libpng's state on every way out.
struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
};

// Null when every chunk up to the end chunk is within the file and matches its checksum, else why
// not. libpng stops reading once it has every row, so damage after them would go unseen.
const char* ChunksWhole(std::span<const std::uint8_t> file) {
  std::size_t at = 8;  // past the signature
  const auto be32 = [&](std::size_t i) {
    return (std::uint32_t{file[i]} << 24) | (std::uint32_t{file[i + 1]} << 16) | (std::uint32_t{file[i + 2]} << 8) | file[i + 3];
  };
  while (file.size() - at >= 12) {
    const std::size_t length = be32(at);
    if (length > file.size() - at - 12) break;
    const std::uint8_t* type = file.data() + at + 4;
    const uLong crc = crc32(crc32(0, nullptr, 0), type, static_cast<uInt>(length + 4));
    if (crc != be32(at + 8 + length)) return "damaged data: a chunk's checksum does not match";
    if (std::memcmp(type, "IEND", 4) == 0) return nullptr;
    at += 12 + length;
  }
  return "damaged data: the file ends before its end chunk";
}

DecodeResult Failure(const png_image& image, const char* what) {
  return DecodeResult::Failed(std::string(what) + image.message);
}

}  // namespace

DecodeResult DecodePng(std::span<const std::uint8_t> file, const SizeCheck& size_allowed) {
  if (PngFrameCount(file) > 1) return DecodeResult::Failed(kAnimationFailure);
  if (const char* damage = ChunksWhole(file)) return DecodeResult::Failed(damage);
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, file.data(), file.size())) {
    return Failure(png.image, "not decodable: ");
  }
  if (png.image.warning_or_error & PNG_IMAGE_WARNING) return Failure(png.image, "damaged data: ");
  const int width = static_cast<int>(png.image.width);
  const int height = static_cast<int>(png.image.height);
  if (!size_allowed(png.image.width, png.image.height)) return DecodeResult::Failed(kTooLargeFailure);
  png.image.format = PNG_FORMAT_BGRA;
  std::vector<Pixel> stored;
  try {
    stored.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return DecodeResult::Failed(kOutOfMemoryFailure);
  }
  if (!png_image_finish_read(&png.image, nullptr, stored.data(), 0, nullptr)) {
    return Failure(png.image, "damaged data: ");
  }
  if (png.image.warning_or_error & PNG_IMAGE_WARNING) return Failure(png.image, "damaged data: ");
  // Bytes b, g, r, a as a little-endian word are 0xAARRGGBB.
  return CopyOpaqueOriented(stored.data(), width, height, width, PngExifOrientation(file),
                            [](Pixel word) { return word; });
}
