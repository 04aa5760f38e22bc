#include "platform/gdi/raster_loops.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi.h"

namespace {

TEST(Div255, MatchesIntegerDivisionForEverySixteenBitValue) {
  int mismatches = 0;
  for (std::uint32_t x = 0; x <= 65535; ++x) mismatches += Div255(x) != x / 255;
  EXPECT_EQ(mismatches, 0);
}

TEST(BlendRow, MatchesTheFormulaForEveryChannelValueAndAlpha) {
  // Every (src, dst, alpha) triple, with each channel carrying a different value to catch lane leaks.
  std::vector<Pixel> src(256 * 256), dst(256 * 256), out(256 * 256);
  int mismatches = 0;
  for (std::uint32_t a = 0; a <= 255; ++a) {
    for (std::uint32_t s = 0; s < 256; ++s) {
      for (std::uint32_t d = 0; d < 256; ++d) {
        src[s * 256 + d] = (s << 16) | ((255 - s) << 8) | (s ^ 0x5A);
        dst[s * 256 + d] = (d << 16) | ((d ^ 0xA5) << 8) | (255 - d);
      }
    }
    out = dst;
    BlendRow(out.data(), src.data(), static_cast<int>(out.size()), a);
    for (std::size_t i = 0; i < out.size(); ++i) {
      Pixel expected = 0;
      for (int shift : {16, 8, 0}) {
        const std::uint32_t sc = (src[i] >> shift) & 0xFF;
        const std::uint32_t dc = (dst[i] >> shift) & 0xFF;
        expected |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
      }
      mismatches += out[i] != expected;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(BlendRow, ShortRowsAndTailsMatchBlendPixel) {
  const Pixel src[7] = {0xFFFFFF, 0x123456, 0x000000, 0xABCDEF, 0x00FF00, 0x808080, 0xFEDCBA};
  for (std::uint32_t a : {0u, 1u, 77u, 128u, 254u, 255u}) {
    for (int n = 0; n <= 7; ++n) {
      Pixel row[7] = {0x000000, 0xFFFFFF, 0x654321, 0x0F0F0F, 0xF0F0F0, 0x7F7F7F, 0x010203};
      Pixel expected[7];
      for (int i = 0; i < 7; ++i) expected[i] = i < n ? BlendPixel(src[i], row[i], a) : row[i];
      BlendRow(row, src, n, a);
      EXPECT_EQ(std::vector<Pixel>(row, row + 7), std::vector<Pixel>(expected, expected + 7)) << a << " " << n;
    }
  }
}

TEST(BlendPixel, KnownValues) {
  struct Case {
    Pixel src, dst;
    std::uint32_t alpha;
    Pixel expected;
  };
  const Case cases[] = {
      {0xFFFFFF, 0x000000, 128, 0x808080},  // (255 * 128 + 127) / 255 = 128
      {0xFFFFFF, 0x000000, 1, 0x010101},
      {0x000000, 0xFFFFFF, 1, 0xFEFEFE},
      {0x102030, 0x405060, 255, 0x102030},
      {0x102030, 0x405060, 0, 0x405060},
      {0xC86400, 0x0064C8, 64, 0x326496},  // 200,100,0 over 0,100,200
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BlendPixel(c.src, c.dst, c.alpha), c.expected) << std::hex << c.src << " over " << c.dst;
  }
}

TEST(Rop3, NamedOperationsMatchTheirBooleanFormulas) {
  const Pixel p = 0x0F0F0F, s = 0x333333, d = 0x555555;
  struct Case {
    DWORD rop;
    Pixel expected;
  };
  const Case cases[] = {
      {SRCCOPY, s},
      {SRCAND, s & d},
      {SRCPAINT, s | d},
      {SRCINVERT, s ^ d},
      {SRCERASE, s & ~d & kPixelMask},
      {NOTSRCCOPY, ~s & kPixelMask},
      {NOTSRCERASE, ~(s | d) & kPixelMask},
      {MERGECOPY, p & s},
      {MERGEPAINT, (~s | d) & kPixelMask},
      {PATCOPY, p},
      {PATPAINT, (p | ~s | d) & kPixelMask},
      {PATINVERT, p ^ d},
      {DSTINVERT, ~d & kPixelMask},
      {BLACKNESS, 0},
      {WHITENESS, kPixelMask},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Rop3Pixel(RopCode(c.rop), p, s, d), c.expected) << std::hex << c.rop;
    Pixel row[3] = {d, d, d};
    const Pixel source[3] = {s, s, s};
    Rop3Row(row, source, p, 3, c.rop);
    EXPECT_EQ(row[2], c.expected) << "row loop " << std::hex << c.rop;
  }
}

TEST(Rop3, WhichInputsAnOperationReads) {
  struct Case {
    DWORD rop;
    bool source, pattern;
  };
  const Case cases[] = {{SRCCOPY, true, false}, {SRCAND, true, false}, {PATCOPY, false, true},
                        {MERGECOPY, true, true}, {DSTINVERT, false, false}, {BLACKNESS, false, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(RopUsesSource(c.rop), c.source) << std::hex << c.rop;
    EXPECT_EQ(RopUsesPattern(c.rop), c.pattern) << std::hex << c.rop;
  }
}

TEST(MonoConversion, ColourEqualToTheBackgroundBecomesOne) {
  Pixel row[4] = {0x00FF00, 0x00FF01, 0x000000, 0x00FF00};
  ColorToMonoRow(row, 4, 0x00FF00);
  EXPECT_EQ(row[0], kMonoOne);
  EXPECT_EQ(row[1], 0u);
  EXPECT_EQ(row[2], 0u);
  EXPECT_EQ(row[3], kMonoOne);
}

TEST(MonoConversion, ZeroBitsTakeTheFirstColourAndOneBitsTheSecond) {
  Pixel row[3] = {0, kMonoOne, 0};
  MonoToColorRow(row, 3, 0x112233, 0x445566);
  EXPECT_EQ(row[0], 0x112233u);
  EXPECT_EQ(row[1], 0x445566u);
  EXPECT_EQ(row[2], 0x112233u);
}

TEST(MonoConversion, NearestOfBlackAndWhite) {
  EXPECT_EQ(NearestMono(0x000000), 0u);
  EXPECT_EQ(NearestMono(0x7F7F7F), 0u);   // sum 381
  EXPECT_EQ(NearestMono(0x7F807F), 0u);   // sum 382
  EXPECT_EQ(NearestMono(0x80807F), kMonoOne);  // sum 383
  EXPECT_EQ(NearestMono(0xFF0000 | 0x0000FF), kMonoOne);  // magenta: sum 510
  EXPECT_EQ(NearestMono(0xFF0000), 0u);   // red: sum 255
}

TEST(CoverageRow, ZeroLeavesFullTakesAndHalfBlends) {
  Pixel row[3] = {0x204060, 0x204060, 0x000000};
  const std::uint8_t coverage[3] = {0, 255, 128};
  CoverageRow(row, coverage, 3, 0xFFFFFF);
  EXPECT_EQ(row[0], 0x204060u);
  EXPECT_EQ(row[1], 0xFFFFFFu);
  EXPECT_EQ(row[2], 0x808080u);
}

TEST(RowLoops, CopyHandlesOverlapAndGatherFollowsIndices) {
  Pixel row[5] = {1, 2, 3, 4, 5};
  CopyRow(row + 1, row, 4);
  EXPECT_EQ(std::vector<Pixel>(row, row + 5), (std::vector<Pixel>{1, 1, 2, 3, 4}));
  const Pixel src[3] = {7, 8, 9};
  const int indices[4] = {2, 2, 0, 1};
  Pixel out[4] = {};
  GatherRow(out, src, indices, 4);
  EXPECT_EQ(std::vector<Pixel>(out, out + 4), (std::vector<Pixel>{9, 9, 7, 8}));
}

}  // namespace
