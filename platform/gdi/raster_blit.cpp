#include "platform/gdi/raster_blit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi/raster_loops.h"

namespace {

// A private copy of a source buffer that is also the destination, for blits whose pixels may overlap.
struct SourceCopy {
  std::vector<Pixel> pixels;
  PixelBuffer buffer;

  explicit SourceCopy(const PixelBuffer& src) {
    const std::size_t w = static_cast<std::size_t>(src.width);
    pixels.resize(w * static_cast<std::size_t>(src.height));
    for (int y = 0; y < src.height; ++y) std::copy_n(src.Row(y), src.width, pixels.data() + y * w);
    buffer = PixelBuffer{pixels.data(), src.width, src.height, src.width};
  }
};

}  // namespace

SourceConversion ConversionBetween(bool srcMono, bool dstMono, COLORREF srcBkColor, COLORREF dstTextColor,
                                   COLORREF dstBkColor) {
  SourceConversion c;
  if (!srcMono && dstMono) {
    c.kind = SourceConversion::Kind::ColorToMono;
    c.background = PixelFromColor(srcBkColor);
  } else if (srcMono && !dstMono) {
    c.kind = SourceConversion::Kind::MonoToColor;
    c.zero = PixelFromColor(dstTextColor);
    c.one = PixelFromColor(dstBkColor);
  }
  return c;
}

void ConvertRow(Pixel* row, int count, const SourceConversion& conversion) {
  switch (conversion.kind) {
    case SourceConversion::Kind::None: return;
    case SourceConversion::Kind::ColorToMono: ColorToMonoRow(row, count, conversion.background); return;
    case SourceConversion::Kind::MonoToColor: MonoToColorRow(row, count, conversion.zero, conversion.one); return;
  }
}

void BlitMapped(const DrawTarget& dst, const DrawTarget& src, const AxisMap& xs, const AxisMap& ys,
                const SourceConversion& conversion, Pixel pattern, DWORD rop) {
  if (xs.Empty() || ys.Empty()) return;
  const int n = xs.Count();
  if (!RopUsesSource(rop)) {
    for (int y = ys.begin; y < ys.end; ++y) Rop3Row(dst.pixels.Row(y) + xs.begin, nullptr, pattern, n, rop);
    return;
  }
  PixelBuffer source = src.pixels;
  const bool same = source.pixels == dst.pixels.pixels;
  const bool unit = xs.unit && ys.unit;
  std::optional<SourceCopy> copy;
  if (same && !unit) {
    copy.emplace(source);
    source = copy->buffer;
  }
  // A source in the same buffer: shifted copies read rows before they are overwritten.
  const bool aliased = same && unit;
  const bool bottomUp = aliased && ys.offset < 0;
  const bool plainCopy = RopCode(rop) == RopCode(SRCCOPY) && conversion.kind == SourceConversion::Kind::None;
  std::vector<Pixel> row(plainCopy ? 0 : static_cast<std::size_t>(n));
  int previousSrcY = -1;
  const Pixel* previousOut = nullptr;
  for (int k = 0; k < ys.Count(); ++k) {
    const int y = bottomUp ? ys.end - 1 - k : ys.begin + k;
    const int sy = ys.SourceOf(y);
    Pixel* out = dst.pixels.Row(y) + xs.begin;
    const Pixel* in = source.Row(sy);
    if (plainCopy) {
      if (xs.unit) {
        CopyRow(out, in + xs.begin + xs.offset, n);
      } else if (sy == previousSrcY) {
        CopyRow(out, previousOut, n);  // enlarging vertically repeats the row just written
      } else {
        GatherRow(out, in, xs.source.data(), n);
      }
      previousSrcY = sy;
      previousOut = out;
      continue;
    }
    if (xs.unit) {
      CopyRow(row.data(), in + xs.begin + xs.offset, n);
    } else {
      GatherRow(row.data(), in, xs.source.data(), n);
    }
    ConvertRow(row.data(), n, conversion);
    Rop3Row(out, row.data(), pattern, n, rop);
  }
}

void BlendMapped(const DrawTarget& dst, const DrawTarget& src, const AxisMap& xs, const AxisMap& ys,
                 const SourceConversion& conversion, std::uint32_t alpha) {
  if (xs.Empty() || ys.Empty() || alpha == 0) return;
  const int n = xs.Count();
  PixelBuffer source = src.pixels;
  const bool same = source.pixels == dst.pixels.pixels;
  std::optional<SourceCopy> copy;
  if (same) {
    copy.emplace(source);
    source = copy->buffer;
  }
  const bool direct = xs.unit && conversion.kind == SourceConversion::Kind::None && !dst.monochrome;
  std::vector<Pixel> row(direct ? 0 : static_cast<std::size_t>(n));
  for (int y = ys.begin; y < ys.end; ++y) {
    Pixel* out = dst.pixels.Row(y) + xs.begin;
    const Pixel* in = source.Row(ys.SourceOf(y));
    if (direct) {
      if (alpha == 255) {
        CopyRow(out, in + xs.begin + xs.offset, n);
      } else {
        BlendRow(out, in + xs.begin + xs.offset, n, alpha);
      }
      continue;
    }
    if (xs.unit) {
      CopyRow(row.data(), in + xs.begin + xs.offset, n);
    } else {
      GatherRow(row.data(), in, xs.source.data(), n);
    }
    ConvertRow(row.data(), n, conversion);
    BlendRow(out, row.data(), n, alpha);
    if (dst.monochrome) NearestMonoRow(out, n);  // a 1-bit target keeps only black and white
  }
}

