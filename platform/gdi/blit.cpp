// BitBlt, StretchBlt, PatBlt and AlphaBlend: DC state and geometry, handed to the raster loops.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/blit.h"
#include "platform/gdi/draw_target.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/raster_blit.h"
#include "platform/gdi/raster_loops.h"
#include "platform/window/client_surface.h"

namespace {

SIZE SourceSize(HDC src) {
  if (src->surface) return SIZE{src->surface->Width(), src->surface->Height()};
  return src->bitmap ? SIZE{src->bitmap->width, src->bitmap->height} : SIZE{};
}

// A source origin in the source DC's device pixels.
POINT SourceOrigin(HDC src, int x, int y) {
  POINT p{x, y};
  LPtoDP(src, &p, 1);
  return p;
}

// Destination extents are 64-bit so that fills of rectangles wider than the int range stay exact.
BOOL Blit(HDC dst, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, HDC src, int srcX,
          int srcY, std::int64_t srcWidth, std::int64_t srcHeight, DWORD rop, HBRUSH brush) {
  if (!dst || !brush) return FALSE;
  const bool usesSource = RopUsesSource(rop);
  if (usesSource && !src) return FALSE;
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;
  // A hollow brush paints nothing, also as a blit's pattern.
  if (RopUsesPattern(rop) && brush->hollow) return TRUE;
  const POINT origin = usesSource ? SourceOrigin(src, srcX, srcY) : POINT{};
  const Affine map = dst->LogicalToDevice();
  const std::optional<IntOffset> shift = IntegerTranslation(map);
  const BlitSource source(usesSource ? src : nullptr, dst);
  return DrawOnDc(dst, [&](const DrawTarget& target) {
    const Pixel pattern = TargetPixel(brush->color, target.monochrome);
    const DrawTarget from = source.Resolve(target);
    const SourceConversion conversion =
        usesSource ? ConversionBetween(from.monochrome, target.monochrome, src->bkColor, dst->textColor,
                                       dst->bkColor)
                   : SourceConversion{};
    if (shift) {
      const AxisSpan dx{x + shift->x, width};
      const AxisSpan dy{y + shift->y, height};
      if (!usesSource) {
        BlitMapped(target, from, ClipAxis(dx, target.pixels.width), ClipAxis(dy, target.pixels.height),
                   conversion, pattern, rop);
        return;
      }
      // HALFTONE shrinks a bitmap that has pre-filtered copies from the copy near the shown size.
      LevelSource sampled{from.pixels, {origin.x, origin.y, srcWidth, srcHeight}, 0};
      if (dst->stretchMode == HALFTONE && !src->surface && src->bitmap) {
        sampled = LevelSourceFor(src->bitmap, sampled.rect, width, height);
        if (sampled.level == 0) sampled.pixels = from.pixels;
      }
      const DrawTarget read{sampled.pixels, from.monochrome};
      const LevelRect& r = sampled.rect;
      const AxisMap xs = MapAxis(dx, target.pixels.width, {r.x, r.w}, read.pixels.width, StretchAxis::Horizontal);
      const AxisMap ys = MapAxis(dy, target.pixels.height, {r.y, r.h}, read.pixels.height, StretchAxis::Vertical);
      BlitMapped(target, read, xs, ys, conversion, pattern, rop);
      return;
    }
    // Rotated, sheared or scaled: every device pixel looks its source up through the inverse map.
    TransformedBlit blit;
    blit.logicalToDevice = map;
    blit.left = width < 0 ? x + width : x;
    blit.top = height < 0 ? y + height : y;
    blit.width = std::llabs(width);
    blit.height = std::llabs(height);
    blit.srcLeft = srcWidth < 0 ? origin.x + srcWidth : origin.x;
    blit.srcTop = srcHeight < 0 ? origin.y + srcHeight : origin.y;
    blit.srcWidth = std::llabs(srcWidth);
    blit.srcHeight = std::llabs(srcHeight);
    blit.mirrorX = (width < 0) != (srcWidth < 0);
    blit.mirrorY = (height < 0) != (srcHeight < 0);
    BlitTransformed(target, usesSource ? &from : nullptr, blit, conversion, pattern, rop);
  }) ? TRUE : FALSE;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  return Blit(dst, x, y, width, height, src, srcX, srcY, width, height, rop, dst ? dst->brush : nullptr);
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
  return Blit(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop, dst ? dst->brush : nullptr);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
  return PatBltWithBrush(dc, x, y, width, height, dc ? dc->brush : nullptr, rop);
}

BOOL PatBltWithBrush(HDC dc, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, HBRUSH brush,
                     DWORD rop) {
  if (RopUsesSource(rop)) return FALSE;
  return Blit(dc, x, y, width, height, nullptr, 0, 0, width, height, rop, brush);
}

BOOL AlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, BLENDFUNCTION blend) {
  if (!dst || !src) return FALSE;
  // Per-source-pixel alpha is refused: our pixels carry no alpha.
  if (blend.BlendOp != AC_SRC_OVER || (blend.AlphaFormat & AC_SRC_ALPHA) != 0) return FALSE;
  if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) return FALSE;
  // The source rectangle must lie wholly inside the source surface, or nothing is drawn.
  const POINT origin = SourceOrigin(src, srcX, srcY);
  const SIZE size = SourceSize(src);
  if (origin.x < 0 || origin.y < 0 || std::int64_t{origin.x} + srcWidth > size.cx ||
      std::int64_t{origin.y} + srcHeight > size.cy) {
    return FALSE;
  }
  if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;
  // Destination corners through the DC's mapping; a rotation blends the mapped rectangle's bounds.
  POINT corners[2] = {{x, y}, {static_cast<LONG>(std::min<std::int64_t>(std::int64_t{x} + width, INT32_MAX)),
                               static_cast<LONG>(std::min<std::int64_t>(std::int64_t{y} + height, INT32_MAX))}};
  LPtoDP(dst, corners, 2);
  const std::int64_t left = std::min(corners[0].x, corners[1].x);
  const std::int64_t top = std::min(corners[0].y, corners[1].y);
  const std::int64_t w = std::abs(std::int64_t{corners[1].x} - corners[0].x);
  const std::int64_t h = std::abs(std::int64_t{corners[1].y} - corners[0].y);
  const BlitSource source(src, dst);
  return DrawOnDc(dst, [&](const DrawTarget& target) {
    const DrawTarget from = source.Resolve(target);
    const SourceConversion conversion =
        ConversionBetween(from.monochrome, target.monochrome, src->bkColor, dst->textColor, dst->bkColor);
    const AxisMap xs =
        MapAxis({left, w}, target.pixels.width, {origin.x, srcWidth}, from.pixels.width, StretchAxis::Horizontal);
    const AxisMap ys =
        MapAxis({top, h}, target.pixels.height, {origin.y, srcHeight}, from.pixels.height, StretchAxis::Vertical);
    BlendMapped(target, from, xs, ys, conversion, blend.SourceConstantAlpha);
  }) ? TRUE : FALSE;
}
