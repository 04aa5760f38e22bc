// Row loops over 32-bit pixels: copies, fills, format conversions, raster operations and blends.
// Callers clip first; every loop touches exactly `count` pixels of each row it is given.
#pragma once

#include <cstdint>

#include "platform/gdi/pixel_buffer.h"
#include "platform/types.h"

constexpr Pixel kPixelMask = 0x00FFFFFF;  // the unused top byte stays zero
constexpr Pixel kMonoOne = 0x00FFFFFF;    // a set bit of a monochrome bitmap: one white pixel

// x / 255 for 0 <= x <= 65535, by a multiply and a shift.
constexpr std::uint32_t Div255(std::uint32_t x) { return (x * 0x8081u) >> 23; }

// One channel of a constant-alpha blend: (src * a + dst * (255 - a) + 127) / 255.
constexpr std::uint32_t BlendChannel(std::uint32_t src, std::uint32_t dst, std::uint32_t alpha) {
  return Div255(src * alpha + dst * (255 - alpha) + 127);
}

constexpr Pixel BlendPixel(Pixel src, Pixel dst, std::uint32_t alpha) {
  return (BlendChannel((src >> 16) & 0xFF, (dst >> 16) & 0xFF, alpha) << 16) |
         (BlendChannel((src >> 8) & 0xFF, (dst >> 8) & 0xFF, alpha) << 8) |
         BlendChannel(src & 0xFF, dst & 0xFF, alpha);
}

// The nearer of black and white (ties cannot happen: the channel sum decides at 382.5).
constexpr Pixel NearestMono(Pixel p) {
  return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) >= 383 ? kMonoOne : 0;
}

void CopyRow(Pixel* dst, const Pixel* src, int count);  // overlapping rows allowed
void FillRow(Pixel* dst, int count, Pixel value);
void GatherRow(Pixel* dst, const Pixel* srcRow, const int* indices, int count);  // dst[i] = srcRow[indices[i]]

// Colour to 1-bit: pixels equal to `background` become 1, all others 0.
void ColorToMonoRow(Pixel* row, int count, Pixel background);
// 1-bit to colour: 0 bits become `zero`, 1 bits `one`.
void MonoToColorRow(Pixel* row, int count, Pixel zero, Pixel one);
void NearestMonoRow(Pixel* row, int count);

// Ternary raster operation codes (the middle byte of a rop).
constexpr std::uint8_t RopCode(DWORD rop) { return static_cast<std::uint8_t>((rop >> 16) & 0xFF); }
constexpr bool RopUsesSource(DWORD rop) { return (((RopCode(rop) >> 2) ^ RopCode(rop)) & 0x33) != 0; }
constexpr bool RopUsesPattern(DWORD rop) { return (((RopCode(rop) >> 4) ^ RopCode(rop)) & 0x0F) != 0; }
Pixel Rop3Pixel(std::uint8_t code, Pixel pattern, Pixel source, Pixel dest);
// dst[i] = rop(pattern, src[i], dst[i]); `src` may be null when the rop reads no source.
void Rop3Row(Pixel* dst, const Pixel* src, Pixel pattern, int count, DWORD rop);

// dst[i] = blend of src[i] over dst[i] with constant alpha.
void BlendRow(Pixel* dst, const Pixel* src, int count, std::uint32_t alpha);
// dst[i] = blend of `color` over dst[i] with alpha coverage[i].
void CoverageRow(Pixel* dst, const std::uint8_t* coverage, int count, Pixel color);
