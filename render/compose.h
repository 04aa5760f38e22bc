// The picture layer of a frame in one pass: the pictures stretched (nearest neighbour, as
// StretchBlt in COLORONCOLOR mode) onto a black screen-sized layer and that layer blended at a
// constant alpha over black, written row by row straight into the output without the
// intermediate layers.
#pragma once

#include <cstdint>
#include <span>

#include "platform/gdi/gdi.h"
#include "platform/gdi/pixel_buffer.h"

// One StretchBlt of the layer: the source rectangle (sx, sy, sw, sh) of `source` onto the
// destination rectangle (dx, dy, dw, dh).
struct LayerDraw {
  PixelBuffer source;
  int dx = 0, dy = 0, dw = 0, dh = 0;
  int sx = 0, sy = 0, sw = 0, sh = 0;
};

// The draw of the source rectangle (sx, sy, sw, sh) of `bitmap` onto (dx, dy, dw, dh). Shown
// below three quarters of its size, the bitmap is sampled from the pre-filtered copy picked by
// LevelFor (when it has copies); otherwise from its own pixels, exactly as StretchBlt would.
LayerDraw PictureDraw(HBITMAP bitmap, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);

// A pixel blended at `alpha` over black: each channel (c * alpha + 127) / 255.
std::uint32_t ScaleOverBlack(std::uint32_t pixel, std::uint32_t alpha);

// Writes every pixel of `out`: black where no draw reaches, the later draw where two overlap,
// all blended at `alpha` (0..255) over black.
void ComposePictureLayer(const PixelBuffer& out, std::span<const LayerDraw> draws, int alpha);
