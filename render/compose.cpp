#include "render/compose.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi/raster_loops.h"
#include "platform/gdi/stretch_map.h"

namespace {

struct MappedDraw {
  const LayerDraw* draw;
  AxisMap x;
  AxisMap y;
};

#if defined(__SSE2__)
// Four pixels blended at the alpha in every 16-bit lane of `alpha16`, with the same arithmetic
// as ScaleOverBlack: each channel c * alpha + 127 in a 16-bit lane, then (v + (v >> 8) + 1) >> 8.
// The top byte is cleared first so that it comes out zero.
inline __m128i ScaleFour(__m128i p, __m128i alpha16) {
  const __m128i zero = _mm_setzero_si128();
  p = _mm_and_si128(p, _mm_set1_epi32(0x00FFFFFF));
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), alpha16), _mm_set1_epi16(127));
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), alpha16), _mm_set1_epi16(127));
  lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), _mm_set1_epi16(1)), 8);
  hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), _mm_set1_epi16(1)), 8);
  return _mm_packus_epi16(lo, hi);
}
#endif

// dst[i] = ScaleOverBlack(src[i], alpha).
void ScaleRow(Pixel* dst, const Pixel* src, int count, std::uint32_t alpha) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i alpha16 = _mm_set1_epi16(static_cast<short>(alpha));
  for (; i + 4 <= count; i += 4) {
    __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), ScaleFour(p, alpha16));
  }
#endif
  for (; i < count; ++i) dst[i] = ScaleOverBlack(src[i], alpha);
}

// dst[i] = ScaleOverBlack(src_row[index[i]], alpha).
void ScaleGatherRow(Pixel* dst, const Pixel* src_row, const int* index, int count, std::uint32_t alpha) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i alpha16 = _mm_set1_epi16(static_cast<short>(alpha));
  for (; i + 4 <= count; i += 4) {
    __m128i p = _mm_setr_epi32(static_cast<int>(src_row[index[i]]), static_cast<int>(src_row[index[i + 1]]),
                               static_cast<int>(src_row[index[i + 2]]), static_cast<int>(src_row[index[i + 3]]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), ScaleFour(p, alpha16));
  }
#endif
  for (; i < count; ++i) dst[i] = ScaleOverBlack(src_row[index[i]], alpha);
}

// Outputs larger than this are written with non-temporal stores: they do not fit the caches,
// so streaming spares the reads of the lines about to be overwritten.
constexpr std::int64_t kStreamBytes = std::int64_t{4} << 20;

bool StreamsOutput(const PixelBuffer& out) {
#if defined(__SSE2__)
  return std::int64_t{out.width} * out.height * static_cast<std::int64_t>(sizeof(Pixel)) >= kStreamBytes;
#else
  return false;
#endif
}

// Copies a built row to the output, streaming it past the caches when `stream` is set.
void WriteRow(Pixel* dst, const Pixel* src, int count, bool stream) {
#if defined(__SSE2__)
  if (stream) {
    int i = 0;
    for (; i < count && (reinterpret_cast<std::uintptr_t>(dst + i) & 15) != 0; ++i) {
      _mm_stream_si32(reinterpret_cast<int*>(dst + i), static_cast<int>(src[i]));
    }
    for (; i + 4 <= count; i += 4) {
      _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
    }
    for (; i < count; ++i) _mm_stream_si32(reinterpret_cast<int*>(dst + i), static_cast<int>(src[i]));
    return;
  }
#endif
  CopyRow(dst, src, count);
}

// Orders the streamed stores before whatever reads the output next, on any thread.
void FinishWrites(bool stream) {
#if defined(__SSE2__)
  if (stream) _mm_sfence();
#endif
}

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
    ScaleRow(dst, src_row + x.begin + x.offset, count, alpha);
  } else {
    ScaleGatherRow(dst, src_row, x.source.data(), count, alpha);
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

LayerDraw PictureDraw(HBITMAP bitmap, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
  const LevelSource sampled = LevelSourceFor(bitmap, {sx, sy, sw, sh}, dw, dh);
  const LevelRect& r = sampled.rect;
  return {sampled.pixels, dx, dy, dw, dh, static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.w),
          static_cast<int>(r.h)};
}

void ComposePictureLayer(const PixelBuffer& out, std::span<const LayerDraw> draws, int alpha) {
  std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255));
  if (out.width <= 0 || out.height <= 0) return;
  std::vector<MappedDraw> mapped;
  mapped.reserve(draws.size());
  for (const LayerDraw& draw : draws) {
    if (!draw.source.pixels || draw.source.width <= 0 || draw.source.height <= 0) continue;
    MappedDraw m{&draw,
                 MapAxis({draw.dx, draw.dw}, out.width, {draw.sx, draw.sw}, draw.source.width, StretchAxis::Horizontal),
                 MapAxis({draw.dy, draw.dh}, out.height, {draw.sy, draw.sh}, draw.source.height, StretchAxis::Vertical)};
    if (!m.x.Empty() && !m.y.Empty()) mapped.push_back(std::move(m));
  }

  // Each row is built once in a scratch row that stays in the first-level cache and then
  // written out; a row reading the same source rows as the one above (vertical enlargement)
  // is the same row and is only written again.
  thread_local std::vector<Pixel> scratch;
  scratch.resize(static_cast<std::size_t>(out.width));
  Pixel* built = scratch.data();
  const bool stream = StreamsOutput(out);
  std::vector<const Pixel*> sources(mapped.size()), built_from(mapped.size());
  bool have_built = false;

  struct Span {
    int begin, end;
  };
  std::vector<Span> covered;
  for (int y = 0; y < out.height; ++y) {
    for (std::size_t i = 0; i < mapped.size(); ++i) {
      const MappedDraw& m = mapped[i];
      sources[i] = y >= m.y.begin && y < m.y.end ? m.draw->source.Row(m.y.SourceOf(y)) : nullptr;
    }
    if (!have_built || sources != built_from) {
      covered.clear();
      for (const MappedDraw& m : mapped) {
        if (y >= m.y.begin && y < m.y.end) covered.push_back({m.x.begin, m.x.end});
      }
      // Black where no draw reaches; the draws then write their spans in order.
      std::sort(covered.begin(), covered.end(), [](Span l, Span r) { return l.begin < r.begin; });
      int filled_to = 0;
      for (Span s : covered) {
        if (s.begin > filled_to) FillRow(built + filled_to, s.begin - filled_to, 0);
        filled_to = std::max(filled_to, s.end);
      }
      if (filled_to < out.width) FillRow(built + filled_to, out.width - filled_to, 0);
      for (std::size_t i = 0; i < mapped.size(); ++i) {
        if (sources[i]) ScaledGather(built + mapped[i].x.begin, sources[i], mapped[i].x, a);
      }
      built_from = sources;
      have_built = true;
    }
    WriteRow(out.Row(y), built, out.width, stream);
  }
  FinishWrites(stream);
}
