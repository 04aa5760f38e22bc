#include "platform/gdi/bitmap_levels.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Each channel of the four pixels summed in its own 16-bit field, rounded and divided by 4.
inline Pixel Mean4(Pixel a, Pixel b, Pixel c, Pixel d) {
  std::uint32_t rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu) + (c & 0x00FF00FFu) + (d & 0x00FF00FFu) + 0x00020002u;
  std::uint32_t g = (a & 0x0000FF00u) + (b & 0x0000FF00u) + (c & 0x0000FF00u) + (d & 0x0000FF00u) + 0x00000200u;
  return ((rb >> 2) & 0x00FF00FFu) | ((g >> 2) & 0x0000FF00u);
}

void HalfRows(const PixelBuffer& source, BitmapLevel& out, int first, int last) {
  for (int y = first; y < last; ++y) {
    const Pixel* top = source.Row(2 * y);
    const Pixel* bottom = source.Row(2 * y + 1);
    Pixel* row = out.pixels.data() + static_cast<std::ptrdiff_t>(y) * out.width;
    int x = 0;
#if defined(__SSE2__)
    // Four output pixels from eight source pixels of each row, every channel in a 16-bit lane;
    // the unused top byte comes out zero as in Mean4.
    const __m128i zero = _mm_setzero_si128();
    const __m128i two = _mm_set1_epi16(2);
    auto pairs = [&](const Pixel* t, const Pixel* b) {
      const __m128i top4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
      const __m128i bottom4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
      const __m128i left = _mm_add_epi16(_mm_unpacklo_epi8(top4, zero), _mm_unpacklo_epi8(bottom4, zero));
      const __m128i right = _mm_add_epi16(_mm_unpackhi_epi8(top4, zero), _mm_unpackhi_epi8(bottom4, zero));
      const __m128i sums = _mm_add_epi16(_mm_unpacklo_epi64(left, right), _mm_unpackhi_epi64(left, right));
      return _mm_srli_epi16(_mm_add_epi16(sums, two), 2);
    };
    for (; x + 4 <= out.width; x += 4) {
      const __m128i low = pairs(top + 2 * x, bottom + 2 * x);
      const __m128i high = pairs(top + 2 * x + 4, bottom + 2 * x + 4);
      const __m128i colour = _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0x00FFFFFF));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), colour);
    }
#endif
    for (; x < out.width; ++x) {
      row[x] = Mean4(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
    }
  }
}

// Below this many output pixels a second thread costs more than it saves.
constexpr std::int64_t kPixelsPerThread = std::int64_t{1} << 17;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// [origin, origin + extent) of a full-length axis on a level of length `part`, ends rounded down.
void ScaleSpan(std::int64_t& origin, std::int64_t& extent, int full, int part) {
  const std::int64_t begin = FloorDiv(origin * part, full);
  const std::int64_t end = FloorDiv((origin + extent) * part, full);
  origin = begin;
  extent = end - begin;
}

}  // namespace

BitmapLevel HalfLevel(const PixelBuffer& source, int threads) {
  BitmapLevel out;
  out.width = source.width / 2;
  out.height = source.height / 2;
  if (out.width <= 0 || out.height <= 0) return BitmapLevel{};
  out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
  const std::int64_t pixels = std::int64_t{out.width} * out.height;
  const int parts = static_cast<int>(std::clamp<std::int64_t>(pixels / kPixelsPerThread, 1, std::max(threads, 1)));
  std::vector<std::thread> helpers;
  for (int i = 1; i < parts; ++i) {
    helpers.emplace_back(HalfRows, std::cref(source), std::ref(out), out.height * i / parts,
                         out.height * (i + 1) / parts);
  }
  HalfRows(source, out, 0, out.height / parts);
  for (std::thread& t : helpers) t.join();
  return out;
}

std::vector<BitmapLevel> MakeLevels(const PixelBuffer& source, int threads) {
  std::vector<BitmapLevel> levels;
  PixelBuffer from = source;
  while (from.width >= 2 && from.height >= 2) {
    levels.push_back(HalfLevel(from, threads));
    from = levels.back().Buffer();
  }
  return levels;
}

std::size_t LevelBytes(const std::vector<BitmapLevel>& levels) {
  std::size_t bytes = 0;
  for (const BitmapLevel& level : levels) bytes += level.pixels.size() * sizeof(Pixel);
  return bytes;
}

LevelRect RectOnLevel(const LevelRect& rect, int full_w, int full_h, int level) {
  LevelRect out = rect;
  if (level <= 0 || full_w <= 0 || full_h <= 0 || level >= 31) return out;
  ScaleSpan(out.x, out.w, full_w, full_w >> level);
  ScaleSpan(out.y, out.h, full_h, full_h >> level);
  return out;
}

int LevelFor(const LevelRect& rect, int full_w, int full_h, std::int64_t dw, std::int64_t dh, int levels) {
  const std::int64_t sw = std::llabs(rect.w), sh = std::llabs(rect.h);
  dw = std::llabs(dw);
  dh = std::llabs(dh);
  // dw / sw < 3 / 4 on both axes.
  if (dw * 4 >= sw * 3 || dh * 4 >= sh * 3) return 0;
  int chosen = 0;
  for (int level = 1; level <= std::min(levels, 30); ++level) {
    const LevelRect on = RectOnLevel(rect, full_w, full_h, level);
    if (std::llabs(on.w) < dw || std::llabs(on.h) < dh) break;
    chosen = level;
  }
  return chosen;
}
