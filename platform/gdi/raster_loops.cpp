#include "platform/gdi/raster_loops.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void CopyRow(Pixel* dst, const Pixel* src, int count) {
  if (count > 0) std::memmove(dst, src, static_cast<std::size_t>(count) * sizeof(Pixel));
}

void FillRow(Pixel* dst, int count, Pixel value) {
  if (count > 0) std::fill_n(dst, count, value);
}

void GatherRow(Pixel* dst, const Pixel* srcRow, const int* indices, int count) {
  for (int i = 0; i < count; ++i) dst[i] = srcRow[indices[i]];
}

void ColorToMonoRow(Pixel* row, int count, Pixel background) {
  for (int i = 0; i < count; ++i) row[i] = (row[i] & kPixelMask) == background ? kMonoOne : 0;
}

void MonoToColorRow(Pixel* row, int count, Pixel zero, Pixel one) {
  for (int i = 0; i < count; ++i) row[i] = row[i] != 0 ? one : zero;
}

void NearestMonoRow(Pixel* row, int count) {
  for (int i = 0; i < count; ++i) row[i] = NearestMono(row[i]);
}

Pixel Rop3Pixel(std::uint8_t code, Pixel pattern, Pixel source, Pixel dest) {
  // Bit (P << 2 | S << 1 | D) of the code gives the result for those input bits.
  Pixel result = 0;
  for (int i = 0; i < 8; ++i) {
    if (((code >> i) & 1) == 0) continue;
    const Pixel p = (i & 4) ? pattern : ~pattern;
    const Pixel s = (i & 2) ? source : ~source;
    const Pixel d = (i & 1) ? dest : ~dest;
    result |= p & s & d;
  }
  return result & kPixelMask;
}

void Rop3Row(Pixel* dst, const Pixel* src, Pixel pattern, int count, DWORD rop) {
  const std::uint8_t code = RopCode(rop);
  switch (code) {
    case 0xCC:  // SRCCOPY
      CopyRow(dst, src, count);
      return;
    case 0x88:  // SRCAND
      for (int i = 0; i < count; ++i) dst[i] &= src[i];
      return;
    case 0xEE:  // SRCPAINT
      for (int i = 0; i < count; ++i) dst[i] |= src[i];
      return;
    case 0x66:  // SRCINVERT
      for (int i = 0; i < count; ++i) dst[i] ^= src[i];
      return;
    case 0xF0:  // PATCOPY
      FillRow(dst, count, pattern);
      return;
    case 0x00:  // BLACKNESS
      FillRow(dst, count, 0);
      return;
    case 0xFF:  // WHITENESS
      FillRow(dst, count, kPixelMask);
      return;
    default:
      break;
  }
  for (int i = 0; i < count; ++i) dst[i] = Rop3Pixel(code, pattern, src ? src[i] : 0, dst[i]);
}

namespace {

// Red and blue share one word, green and the zero top byte another: 16 bits per lane is enough for
// src * a + dst * (255 - a) + 127 <= 65152, and x / 255 == (x + 1 + (x >> 8)) >> 8 below 65535.
Pixel BlendPixelWords(Pixel s, Pixel d, std::uint32_t alpha, std::uint32_t inverse) {
  std::uint32_t rb = (s & 0x00FF00FFu) * alpha + (d & 0x00FF00FFu) * inverse + 0x007F007Fu;
  std::uint32_t g = ((s >> 8) & 0xFFu) * alpha + ((d >> 8) & 0xFFu) * inverse + 0x7Fu;
  rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  g = ((g + 1 + (g >> 8)) >> 8) & 0xFFu;
  return rb | (g << 8);
}

#if defined(__SSE2__)
// The same arithmetic on eight 16-bit channels (two pixels) per register.
__m128i BlendHalves(__m128i s, __m128i d, __m128i alpha, __m128i inverse) {
  const __m128i rounding = _mm_set1_epi16(127);
  const __m128i one = _mm_set1_epi16(1);
  __m128i x = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, alpha), _mm_mullo_epi16(d, inverse)), rounding);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
}
#endif

}  // namespace

void BlendRow(Pixel* dst, const Pixel* src, int count, std::uint32_t alpha) {
  const std::uint32_t inverse = 255 - alpha;
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = _mm_set1_epi16(static_cast<short>(alpha));
  const __m128i b = _mm_set1_epi16(static_cast<short>(inverse));
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i low = BlendHalves(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), a, b);
    const __m128i high = BlendHalves(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), a, b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(low, high));
  }
#endif
  for (; i < count; ++i) dst[i] = BlendPixelWords(src[i], dst[i], alpha, inverse);
}

void CoverageRow(Pixel* dst, const std::uint8_t* coverage, int count, Pixel color) {
  for (int i = 0; i < count; ++i) {
    const std::uint32_t a = coverage[i];
    if (a == 0) continue;
    dst[i] = a == 255 ? color : BlendPixel(color, dst[i], a);
  }
}
