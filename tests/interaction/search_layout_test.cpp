// The search screen's arithmetic: rectangles, tick positions in float units, hover windows,
// snap points, the selection formula, page labels and the preview's placement.
#include <gtest/gtest.h>

#include "interaction/search_bars.h"

namespace {

constexpr SearchBar kBars[] = {SearchBar::kFolder, SearchBar::kPicture};

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

}  // namespace

TEST(SearchLayout, RectanglesAt1280x800And1920x1080) {
  SearchLayout a = SearchLayoutFor(1280, 800);
  ExpectRect(a.screen, 0, 0, 1280, 800);
  ExpectRect(a.panel, 240, 100, 1040, 700);
  ExpectRect(a.folder_bar, 280, 650, 1000, 680);
  ExpectRect(a.picture_bar, 280, 120, 1000, 150);
  EXPECT_FLOAT_EQ(a.unit, 7.08f);

  SearchLayout b = SearchLayoutFor(1920, 1080);
  ExpectRect(b.panel, 560, 240, 1360, 840);
  ExpectRect(b.folder_bar, 600, 790, 1320, 820);
  ExpectRect(b.picture_bar, 600, 260, 1320, 290);
  EXPECT_EQ(b.unit, a.unit);
}

TEST(SearchLayout, OddSizesTruncateTheirHalves) {
  SearchLayout l = SearchLayoutFor(1281, 801);
  EXPECT_EQ(l.half_w, 640);
  EXPECT_EQ(l.half_h, 400);
  ExpectRect(l.folder_bar, 280, 650, 1000, 680);
}

// xc = W/2 - 355 + i * 7.08f, truncated; 25 * 7.08f rounds to exactly 177 in single precision.
TEST(SearchLayout, TickCentresTruncateTheFloatPosition) {
  struct Row {
    int width;
    int i;
    int xc;
  };
  const Row rows[] = {{1280, 1, 292}, {1280, 2, 299}, {1280, 5, 320},  {1280, 25, 462},
                      {1280, 50, 639}, {1280, 100, 993}, {1920, 1, 612}, {1920, 25, 782},
                      {1920, 50, 959}, {1920, 100, 1313}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.width << " tick " << r.i);
    EXPECT_EQ(TickCentreX(SearchLayoutFor(r.width, 800), r.i), r.xc);
  }
}

TEST(SearchLayout, TickSquaresSitInsideTheirBars) {
  SearchLayout l = SearchLayoutFor(1280, 800);
  ExpectRect(TickSquare(l, SearchBar::kFolder, 1), 290, 663, 294, 667);
  ExpectRect(TickSquare(l, SearchBar::kPicture, 1), 290, 133, 294, 137);
  for (SearchBar bar : kBars) {
    const RECT& r = l.Bar(bar);
    for (int i = 1; i <= 100; ++i) {
      RECT t = TickSquare(l, bar, i);
      EXPECT_LT(r.left, t.left);
      EXPECT_LT(t.right, r.right);
      EXPECT_LT(r.top, t.top);
      EXPECT_LT(t.bottom, r.bottom);
    }
  }
}

// The window is open on all sides and three pixels high: y = H/2 + 264 .. H/2 + 266 on the
// folder bar, H/2 - 266 .. H/2 - 264 on the picture bar.
TEST(SearchLayout, HoverWindowIsThreePixelsHigh) {
  SearchLayout l = SearchLayoutFor(1280, 800);
  const int x = TickCentreX(l, 3);
  for (int y = 660; y <= 670; ++y) {
    SCOPED_TRACE(y);
    EXPECT_EQ(InHoverWindow(l, SearchBar::kFolder, 3, x, y), y >= 664 && y <= 666);
  }
  for (int y = 130; y <= 140; ++y) {
    SCOPED_TRACE(y);
    EXPECT_EQ(InHoverWindow(l, SearchBar::kPicture, 3, x, y), y >= 134 && y <= 136);
  }
}

// Tick 1 at 1280: 289.08 < x < 293.08.
TEST(SearchLayout, HoverWindowSidesAreFloatComparisons) {
  SearchLayout l = SearchLayoutFor(1280, 800);
  EXPECT_FALSE(InHoverWindow(l, SearchBar::kFolder, 1, 289, 665));
  for (int x = 290; x <= 293; ++x) EXPECT_TRUE(InHoverWindow(l, SearchBar::kFolder, 1, x, 665)) << x;
  EXPECT_FALSE(InHoverWindow(l, SearchBar::kFolder, 1, 294, 665));
}

TEST(SearchLayout, SnapPointLiesInsideTheHoverWindow) {
  for (int width : {1280, 1920, 1024}) {
    for (int height : {800, 1080, 768}) {
      SearchLayout l = SearchLayoutFor(width, height);
      for (SearchBar bar : kBars) {
        for (int i = 1; i <= 100; ++i) {
          POINT p = TickSnapPoint(l, bar, i);
          EXPECT_TRUE(InHoverWindow(l, bar, i, p.x, p.y)) << width << "x" << height << " tick " << i;
          // Tick 100's centre lies past the active area's right end (right - u).
          EXPECT_EQ(OnBarActiveArea(l, bar, p.x, p.y), i < 100) << width << "x" << height << " tick " << i;
        }
      }
    }
  }
  SearchLayout l = SearchLayoutFor(1280, 800);
  POINT folder = TickSnapPoint(l, SearchBar::kFolder, 4);
  EXPECT_EQ(folder.x, 313);
  EXPECT_EQ(folder.y, 665);
  POINT picture = TickSnapPoint(l, SearchBar::kPicture, 4);
  EXPECT_EQ(picture.x, 313);
  EXPECT_EQ(picture.y, 135);
}

