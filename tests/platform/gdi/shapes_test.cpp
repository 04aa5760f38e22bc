#include <gtest/gtest.h>

#include <climits>

#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::Rows;

// Selects a pen and brush into a canvas for one test and frees them afterwards.
class Tools {
 public:
  Tools(HDC dc, HPEN pen, HGDIOBJ brush) : m_dc(dc), m_pen(pen) {
    m_oldPen = SelectObject(dc, static_cast<HGDIOBJ>(pen));
    m_oldBrush = SelectObject(dc, brush);
  }
  ~Tools() {
    SelectObject(m_dc, m_oldPen);
    HGDIOBJ brush = SelectObject(m_dc, m_oldBrush);
    DeleteObject(m_pen);
    DeleteObject(brush);  // stock brushes are left alone
  }

 private:
  HDC m_dc;
  HPEN m_pen;
  HGDIOBJ m_oldPen;
  HGDIOBJ m_oldBrush;
};

HGDIOBJ Blue() { return CreateSolidBrush(RGB(0, 0, 255)); }
HPEN RedPen(int style = PS_SOLID, int width = 1) { return CreatePen(style, width, RGB(255, 0, 0)); }

TEST(FillRect, RightAndBottomAreExclusive) {
  Canvas c(4, 3);
  const RECT r{1, 0, 3, 2};
  EXPECT_TRUE(FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
  const RECT inverted{3, 0, 1, 2};
  FillRect(c.dc(), &inverted, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));  // fills nothing
  EXPECT_EQ(c.Art(), (Rows{".##.", ".##.", "...."}));
  EXPECT_FALSE(FillRect(c.dc(), nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
  EXPECT_FALSE(FillRect(c.dc(), &r, nullptr));
}

TEST(FillRect, WindowOriginAndHugeRectangles) {
  Canvas c(3, 2);
  SetWindowOrgEx(c.dc(), 1, 0, nullptr);
  const RECT r{1, 1, 2, 2};
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(c.Art(), (Rows{"...", "#.."}));
  const RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  FillRect(c.dc(), &huge, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(c.Art(), (Rows{"###", "###"}));
}

TEST(FillSolidRect, FillsAndLeavesTheBackgroundColour) {
  Canvas c(3, 1);
  FillSolidRect(c.dc(), 1, 0, 2, 1, RGB(0, 255, 0));
  EXPECT_EQ(c.Art(), (Rows{".GG"}));
  EXPECT_EQ(GetBkColor(c.dc()), RGB(0, 255, 0));
}

TEST(Rectangle, PenOutlineAndBrushInside) {
  struct Case {
    const char* what;
    HPEN (*pen)();
    HGDIOBJ (*brush)();
    Rows expected;
  };
  const Case cases[] = {
      {"pen and brush", [] { return RedPen(); }, Blue, {"RRRRR", "RBBBR", "RBBBR", "RRRRR"}},
      {"hollow brush", [] { return RedPen(); }, [] { return GetStockObject(NULL_BRUSH); },
       {"RRRRR", "R111R", "R111R", "RRRRR"}},
      // Without a pen the filled area is one pixel smaller to the right and bottom.
      {"null pen", [] { return CreatePen(PS_NULL, 1, 0); }, Blue, {"BBBB1", "BBBB1", "BBBB1", "11111"}},
  };
  for (const Case& c : cases) {
    Canvas canvas(Rows{"11111", "11111", "11111", "11111"});
    Tools tools(canvas.dc(), c.pen(), c.brush());
    EXPECT_TRUE(Rectangle(canvas.dc(), 0, 0, 5, 4));
    EXPECT_EQ(canvas.Art(), c.expected) << c.what;
  }
}

TEST(Rectangle, WidePensAreCentredWithTheExtraPixelAboveAndLeft) {
  {
    Canvas c(7, 6);
    Tools tools(c.dc(), RedPen(PS_SOLID, 2), Blue());
    Rectangle(c.dc(), 1, 1, 6, 5);
    EXPECT_EQ(c.Art(), (Rows{"RRRRRR.", "RRRRRR.", "RRBBRR.", "RRRRRR.", "RRRRRR.", "......."}));
  }
  {
    Canvas c(11, 10);
    Tools tools(c.dc(), RedPen(PS_DASH, 3), Blue());  // wide: solid despite the dash style
    Rectangle(c.dc(), 2, 2, 9, 8);
    EXPECT_EQ(c.Art(), (Rows{"...........", ".RRRRRRRRR.", ".RRRRRRRRR.", ".RRRRRRRRR.", ".RRRBBBRRR.",
                             ".RRRBBBRRR.", ".RRRRRRRRR.", ".RRRRRRRRR.", ".RRRRRRRRR.", "..........."}));
  }
}

TEST(Rectangle, DotsCarryOnAroundTheCorners) {
  Canvas c(5, 4);
  SetBkMode(c.dc(), TRANSPARENT);
  Tools tools(c.dc(), RedPen(PS_DOT), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 0, 0, 5, 4);
  // Clockwise from the top-left: on 0-2, off 3-5, on 6-8, off 9-11, on 12-13.
  EXPECT_EQ(c.Art(), (Rows{"RRR..", "R....", "R...R", "...RR"}));
}

TEST(Rectangle, DegenerateAndHugeBoxes) {
  Canvas c(Rows{"...", "..."});
  Tools tools(c.dc(), RedPen(PS_DOT), Blue());
  Rectangle(c.dc(), 1, 0, 2, 2);  // one column wide: just the outline
  EXPECT_EQ(c.Art(), (Rows{".R.", ".R."}));
  Rectangle(c.dc(), 2, 0, 2, 2);  // empty
  EXPECT_EQ(c.Art(), (Rows{".R.", ".R."}));
  EXPECT_TRUE(Rectangle(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  EXPECT_EQ(c.Art(), (Rows{"BBB", "BBB"}));
}

TEST(LineTo, ExcludesTheEndPointAndMovesThePosition) {
  Canvas c(5, 3);
  Tools tools(c.dc(), RedPen(), GetStockObject(NULL_BRUSH));
  POINT previous{-1, -1};
  MoveToEx(c.dc(), 0, 0, &previous);
  EXPECT_EQ(previous.x, 0);
  LineTo(c.dc(), 3, 0);
  LineTo(c.dc(), 3, 2);
  POINT at;
  GetCurrentPositionEx(c.dc(), &at);
  EXPECT_EQ(at.x, 3);
  EXPECT_EQ(at.y, 2);
  EXPECT_EQ(c.Art(), (Rows{"RRRR.", "...R.", "....."}));
}

TEST(LineTo, SlopedLinesOnePixelPerColumn) {
  Canvas c(5, 3);
  Tools tools(c.dc(), RedPen(), GetStockObject(NULL_BRUSH));
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 4, 2);
  EXPECT_EQ(c.Art(), (Rows{"R....", ".RR..", "...R."}));
}

TEST(LineTo, DashPatterns) {
  struct Case {
    int style;
    int mode;
    int length;
    std::string expected;
  };
  const Case cases[] = {
      {PS_DASH, TRANSPARENT, 30, "RRRRRRRRRRRRRRRRRR......RRRRRR.."},
      {PS_DASH, OPAQUE, 30, "RRRRRRRRRRRRRRRRRRGGGGGGRRRRRR.."},  // gaps take the background colour
      {PS_DOT, TRANSPARENT, 10, "RRR...RRR......................."},
      {PS_DOT, OPAQUE, 10, "RRRGGGRRRG......................"},
  };
  for (const Case& t : cases) {
    Canvas c(32, 1);
    SetBkMode(c.dc(), t.mode);
    SetBkColor(c.dc(), RGB(0, 255, 0));
    Tools tools(c.dc(), RedPen(t.style), GetStockObject(NULL_BRUSH));
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), t.length, 0);
    EXPECT_EQ(c.Art(), (Rows{t.expected})) << t.style << " mode " << t.mode;
  }
}

TEST(LineTo, WidePensAreSolidAndSpanTheMinorAxis) {
  Canvas c(8, 4);
  Tools tools(c.dc(), RedPen(PS_DOT, 2), GetStockObject(NULL_BRUSH));
  MoveToEx(c.dc(), 0, 2, nullptr);
  LineTo(c.dc(), 6, 2);
  EXPECT_EQ(c.Art(), (Rows{"........", "RRRRRR..", "RRRRRR..", "........"}));
}

TEST(LineTo, HugeLinesOnlyTouchTheTarget) {
  Canvas c(4, 2);
  Tools tools(c.dc(), RedPen(PS_DASH), GetStockObject(NULL_BRUSH));
  MoveToEx(c.dc(), INT_MIN, 1, nullptr);
  EXPECT_TRUE(LineTo(c.dc(), INT_MAX, 1));
  EXPECT_EQ(c.Art()[0], "....");
  EXPECT_EQ(c.Art()[1].find('?'), std::string::npos);
}

TEST(Ellipse, OutlineBrushAndNullObjects) {
  struct Case {
    const char* what;
    HPEN (*pen)();
    HGDIOBJ (*brush)();
    Rows expected;
  };
  const Case cases[] = {
      {"pen and brush", [] { return RedPen(); }, Blue, {"111111", "11RR11", "1RBBR1", "1RBBR1", "11RR11", "111111"}},
      {"hollow brush", [] { return RedPen(); }, [] { return GetStockObject(NULL_BRUSH); },
       {"111111", "11RR11", "1R11R1", "1R11R1", "11RR11", "111111"}},
      {"null pen", [] { return CreatePen(PS_NULL, 0, 0); }, Blue,
       {"111111", "1BBB11", "1BBB11", "1BBB11", "111111", "111111"}},
  };
  for (const Case& c : cases) {
    Canvas canvas(Rows{"111111", "111111", "111111", "111111", "111111", "111111"});
    Tools tools(canvas.dc(), c.pen(), c.brush());
    EXPECT_TRUE(Ellipse(canvas.dc(), 1, 1, 5, 5));
    EXPECT_EQ(canvas.Art(), c.expected) << c.what;
  }
}

TEST(Ellipse, StaysInsideItsBoxAndTouchesEachSide) {
  for (int width : {1, 2}) {
    for (int style : {PS_SOLID, PS_DOT}) {
      Canvas c(20, 15);
      Tools tools(c.dc(), RedPen(style, width), Blue());
      SetBkMode(c.dc(), TRANSPARENT);
      Ellipse(c.dc(), 2, 3, 15, 11);
      // With a wide pen the outline is centred on the 1-pixel one, one pixel further out above and left.
      const int grow = width / 2;
      int minX = 99, maxX = -1, minY = 99, maxY = -1;
      for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 20; ++x) {
          if (c.At(x, y) == 0) continue;
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
          minY = std::min(minY, y);
          maxY = std::max(maxY, y);
        }
      }
      EXPECT_EQ(minX, 2 - grow) << width << " " << style;
      EXPECT_EQ(maxX, 14) << width << " " << style;
      EXPECT_EQ(minY, 3 - grow) << width << " " << style;
      EXPECT_EQ(maxY, 10) << width << " " << style;
      EXPECT_EQ(c.At(8, 7), 0x0000FFu);  // the centre is filled
    }
  }
}

