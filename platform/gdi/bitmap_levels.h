// Half-size copies of a colour picture, each made from the one before by averaging 2 x 2
// pixels (a box filter), so that a picture shown well below its size is sampled from a copy
// near the shown size instead of aliasing into moire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/pixel_buffer.h"

struct BitmapLevel {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
  PixelBuffer Buffer() const { return {const_cast<Pixel*>(pixels.data()), width, height, width}; }
};

// The (w / 2) x (h / 2) copy of a w x h source: each pixel is the mean of the 2 x 2 source
// pixels it covers, per channel (sum + 2) / 4; an odd last column or row is left out. Rows
// are shared among `threads` threads (the caller's and threads - 1 more).
BitmapLevel HalfLevel(const PixelBuffer& source, int threads);

// Levels 1, 2, ... of `source`: level k is (w >> k) x (h >> k), made from level k - 1, down
// to the last that is at least one pixel each way. Empty for a source under 2 x 2.
std::vector<BitmapLevel> MakeLevels(const PixelBuffer& source, int threads);

// Bytes the levels take beside their picture.
std::size_t LevelBytes(const std::vector<BitmapLevel>& levels);

// A source rectangle as a blit takes it: origin and signed extent on each axis.
struct LevelRect {
  std::int64_t x = 0, y = 0, w = 0, h = 0;
};

// The rectangle of level `level` that covers what `rect` covers of a full_w x full_h picture:
// both ends scaled by (full >> level) / full and rounded down, so the whole picture maps onto
// the whole level.
LevelRect RectOnLevel(const LevelRect& rect, int full_w, int full_h, int level);

// The level to sample when `rect` of a full_w x full_h picture is drawn dw x dh: 0 unless it
// is shown at less than three quarters of its size both ways; then the smallest of levels
// 1 .. `levels` whose rectangle is still at least dw x dh, or 0 when none is.
int LevelFor(const LevelRect& rect, int full_w, int full_h, std::int64_t dw, std::int64_t dh, int levels);
