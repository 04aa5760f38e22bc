// A view of 32-bit pixels with an explicit stride: the raster layer's canvas.
#pragma once

#include <cstdint>

#include "platform/types.h"

// One pixel in memory order blue, green, red, unused: as a 32-bit value 0x00RRGGBB.
using Pixel = std::uint32_t;

constexpr Pixel PixelFromColor(COLORREF c) {
  return (static_cast<Pixel>(GetRValue(c)) << 16) | (static_cast<Pixel>(GetGValue(c)) << 8) |
         static_cast<Pixel>(GetBValue(c));
}
constexpr COLORREF ColorFromPixel(Pixel p) {
  return RGB(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
             static_cast<int>(p & 0xFF));
}

struct PixelBuffer {
  Pixel* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next

  Pixel* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};