TEST(Ellipse, DotsRunAlongTheOutline) {
  auto redCount = [](int style) {
    Canvas c(12, 12);
    SetBkMode(c.dc(), TRANSPARENT);
    Tools tools(c.dc(), RedPen(style), GetStockObject(NULL_BRUSH));
    Ellipse(c.dc(), 0, 0, 12, 12);
    int red = 0;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x) red += c.At(x, y) == 0xFF0000u;
    return red;
  };
  const int solid = redCount(PS_SOLID);
  const int dotted = redCount(PS_DOT);
  EXPECT_GT(dotted, solid / 2 - 3);  // three on, three off
  EXPECT_LT(dotted, solid / 2 + 4);
}

TEST(Ellipse, HugeBoxesAreClipped) {
  Canvas c(4, 4);
  Tools tools(c.dc(), RedPen(PS_DOT), Blue());
  EXPECT_TRUE(Ellipse(c.dc(), -1000000, -1000000, 1000000, 1000000));
  EXPECT_EQ(c.Art(), (Rows{"BBBB", "BBBB", "BBBB", "BBBB"}));
  EXPECT_TRUE(Ellipse(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  EXPECT_TRUE(Ellipse(c.dc(), -30000, -30000, 30000, 30000));  // dashed along a long outline
}

TEST(Shapes, OnAMonochromeTargetColoursBecomeBlackOrWhite) {
  Canvas mono(3, 3, true);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(250, 250, 250));
  Tools tools(mono.dc(), pen, CreateSolidBrush(RGB(20, 20, 20)));
  Rectangle(mono.dc(), 0, 0, 3, 3);
  EXPECT_EQ(mono.Art(), (Rows{"###", "#.#", "###"}));
}

}  // namespace
