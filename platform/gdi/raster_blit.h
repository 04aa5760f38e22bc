// Blits between pixel buffers once the geometry is known: mapped (axis by axis) or through an affine map.
#pragma once

#include "platform/gdi/draw_target.h"
#include "platform/gdi/stretch_map.h"
#include "platform/gdi/world_transform.h"

// How source pixels become destination pixels before the raster operation.
struct SourceConversion {
  enum class Kind { None, ColorToMono, MonoToColor };
  Kind kind = Kind::None;
  Pixel background = 0;  // ColorToMono: source pixels equal to it become 1
  Pixel zero = 0;        // MonoToColor: what 0 bits become
  Pixel one = 0;         // MonoToColor: what 1 bits become
};

// Colour to 1-bit compares with the source DC's background colour; 1-bit to colour gives 0 bits the
// destination DC's text colour and 1 bits its background colour.
SourceConversion ConversionBetween(bool srcMono, bool dstMono, COLORREF srcBkColor, COLORREF dstTextColor,
                                   COLORREF dstBkColor);

void ConvertRow(Pixel* row, int count, const SourceConversion& conversion);

// dst = rop(pattern, source, dst) over the pixels the two axis maps list. `src` is ignored when the rop
// reads no source; it may be the destination itself.
void BlitMapped(const DrawTarget& dst, const DrawTarget& src, const AxisMap& xs, const AxisMap& ys,
                const SourceConversion& conversion, Pixel pattern, DWORD rop);

// dst = source blended over dst with constant alpha, over the pixels the maps list.
void BlendMapped(const DrawTarget& dst, const DrawTarget& src, const AxisMap& xs, const AxisMap& ys,
                 const SourceConversion& conversion, std::uint32_t alpha);

// A blit whose destination rectangle is drawn through an affine map (rotation, shear, scale).
struct TransformedBlit {
  Affine logicalToDevice;  // destination logical coordinates to device pixels
  std::int64_t left = 0;     // destination rectangle in logical coordinates, width and height > 0
  std::int64_t top = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t srcLeft = 0;  // source rectangle in source device pixels, width and height > 0
  std::int64_t srcTop = 0;
  std::int64_t srcWidth = 0;
  std::int64_t srcHeight = 0;
  bool mirrorX = false;
  bool mirrorY = false;
};

// Each device pixel whose centre maps back (through the inverse map) into the destination rectangle takes
// the source pixel at floor() of the corresponding source position, when that lies in the source buffer.
// With `src` null only the pattern and destination are combined.
void BlitTransformed(const DrawTarget& dst, const DrawTarget* src, const TransformedBlit& blit,
                     const SourceConversion& conversion, Pixel pattern, DWORD rop);