void BlitTransformed(const DrawTarget& dst, const DrawTarget* src, const TransformedBlit& blit,
                     const SourceConversion& conversion, Pixel pattern, DWORD rop) {
  if (blit.width <= 0 || blit.height <= 0) return;
  if (src && (blit.srcWidth <= 0 || blit.srcHeight <= 0)) return;
  const Affine forward = SnapQuarterTurns(blit.logicalToDevice);
  const std::optional<Affine> inverse = Invert(forward);
  if (!inverse) return;

  // Device pixels to visit: the bounding box of the mapped rectangle, inside the buffer.
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  const double xs[2] = {static_cast<double>(blit.left), static_cast<double>(blit.left + blit.width)};
  const double ys[2] = {static_cast<double>(blit.top), static_cast<double>(blit.top + blit.height)};
  for (double x : xs) {
    for (double y : ys) {
      const DPoint p = Apply(forward, x, y);
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  }
  const int x0 = static_cast<int>(std::clamp(std::floor(minX), 0.0, static_cast<double>(dst.pixels.width)));
  const int x1 = static_cast<int>(std::clamp(std::ceil(maxX), 0.0, static_cast<double>(dst.pixels.width)));
  const int y0 = static_cast<int>(std::clamp(std::floor(minY), 0.0, static_cast<double>(dst.pixels.height)));
  const int y1 = static_cast<int>(std::clamp(std::ceil(maxY), 0.0, static_cast<double>(dst.pixels.height)));
  if (x0 >= x1 || y0 >= y1) return;

  PixelBuffer source = src ? src->pixels : PixelBuffer{};
  std::optional<SourceCopy> copy;
  if (src && source.pixels == dst.pixels.pixels) {
    copy.emplace(source);
    source = copy->buffer;
  }
  // Source pixels per logical unit: 1 for BitBlt, the stretch factor for StretchBlt.
  const double scaleX = src ? static_cast<double>(blit.srcWidth) / static_cast<double>(blit.width) : 1.0;
  const double scaleY = src ? static_cast<double>(blit.srcHeight) / static_cast<double>(blit.height) : 1.0;
  const double limitX = static_cast<double>(src ? blit.srcWidth : blit.width);
  const double limitY = static_cast<double>(src ? blit.srcHeight : blit.height);
  const double left = static_cast<double>(blit.left);
  const double top = static_cast<double>(blit.top);

  // Quarter turns and mirrors without scaling step by whole pixels: the floors then step exactly too.
  const bool wholeSteps = scaleX == 1 && scaleY == 1 && std::fabs(inverse->m11) <= 1 &&
                          std::fabs(inverse->m12) <= 1 && inverse->m11 == std::round(inverse->m11) &&
                          inverse->m12 == std::round(inverse->m12);
  std::vector<Pixel> run;
  run.reserve(static_cast<std::size_t>(x1 - x0));
  for (int py = y0; py < y1; ++py) {
    Pixel* out = dst.pixels.Row(py);
    int runStart = -1;
    auto flush = [&](int end) {
      if (runStart < 0) return;
      const int n = end - runStart;
      if (src) ConvertRow(run.data(), n, conversion);
      Rop3Row(out + runStart, src ? run.data() : nullptr, pattern, n, rop);
      runStart = -1;
      run.clear();
    };
    const DPoint rowStart = Apply(*inverse, x0 + 0.5, py + 0.5);
    const double u0 = FloorSnapped((rowStart.x - left) * scaleX);
    const double v0 = FloorSnapped((rowStart.y - top) * scaleY);
    for (int px = x0; px < x1; ++px) {
      const double i = px - x0;
      double fu = 0;
      double fv = 0;
      if (wholeSteps) {
        fu = u0 + i * inverse->m11;
        fv = v0 + i * inverse->m12;
      } else {
        fu = FloorSnapped((rowStart.x + i * inverse->m11 - left) * scaleX);
        fv = FloorSnapped((rowStart.y + i * inverse->m12 - top) * scaleY);
      }
      bool inside = fu >= 0 && fu < limitX && fv >= 0 && fv < limitY;
      Pixel value = 0;
      if (inside && src) {
        const auto ox = static_cast<std::int64_t>(fu);
        const auto oy = static_cast<std::int64_t>(fv);
        const std::int64_t sx = blit.srcLeft + (blit.mirrorX ? blit.srcWidth - 1 - ox : ox);
        const std::int64_t sy = blit.srcTop + (blit.mirrorY ? blit.srcHeight - 1 - oy : oy);
        inside = sx >= 0 && sy >= 0 && sx < source.width && sy < source.height;
        if (inside) value = source.Row(static_cast<int>(sy))[sx];
      }
      if (!inside) {
        flush(px);
        continue;
      }
      if (runStart < 0) runStart = px;
      run.push_back(value);
    }
    flush(x1);
  }
}
