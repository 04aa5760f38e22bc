#include "platform/gdi/text_out.h"

#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/gdi/raster_loops.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::Rows;

// 3 x 2 coverage: 0 255 128 / 255 0 0.
TextMask SmallMask() {
  TextMask mask;
  mask.width = 3;
  mask.height = 2;
  mask.ascent = 1;
  mask.coverage = {0, 255, 128, 255, 0, 0};
  return mask;
}

constexpr Pixel kRed = 0xFF0000;
constexpr Pixel kGrey = 0x202020;  // '1'

TEST(CompositeTextMask, CoverageBlendsTheTextColourOverTheDestination) {
  Canvas c(Rows{"1111", "1111", "1111"});
  CompositeTextMask(DrawTarget{c.pixels(), false}, 1, 0, SmallMask(), kRed, std::nullopt);
  EXPECT_EQ(c.At(1, 0), kGrey);  // coverage 0: untouched
  EXPECT_EQ(c.At(2, 0), kRed);   // coverage 255: exactly the text colour
  EXPECT_EQ(c.At(3, 0), 0x901010u);  // (255 * 128 + 32 * 127 + 127) / 255 = 144; (32 * 127 + 127) / 255 = 16
  EXPECT_EQ(c.Art(), (Rows{"11R?", "1R11", "1111"}));
}

TEST(CompositeTextMask, OpaqueFillsTheCellFirst) {
  Canvas c(Rows{"1111", "1111", "1111"});
  CompositeTextMask(DrawTarget{c.pixels(), false}, 1, 1, SmallMask(), kRed, Pixel{0x0000FF});
  EXPECT_EQ(c.Art(), (Rows{"1111", "1BR?", "1RBB"}));
  EXPECT_EQ(c.At(3, 1), BlendPixel(kRed, 0x0000FF, 128));
}

TEST(CompositeTextMask, ClippedOnEverySide) {
  struct Case {
    int x, y;
    Rows expected;
  };
  const Case cases[] = {
      {-1, -1, {"BB", ".."}},      // only mask row 1, columns 1-2 land: coverage 0 on the background
      {-1, 0, {"R?", ".."}},       // mask columns 1, 2 of both rows
      {1, 1, {"..", ".B"}},        // only mask (0, 0) lands: opaque background
      {5, 5, {"..", ".."}},
      {INT32_MIN, INT32_MAX, {"..", ".."}},
  };
  for (const Case& t : cases) {
    Canvas c(2, 2);
    CompositeTextMask(DrawTarget{c.pixels(), false}, t.x, t.y, SmallMask(), kRed, Pixel{0x0000FF});
    if (t.x == -1 && t.y == 0) {
      EXPECT_EQ(c.At(0, 0), kRed);
      EXPECT_EQ(c.At(0, 1), 0x0000FFu);  // row 1, mask column 1: coverage 0 over the background
      continue;
    }
    EXPECT_EQ(c.Art(), t.expected) << t.x << "," << t.y;
  }
}

TEST(CompositeTextMask, MonochromeTargetsThresholdTheCoverage) {
  Canvas mono(3, 2, true);
  CompositeTextMask(DrawTarget{mono.pixels(), true}, 0, 0, SmallMask(), 0xFFFFFF, std::nullopt);
  EXPECT_EQ(mono.Art(), (Rows{".##", "#.."}));
}

TEST(CompositeTextMask, MalformedMasksDrawNothing) {
  Canvas c(3, 2);
  TextMask shortMask = SmallMask();
  shortMask.coverage.resize(4);
  CompositeTextMask(DrawTarget{c.pixels(), false}, 0, 0, shortMask, kRed, Pixel{0x0000FF});
  TextMask empty;
  CompositeTextMask(DrawTarget{c.pixels(), false}, 0, 0, empty, kRed, Pixel{0x0000FF});
  EXPECT_EQ(c.Art(), (Rows{"...", "..."}));
}

TEST(CreateFontW, KeepsTheRequest) {
  HFONT font = CreateFontW(-20, 8, 0, 0, FW_DONTCARE, TRUE, TRUE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "Times New Roman");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->request.face, "Times New Roman");
  EXPECT_EQ(font->request.height, 20);  // a character height stands in for the cell height
  EXPECT_EQ(font->request.width, 8);
  EXPECT_EQ(font->request.weight, FW_NORMAL);
  EXPECT_TRUE(font->request.italic);
  EXPECT_TRUE(font->underline);
  EXPECT_FALSE(font->strikeOut);
  DeleteObject(font);
}

TEST(TextOut, NullArgumentsFail) {
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, "x", -1));
  SIZE size;
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, "x", -1, &size));
}

// With a real font on this machine: the cell is drawn at (x, y) and nothing outside it changes.
class TextOutWithFont : public ::testing::Test {
 protected:
  void SetUp() override {
    m_font = CreateFontW(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    if (!m_font->Loaded()) GTEST_SKIP() << "no usable font on this machine";
  }
  void TearDown() override { DeleteObject(m_font); }
  HFONT m_font = nullptr;
};

TEST_F(TextOutWithFont, OpaqueCellAtTheTopLeft) {
  Canvas c(120, 40);
  HGDIOBJ old = SelectObject(c.dc(), static_cast<HGDIOBJ>(m_font));
  SetBkColor(c.dc(), RGB(0, 255, 0));
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), "Hi", -1, &size));
  EXPECT_GT(size.cx, 0);
  EXPECT_GT(size.cy, 0);
  EXPECT_TRUE(TextOutW(c.dc(), 5, 3, "Hi!", 2));  // the length cuts the text to "Hi"
  int inked = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      const Pixel p = c.At(x, y);
      const bool inside = x >= 5 && x < 5 + size.cx && y >= 3 && y < 3 + size.cy;
      if (!inside) {
        EXPECT_EQ(p, 0u) << x << "," << y;
        continue;
      }
      // Red blended over green: no blue, red and green summing to 255 within rounding.
      const int r = static_cast<int>(p >> 16), g = static_cast<int>((p >> 8) & 0xFF);
      EXPECT_EQ(p & 0xFF, 0u);
      EXPECT_NEAR(r + g, 255, 1) << x << "," << y;
      inked += r > 0;
    }
  }
  EXPECT_GT(inked, 0);
  SelectObject(c.dc(), old);
}

TEST_F(TextOutWithFont, TransparentLeavesTheBackground) {
  Canvas c(60, 30);
  HGDIOBJ old = SelectObject(c.dc(), static_cast<HGDIOBJ>(m_font));
  SetBkMode(c.dc(), TRANSPARENT);
  SetTextColor(c.dc(), RGB(0, 0, 255));
  EXPECT_TRUE(TextOutW(c.dc(), -3, 20, "Wg", -1));  // clipped on the left and bottom
  int inked = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 60; ++x) {
      EXPECT_EQ(c.At(x, y) & 0xFFFF00, 0u);
      inked += c.At(x, y) != 0;
    }
  }
  EXPECT_GT(inked, 0);
  SelectObject(c.dc(), old);
}

}  // namespace
