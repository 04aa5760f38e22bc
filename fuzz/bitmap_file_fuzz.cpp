// libFuzzer target: arbitrary bytes as a .bmp file. A decoded picture must be self-consistent:
// positive dimensions within the caps, exactly width * height pixels, the unused top byte of
// every pixel zero, and no more pixels than the file has bits (pixel data is never invented).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

#include "platform/gdi/bitmap_file.h"

namespace {

[[noreturn]] void Fail(const char* what, int width, int height, std::size_t pixels, std::size_t size) {
  std::fprintf(stderr, "bitmap_file_fuzz: %s (width %d, height %d, pixels %zu, file %zu bytes)\n", what, width,
               height, pixels, size);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<DecodedPicture> picture = DecodeBitmapFile(std::span<const std::uint8_t>(data, size));
  if (!picture) return 0;
  const int w = picture->width;
  const int h = picture->height;
  const std::size_t n = picture->pixels.size();
  if (w <= 0 || h <= 0) Fail("dimension not positive", w, h, n, size);
  if (w > kMaxBitmapDimension || h > kMaxBitmapDimension) Fail("dimension over the cap", w, h, n, size);
  const std::int64_t count = std::int64_t{w} * h;
  if (count > kMaxBitmapPixels) Fail("pixel count over the cap", w, h, n, size);
  if (static_cast<std::int64_t>(n) != count) Fail("pixels size is not width * height", w, h, n, size);
  // Every pixel needs at least one bit of the file.
  if (count > static_cast<std::int64_t>(size) * 8) Fail("more pixels than the file has bits", w, h, n, size);
  for (Pixel p : picture->pixels) {
    if ((p & 0xFF000000u) != 0) Fail("pixel with a non-zero top byte", w, h, n, size);
  }
  return 0;
}
