// The last step every decoder but the JPEG one shares: stored pixels, as decoded, made into the
// upright picture, refusing any pixel that is not fully opaque (a bitmap has no alpha).
#pragma once

#include <cstddef>
#include <new>

#include "platform/image/decode_result.h"
#include "platform/image/picture_orientation.h"

// `stored`: `height` rows of `width` words, `stride` words apart. `to_argb(word)` gives a stored
// word as 0xAARRGGBB. The result is turned by EXIF `orientation` (1 to 8) and its pixels are
// 0x00RRGGBB; a failure when any pixel's alpha is below 255 or memory runs out.
template <typename ToArgb>
DecodeResult CopyOpaqueOriented(const Pixel* stored, int width, int height, std::ptrdiff_t stride, int orientation,
                                ToArgb to_argb) {
  const OrientedSize size = DisplayedSize(orientation, width, height);
  DecodedPicture picture{size.width, size.height, {}};
  try {
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return DecodeResult::Failed(kOutOfMemoryFailure);
  }
  Pixel alpha = 0xFF000000u;
  for (int y = 0; y < height; ++y) {
    const Pixel* row = stored + y * stride;
    const OrientedRow place = OrientedRowPlacement(orientation, width, height, y);
    Pixel* dst = picture.pixels.data() + place.start;
    for (int x = 0; x < width; ++x, dst += place.step) {
      const Pixel argb = to_argb(row[x]);
      alpha &= argb;
      *dst = argb & 0x00FFFFFFu;
    }
    if (alpha != 0xFF000000u) return DecodeResult::Failed(kNotOpaqueFailure);
  }
  return DecodeResult::Decoded(std::move(picture));
}
