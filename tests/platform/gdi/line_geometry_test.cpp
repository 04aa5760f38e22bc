#include "platform/gdi/line_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/gdi_types.h"

namespace {

std::string Pattern(int style, int width, int length) {
  const std::optional<DashPattern> dash = PenDashPattern(style, width);
  std::string out;
  for (int i = 0; i < length; ++i) out += !dash || DashIsOn(*dash, i) ? '#' : '.';
  return out;
}

TEST(PenDashPattern, StylesAtOnePixel) {
  EXPECT_EQ(Pattern(PS_DASH, 1, 26), "##################......##");
  EXPECT_EQ(Pattern(PS_DOT, 1, 13), "###...###...#");
  EXPECT_EQ(Pattern(PS_DASHDOT, 0, 24), "#########......###......");
  EXPECT_EQ(Pattern(PS_DASHDOTDOT, 1, 24), "#########...###...###...");
  EXPECT_EQ(Pattern(PS_SOLID, 1, 5), "#####");
}

TEST(PenDashPattern, WidePensAreSolid) {
  EXPECT_FALSE(PenDashPattern(PS_DASH, 2));
  EXPECT_FALSE(PenDashPattern(PS_DOT, 5));
}

std::vector<std::pair<int, int>> Pixels(POINT a, POINT b) {
  std::vector<std::pair<int, int>> out;
  for (std::int64_t i = 0; i < LineLength(a, b); ++i) {
    const POINT p = LinePixel(a, b, i);
    out.emplace_back(p.x, p.y);
  }
  return out;
}

TEST(LinePixel, EndPointIsExcludedAndSlopesRound) {
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Pixels({0, 0}, {3, 0}), (P{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(Pixels({3, 0}, {0, 0}), (P{{3, 0}, {2, 0}, {1, 0}}));
  EXPECT_EQ(Pixels({0, 0}, {0, -2}), (P{{0, 0}, {0, -1}}));
  EXPECT_EQ(Pixels({0, 0}, {3, 3}), (P{{0, 0}, {1, 1}, {2, 2}}));
  EXPECT_EQ(Pixels({0, 0}, {4, 1}), (P{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));  // half-way rounds towards the end
  EXPECT_EQ(Pixels({0, 0}, {1, 4}), (P{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
  EXPECT_TRUE(Pixels({5, 5}, {5, 5}).empty());
}

TEST(LinePixel, HugeLinesStayOnTheirLine) {
  const POINT a{INT32_MIN, 0};
  const POINT b{INT32_MAX, 10};
  const POINT mid = LinePixel(a, b, std::int64_t{1} << 31);
  EXPECT_EQ(mid.x, 0);
  EXPECT_EQ(mid.y, 5);
}

TEST(LineStepsInside, OnlyTheStepsOverTheTarget) {
  const StepRange r = LineStepsInside({-5, 0}, {100, 0}, 10, 10, 0);
  EXPECT_EQ(r.begin, 5);
  EXPECT_EQ(r.end, 15);
  const StepRange back = LineStepsInside({20, 3}, {-20, 3}, 10, 10, 1);
  EXPECT_EQ(back.begin, 10);  // x = 10 is the margin column
  EXPECT_EQ(back.end, 22);    // down to x = -1
  const StepRange none = LineStepsInside({20, 0}, {30, 0}, 10, 10, 0);
  EXPECT_EQ(none.begin, none.end);
}

std::vector<std::string> EllipseArt(RECT box, int rows) {
  std::vector<std::string> out;
  for (int y = 0; y < rows; ++y) {
    std::string row;
    const RowSpan span = EllipseRowSpan(box, y);
    for (int x = 0; x < box.right + 1; ++x) row += x >= span.left && x < span.right ? '#' : '.';
    out.push_back(row);
  }
  return out;
}

TEST(EllipseRowSpan, SmallBoxes) {
  using A = std::vector<std::string>;
  EXPECT_EQ(EllipseArt({0, 0, 4, 4}, 5), (A{".##..", "####.", "####.", ".##..", "....."}));
  EXPECT_EQ(EllipseArt({0, 0, 1, 3}, 3), (A{"#.", "#.", "#."}));
  EXPECT_EQ(EllipseArt({0, 0, 3, 1}, 2), (A{"###.", "...."}));
  EXPECT_EQ(EllipseArt({0, 0, 6, 4}, 4), (A{".####..", "######.", "######.", ".####.."}));
  EXPECT_EQ(EllipseArt({1, 0, 1, 3}, 1), (A{".."}));  // empty box
}

TEST(EllipseRowSpan, StaysInsideItsBox) {
  for (int w = 1; w < 40; w += 3) {
    for (int h = 1; h < 40; h += 5) {
      const RECT box{3, 2, 3 + w, 2 + h};
      for (int y = 0; y < 50; ++y) {
        const RowSpan s = EllipseRowSpan(box, y);
        if (s.Empty()) continue;
        EXPECT_GE(y, box.top);
        EXPECT_LT(y, box.bottom);
        EXPECT_GE(s.left, box.left);
        EXPECT_LE(s.right, box.right);
      }
      // Touches its middle row's full width.
      const RowSpan mid = EllipseRowSpan(box, box.top + h / 2);
      EXPECT_EQ(mid.left, box.left) << w << "x" << h;
      EXPECT_EQ(mid.right, box.right) << w << "x" << h;
    }
  }
}

}  // namespace
