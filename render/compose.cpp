#include "render/compose.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/raster_loops.h"
#include "platform/gdi/stretch_map.h"

namespace {

struct MappedDraw {
  const LayerDraw* draw;
  AxisMap x;
  AxisMap y;
};

// Gathers the mapped pixels of one source row into `dst`, blended at `alpha` over black.
void ScaledGather(Pixel* dst, const Pixel* src_row, const AxisMap& x, std::uint32_t alpha) {
  int count = x.Count();
  if (alpha == 255) {
    if (x.unit) {
      CopyRow(dst, src_row + x.begin + x.offset, count);
    } else {
      GatherRow(dst, src_row, x.source.data(), count);
    }
    return;
  }
  if (x.unit) {
    const Pixel* src = src_row + x.begin + x.offset;
    for (int i = 0; i < count; ++i) dst[i] = ScaleOverBlack(src[i], alpha);
  } else {
    const int* index = x.source.data();
    for (int i = 0; i < count; ++i) dst[i] = ScaleOverBlack(src_row[index[i]], alpha);
  }
}

}  // namespace

// Two channels at once: each 16-bit field holds c * alpha + 127 <= 65152, and
// (v + (v >> 8) + 1) >> 8 equals v / 255 for every v below 65535.
std::uint32_t ScaleOverBlack(std::uint32_t pixel, std::uint32_t alpha) {
  std::uint32_t rb = (pixel & 0x00FF00FFu) * alpha + 0x007F007Fu;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00010001u) >> 8) & 0x00FF00FFu;
  std::uint32_t g = ((pixel >> 8) & 0xFFu) * alpha + 0x7Fu;
  g = ((g + (g >> 8) + 1) >> 8) & 0xFFu;
  return rb | (g << 8);
}

void ComposePictureLayer(const PixelBuffer& out, std::span<const LayerDraw> draws, int alpha) {
  std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255));
  std::vector<MappedDraw> mapped;
  mapped.reserve(draws.size());
  for (const LayerDraw& draw : draws) {
    if (!draw.source.pixels || draw.source.width <= 0 || draw.source.height <= 0) continue;
    MappedDraw m{&draw,
                 MapAxis({draw.dx, draw.dw}, out.width, {draw.sx, draw.sw}, draw.source.width, StretchAxis::Horizontal),
                 MapAxis({draw.dy, draw.dh}, out.height, {draw.sy, draw.sh}, draw.source.height, StretchAxis::Vertical)};
    if (!m.x.Empty() && !m.y.Empty()) mapped.push_back(std::move(m));
  }

  struct Span {
    int begin, end;
  };
  std::vector<Span> covered;
  for (int y = 0; y < out.height; ++y) {
    Pixel* row = out.Row(y);
    covered.clear();
    for (const MappedDraw& m : mapped) {
      if (y >= m.y.begin && y < m.y.end) covered.push_back({m.x.begin, m.x.end});
    }
    // Black where no draw reaches; the draws then write their spans in order.
    std::sort(covered.begin(), covered.end(), [](Span l, Span r) { return l.begin < r.begin; });
    int filled_to = 0;
    for (Span s : covered) {
      if (s.begin > filled_to) FillRow(row + filled_to, s.begin - filled_to, 0);
      filled_to = std::max(filled_to, s.end);
    }
    if (filled_to < out.width) FillRow(row + filled_to, out.width - filled_to, 0);
    for (const MappedDraw& m : mapped) {
      if (y < m.y.begin || y >= m.y.end) continue;
      const Pixel* src_row = m.draw->source.Row(m.y.SourceOf(y));
      ScaledGather(row + m.x.begin, src_row, m.x, a);
    }
  }
}