// Every pointer x inside tick i's window selects page * 100 + i - 1.
TEST(SearchLayout, SelectionOfEveryHoverWindowIsItsTick) {
  for (int width : {1280, 1920}) {
    SearchLayout l = SearchLayoutFor(width, 800);
    for (SearchBar bar : kBars) {
      for (int page : {0, 3, 10}) {
        for (int i = 1; i <= 100; ++i) {
          for (int x = l.half_w - 360; x <= l.half_w + 360; ++x) {
            if (!InHoverWindow(l, bar, i, x, TickSnapPoint(l, bar, i).y)) continue;
            EXPECT_EQ(SelectionAt(l, bar, x, page), page * 100 + i - 1) << width << " x " << x;
          }
        }
      }
    }
  }
}

// trunc(((x - left) - u) / u + page * 100) with left = 280 at 1280.
TEST(SearchLayout, SelectionFormula) {
  SearchLayout l = SearchLayoutFor(1280, 800);
  struct Row {
    int x;
    int page;
    int index;
  };
  const Row rows[] = {{288, 0, 0}, {294, 0, 0}, {295, 0, 1}, {300, 2, 201}, {993, 0, 99}, {993, 10, 1099}};
  for (const Row& r : rows) {
    for (SearchBar bar : kBars) EXPECT_EQ(SelectionAt(l, bar, r.x, r.page), r.index) << r.x;
  }
}

TEST(SearchLayout, ActiveAreaOfTheBars) {
  SearchLayout l = SearchLayoutFor(1280, 800);
  // Folder bar 280..1000 x 650..680: from ten pixels above it, one unit in from the ends.
  EXPECT_TRUE(OnBarActiveArea(l, SearchBar::kFolder, 640, 641));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kFolder, 640, 640));
  EXPECT_TRUE(OnBarActiveArea(l, SearchBar::kFolder, 640, 679));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kFolder, 640, 680));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kFolder, 287, 665));  // 287 < 280 + 7.08
  EXPECT_TRUE(OnBarActiveArea(l, SearchBar::kFolder, 288, 665));
  EXPECT_TRUE(OnBarActiveArea(l, SearchBar::kFolder, 992, 665));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kFolder, 993, 665));  // 993 > 1000 - 7.08
  EXPECT_TRUE(OnBarActiveArea(l, SearchBar::kPicture, 640, 111));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kPicture, 640, 110));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kPicture, 640, 150));
  EXPECT_FALSE(OnBarActiveArea(l, SearchBar::kPicture, 640, 400));
}

TEST(SearchLayout, PageLabels) {
  SearchLayout a = SearchLayoutFor(1280, 800);
  EXPECT_EQ(PageLabelXs(a, SearchBar::kFolder), (std::array<int, 5>{287, 464, 634, 818, 971}));
  EXPECT_EQ(PageLabelXs(a, SearchBar::kPicture), (std::array<int, 5>{287, 464, 634, 818, 971}));
  EXPECT_EQ(PageLabelY(a, SearchBar::kFolder), 630);
  EXPECT_EQ(PageLabelY(a, SearchBar::kPicture), 155);
  SearchLayout b = SearchLayoutFor(1920, 1080);
  EXPECT_EQ(PageLabelXs(b, SearchBar::kFolder), (std::array<int, 5>{607, 784, 954, 1138, 1291}));
  EXPECT_EQ(PageLabelValues(0), (std::array<int, 5>{0, 25, 50, 75, 99}));
  EXPECT_EQ(PageLabelValues(10), (std::array<int, 5>{1000, 1025, 1050, 1075, 1099}));
}

TEST(SearchLayout, HoverLabelOrigins) {
  SearchLayout l = SearchLayoutFor(1280, 800);
  POINT a = HoverLabelOrigin(l, SearchBar::kFolder, 1);
  EXPECT_EQ(a.x, 284);
  EXPECT_EQ(a.y, 705);
  POINT b = HoverLabelOrigin(l, SearchBar::kPicture, 3);
  EXPECT_EQ(b.x, 298);
  EXPECT_EQ(b.y, 65);
  EXPECT_EQ(HoverLabelOrigin(SearchLayoutFor(1920, 1080), SearchBar::kFolder, 100).x, 1304);
}

// Left = W/2 - (w * 350 / h) / 2 in integers; width = trunc(w * (350 / h)) in float.
TEST(SearchLayout, PreviewPlacement) {
  struct Row {
    int w;
    int h;
    int left;
    int width;
  };
  const Row rows[] = {
      {200, 400, 553, 175},   // tall
      {700, 350, 290, 700},   // wide
      {100, 100, 465, 350},   // square
      {3, 7, 565, 150},       // 1050 / 7 = 150
      {1000, 3, -57693, 116666},  // far wider than the screen
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.w << "x" << r.h);
    std::optional<PreviewPlace> p = PreviewPlacement(1280, 800, r.w, r.h);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->left, r.left);
    EXPECT_EQ(p->top, 225);
    EXPECT_EQ(p->width, r.width);
    EXPECT_EQ(p->height, 350);
  }
  EXPECT_EQ(PreviewPlacement(1920, 1080, 100, 100)->left, 785);
  EXPECT_EQ(PreviewPlacement(1920, 1080, 100, 100)->top, 365);
}

TEST(SearchLayout, NoPreviewForAPictureWithoutHeight) {
  EXPECT_FALSE(PreviewPlacement(1280, 800, 100, 0).has_value());
  EXPECT_FALSE(PreviewPlacement(1280, 800, 100, -5).has_value());
  EXPECT_FALSE(PreviewPlacement(1280, 800, 100000000, 1).has_value());
}
