// Frames of the search screen on a headless window, driven from the test thread: geometry and
// colours, ticks, page labels, hovering and snapping, the selection, the preview, the wheel's
// pages, leaving search, and the drawing objects a frame makes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "interaction/search_bars.h"
#include "platform/kernel/event.h"
#include "platform/window/window_system.h"
#include "tests/support/frame_rig.h"

using frame_test::FrameRig;
using frame_test::Shot;

namespace {

constexpr Pixel kBackground = 0x000037;
constexpr Pixel kPanel = 0xFF6432;
constexpr Pixel kBarFill = 0x646400;
constexpr Pixel kHighlight = 0xC8C800;
constexpr Pixel kTickPen = 0x009B00;
constexpr Pixel kRed = 0xFF0000;
constexpr Pixel kWhite = 0xFFFFFF;
constexpr Pixel kA = 0x2896DC;
constexpr Pixel kB = 0xC86425;
constexpr Pixel kC = 0x30D050;

// A search screen over a frame rig, shown as opening search leaves it: folder 0, picture 0,
// a picture picked.
class SearchRig {
 public:
  SearchRig(int width = 1280, int height = 800) : rig(width, height), layout(SearchLayoutFor(width, height)) {}

  void Start() {
    rig.Start();
    COrvaleDlg& d = rig.dlg;
    d.m_render_paused = 1;
    d.m_search_paused = 0;
    d.m_search_folder = 0;
    d.m_search_picture = 0;
    d.m_search_pick = 1;
    Rest();
  }
  // The pointer on the panel between the preview and the folder bar's labels, where the sight
  // (37 x 37, red on the row it crosses) covers nothing a test looks at.
  void Rest() { SetCursorPos(layout.half_w + 330, layout.half_h + 200); }
  void PointAt(POINT p) { SetCursorPos(p.x, p.y); }
  POINT Pointer() const {
    POINT p;
    GetCursorPos(&p);
    return p;
  }
  Shot Frame() {
    screen.Frame(rig.dlg);
    return rig.Read();
  }
  int Cx() const { return layout.half_w; }
  int Cy() const { return layout.half_h; }
  // Pixels of `color` on the top row of the bar's tick squares: four per tick.
  int TickPixels(const Shot& shot, SearchBar bar, Pixel color) const {
    const RECT& r = layout.Bar(bar);
    const int row = TickSquare(layout, bar, 1).top;
    return shot.Count(r.left, row, r.right, row + 1, color);
  }
  // Pixels that are not `ground` in a box at `at`.
  static int Ink(const Shot& shot, POINT at, int width, int height, Pixel ground) {
    return width * height - shot.Count(at.x, at.y, at.x + width, at.y + height, ground);
  }

  FrameRig rig;
  SearchLayout layout;
  SearchScreen screen;
};

}  // namespace

class SearchFrameSizes : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(SearchFrameSizes, BackgroundPanelBarsAndPreview) {
  const auto [w, h] = GetParam();
  SearchRig s(w, h);
  FrameRig::SolidFolder(0, {kA, kB}, 100, 100);
  FrameRig::SolidFolder(1, {kB}, 10, 10);
  s.Start();
  Shot shot = s.Frame();
  const SearchLayout& l = s.layout;
  const int cx = s.Cx();
  const int cy = s.Cy();

  // Background, to every edge (the red labels of the selection lie just above and below the panel).
  EXPECT_TRUE(shot.All(0, 0, w, cy - 340, kBackground));
  EXPECT_TRUE(shot.All(0, cy + 340, w, h, kBackground));
  EXPECT_TRUE(shot.All(0, 0, l.panel.left, h, kBackground));
  EXPECT_TRUE(shot.All(l.panel.right, 0, w, h, kBackground));
  // Panel: its left and top edges inclusive, right and bottom exclusive.
  EXPECT_EQ(shot.At(l.panel.left, l.panel.top), kPanel);
  EXPECT_EQ(shot.At(l.panel.right - 1, l.panel.bottom - 1), kPanel);
  EXPECT_EQ(shot.At(l.panel.left - 1, cy), kBackground);
  EXPECT_EQ(shot.At(l.panel.right, cy), kBackground);
  EXPECT_EQ(shot.At(cx, l.panel.top - 1), kBackground);
  EXPECT_EQ(shot.At(cx, l.panel.bottom), kBackground);
  EXPECT_TRUE(shot.All(l.panel.left, l.panel.top, cx - 175, l.picture_bar.top, kPanel));
  // Bars, not hovered: their fill up to the tick rows.
  for (SearchBar bar : {SearchBar::kFolder, SearchBar::kPicture}) {
    const RECT& r = l.Bar(bar);
    EXPECT_EQ(shot.At(r.left - 1, r.top), kPanel);
    EXPECT_EQ(shot.At(r.right, r.top), kPanel);
    EXPECT_EQ(shot.At(cx, r.top - 1), kPanel);
    EXPECT_EQ(shot.At(cx, r.bottom), kPanel);
    EXPECT_TRUE(shot.All(r.left, r.top, r.right, r.top + 13, kBarFill));
    EXPECT_TRUE(shot.All(r.left, r.top + 17, r.right, r.bottom, kBarFill));
    EXPECT_TRUE(shot.All(r.left, r.top, l.half_w - 350, r.bottom, kBarFill));
  }
  EXPECT_EQ(s.rig.dlg.m_on_folder_bar, 0);
  EXPECT_EQ(s.rig.dlg.m_on_picture_bar, 0);
  // Picture 0 of folder 0, 100 x 100, previewed 350 x 350 in the centre.
  EXPECT_TRUE(shot.All(cx - 175, cy - 175, cx + 175, cy + 175, kA));
  EXPECT_EQ(shot.At(cx - 176, cy), kPanel);
  EXPECT_EQ(shot.At(cx + 175, cy), kPanel);
  EXPECT_EQ(shot.At(cx, cy - 176), kPanel);
  EXPECT_EQ(shot.At(cx, cy + 175), kPanel);
  EXPECT_EQ(s.rig.dlg.m_preview_w, 350);
  EXPECT_EQ(s.rig.dlg.m_preview_h, 350);
}

TEST_P(SearchFrameSizes, BarIsHighlightedWhileThePointerIsOnIt) {
  const auto [w, h] = GetParam();
  SearchRig s(w, h);
  FrameRig::SolidFolder(0, {kA}, 10, 10);
  s.Start();
  const RECT& folder = s.layout.folder_bar;
  const RECT& picture = s.layout.picture_bar;

  // Below the tick rows, left and right of the sight (37 wide around the pointer).
  auto all_beside_sight = [&](const Shot& shot, const RECT& bar, int top, Pixel color) {
    return shot.All(bar.left, top, s.Cx() - 19, top + 10, color) && shot.All(s.Cx() + 19, top, bar.right, top + 10, color);
  };
  s.PointAt({s.Cx(), folder.top + 2});
  Shot shot = s.Frame();
  EXPECT_EQ(s.rig.dlg.m_on_folder_bar, 1);
  EXPECT_EQ(s.rig.dlg.m_on_picture_bar, 0);
  EXPECT_TRUE(all_beside_sight(shot, folder, folder.bottom - 10, kHighlight));
  EXPECT_TRUE(shot.All(picture.left, picture.top, picture.right, picture.top + 10, kBarFill));

  s.PointAt({s.Cx(), picture.bottom - 2});
  shot = s.Frame();
  EXPECT_EQ(s.rig.dlg.m_on_folder_bar, 0);
  EXPECT_EQ(s.rig.dlg.m_on_picture_bar, 1);
  EXPECT_TRUE(shot.All(folder.left, folder.bottom - 10, folder.right, folder.bottom, kBarFill));
  EXPECT_TRUE(all_beside_sight(shot, picture, picture.top, kHighlight));

  s.Rest();
  shot = s.Frame();
  EXPECT_EQ(s.rig.dlg.m_on_picture_bar, 0);
  EXPECT_TRUE(shot.All(picture.left, picture.top, picture.right, picture.top + 10, kBarFill));
}

INSTANTIATE_TEST_SUITE_P(Screens, SearchFrameSizes,
                         testing::Values(std::make_pair(1280, 800), std::make_pair(1920, 1080)));

// Three folders, five pictures in folder 0: three folder ticks and five picture ticks, the
// selected ones red, plain ones in the bar's pen around the DC's white brush.
TEST(SearchFrame, TicksOnlyForExistingFoldersAndPictures) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA, kA, kA, kA, kA}, 10, 10);
  FrameRig::SolidFolder(1, {kB}, 10, 10);
  FrameRig::SolidFolder(2, {kC}, 10, 10);
  s.Start();
  s.rig.dlg.m_search_picture = 2;
  Shot shot = s.Frame();
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kFolder, kTickPen), 2 * 4);
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kFolder, kRed), 1 * 4);
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kTickPen), 4 * 4);
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kRed), 1 * 4);

  const RECT plain = TickSquare(s.layout, SearchBar::kFolder, 2);
  EXPECT_EQ(shot.At(plain.left, plain.top), kTickPen);
  EXPECT_EQ(shot.At(plain.right - 1, plain.bottom - 1), kTickPen);
  EXPECT_EQ(shot.At(plain.left + 1, plain.top + 1), kWhite);
  EXPECT_EQ(shot.At(plain.left + 2, plain.top + 2), kWhite);
  EXPECT_EQ(shot.At(plain.right, plain.top), kBarFill);
  const RECT selected = TickSquare(s.layout, SearchBar::kPicture, 3);
  EXPECT_EQ(shot.At(selected.left, selected.top), kRed);
  EXPECT_EQ(shot.At(selected.left + 1, selected.top + 1), kWhite);
  const RECT missing = TickSquare(s.layout, SearchBar::kFolder, 4);
  EXPECT_TRUE(shot.All(missing.left, missing.top, missing.right, missing.bottom, kBarFill));
  const RECT missing_picture = TickSquare(s.layout, SearchBar::kPicture, 6);
  EXPECT_TRUE(shot.All(missing_picture.left, missing_picture.top, missing_picture.right, missing_picture.bottom,
                       kBarFill));

  // The selected index in red below the panel (folders) and above it (pictures).
  EXPECT_GT(SearchRig::Ink(shot, HoverLabelOrigin(s.layout, SearchBar::kFolder, 1), 20, 30, kBackground), 20);
  EXPECT_GT(SearchRig::Ink(shot, HoverLabelOrigin(s.layout, SearchBar::kPicture, 3), 20, 30, kBackground), 20);
  // Only the selected ticks are labelled.
  EXPECT_EQ(SearchRig::Ink(shot, HoverLabelOrigin(s.layout, SearchBar::kFolder, 50), 40, 30, kBackground), 0);
  EXPECT_EQ(SearchRig::Ink(shot, HoverLabelOrigin(s.layout, SearchBar::kPicture, 50), 40, 30, kBackground), 0);
}

TEST(SearchFrame, APageBeyondTheLastFolderDrawsTheBarAndLabelsButNoTick) {
  SearchRig s;
  for (int f = 0; f < 3; ++f) FrameRig::SolidFolder(f, {kA}, 10, 10);
  s.Start();
  s.rig.dlg.m_folder_page = 1;
  Shot shot = s.Frame();
  const RECT& bar = s.layout.folder_bar;
  EXPECT_TRUE(shot.All(bar.left, bar.top, bar.right, bar.bottom, kBarFill));
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kFolder, kTickPen), 0);
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kFolder, kRed), 0);
  const int y = PageLabelY(s.layout, SearchBar::kFolder);
  const std::array<int, 5> xs = PageLabelXs(s.layout, SearchBar::kFolder);
  for (int x : xs) EXPECT_GT(SearchRig::Ink(shot, {x, y}, 30, 18, kPanel), 10) << x;
  // Nothing between the labels.
  EXPECT_EQ(SearchRig::Ink(shot, {xs[0] + 40, y}, xs[1] - xs[0] - 45, 18, kPanel), 0);
  // The picture bar still shows folder 0's picture.
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kRed), 4);
}

TEST(SearchFrame, PageLabelsFollowThePage) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 10, 10);
  s.Start();
  const int y = PageLabelY(s.layout, SearchBar::kPicture);
  const int x = PageLabelXs(s.layout, SearchBar::kPicture)[4];
  s.rig.dlg.m_picture_page = 0;
  Shot narrow = s.Frame();  // "99"
  s.rig.dlg.m_picture_page = 10;
  Shot wide = s.Frame();  // "1099"
  EXPECT_GT(SearchRig::Ink(wide, {x, y}, 60, 18, kPanel), SearchRig::Ink(narrow, {x, y}, 60, 18, kPanel));
  EXPECT_EQ(SearchRig::Ink(narrow, {x + 25, y}, 30, 18, kPanel), 0);
  EXPECT_GT(SearchRig::Ink(wide, {x + 25, y}, 30, 18, kPanel), 0);
}

// The pointer anywhere in tick i's window snaps to its centre, (xc, H/2 + 265); the sight then
// keeps it at H/2 + 264, still inside the window, so the tick stays hovered.
TEST(SearchFrame, PointerSnapsToTheHoveredTick) {
  SearchRig s;
  for (int f = 0; f < 8; ++f) FrameRig::SolidFolder(f, {kA}, 10, 10);
  s.Start();
  const POINT snap = TickSnapPoint(s.layout, SearchBar::kFolder, 5);

  // The folder bar alone on a bare buffer: the snap point itself.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP pixels = CreateCompatibleBitmap(dc, 1280, 800);
  HGDIOBJ previous = SelectObject(dc, pixels);
  s.PointAt({snap.x + 1, snap.y + 1});
  s.screen.FolderBar(dc, s.rig.dlg);
  EXPECT_EQ(s.Pointer().x, snap.x);
  EXPECT_EQ(s.Pointer().y, snap.y);
  EXPECT_EQ(s.rig.dlg.m_search_folder, 4);
  SelectObject(dc, previous);
  DeleteObject(pixels);
  DeleteDC(dc);

  // Whole frames.
  s.PointAt({snap.x - 1, snap.y - 1});
  Shot shot = s.Frame();
  EXPECT_EQ(s.Pointer().x, snap.x);
  EXPECT_EQ(s.Pointer().y, s.Cy() + 264);
  EXPECT_TRUE(InHoverWindow(s.layout, SearchBar::kFolder, 5, s.Pointer().x, s.Pointer().y));
  const RECT tick = TickSquare(s.layout, SearchBar::kFolder, 5);
  EXPECT_EQ(shot.At(tick.left, tick.top), kRed);
  shot = s.Frame();
  EXPECT_EQ(s.Pointer().x, snap.x);
  EXPECT_EQ(s.rig.dlg.m_search_folder, 4);
  const RECT before = TickSquare(s.layout, SearchBar::kFolder, 4);
  EXPECT_EQ(shot.At(before.left, before.top), kTickPen);
}

// Only y = H/2 + 264 .. 266 hovers a folder tick; above and below, the selection stays.
TEST(SearchFrame, HoverWindowIsThreePixelsHigh) {
  SearchRig s;
  for (int f = 0; f < 8; ++f) FrameRig::SolidFolder(f, {kA}, 10, 10);
  s.Start();
  const int x = TickCentreX(s.layout, 3);
  for (int y = s.Cy() + 261; y <= s.Cy() + 269; ++y) {
    SCOPED_TRACE(y - s.Cy());
    s.rig.dlg.m_search_folder = 7;
    s.PointAt({x, y});
    s.Frame();
    const bool inside = y >= s.Cy() + 264 && y <= s.Cy() + 266;
    EXPECT_EQ(s.rig.dlg.m_search_folder, inside ? 2 : 7);
  }
}

// Sliding along the folder bar picks a folder (pick 0, picture 0) and previews its first
// picture; the picture bar then picks one of its pictures on the page shown.
TEST(SearchFrame, SelectionOnBothBars) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 10, 10);
  std::vector<Pixel> many(130, kA);
  many[109] = kC;
  many[0] = kB;
  FrameRig::SolidFolder(1, many, 20, 20);
  s.Start();
  s.rig.dlg.m_search_picture = 7;

  s.PointAt(TickSnapPoint(s.layout, SearchBar::kFolder, 2));
  Shot shot = s.Frame();
  EXPECT_EQ(s.rig.dlg.m_search_folder, 1);
  EXPECT_EQ(s.rig.dlg.m_search_pick, 0);
  EXPECT_EQ(s.rig.dlg.m_search_picture, 0);
  EXPECT_EQ(shot.At(s.Cx(), s.Cy()), kB);
  // The picture bar counts folder 1 now: 100 ticks on page 0, picture 0 red.
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kTickPen) + s.TickPixels(shot, SearchBar::kPicture, kRed), 400);

  s.rig.dlg.m_picture_page = 1;
  s.PointAt(TickSnapPoint(s.layout, SearchBar::kPicture, 10));
  shot = s.Frame();
  EXPECT_EQ(s.rig.dlg.m_search_folder, 1);
  EXPECT_EQ(s.rig.dlg.m_search_pick, 1);
  EXPECT_EQ(s.rig.dlg.m_search_picture, 109);
  EXPECT_EQ(s.rig.dlg.m_on_picture_bar, 1);
  EXPECT_EQ(shot.At(s.Cx(), s.Cy()), kC);
  // Page 1 of 130 pictures: 30 ticks.
  // Outside the sight around tick 10: ticks 1..7 and 13..30.
  const int xc = TickCentreX(s.layout, 10);
  const int row = TickSquare(s.layout, SearchBar::kPicture, 1).top;
  const RECT& bar = s.layout.picture_bar;
  EXPECT_EQ(shot.Count(bar.left, row, xc - 19, row + 1, kTickPen) + shot.Count(xc + 19, row, bar.right, row + 1, kTickPen),
            (7 + 18) * 4);
  const RECT last = TickSquare(s.layout, SearchBar::kPicture, 30);
  EXPECT_EQ(shot.At(last.left, last.top), kTickPen);
  const RECT none = TickSquare(s.layout, SearchBar::kPicture, 31);
  EXPECT_TRUE(shot.All(none.left, none.top, none.right, none.bottom, kHighlight));

  // Leaving the bar keeps the selection, still previewed.
  s.Rest();
  shot = s.Frame();
  EXPECT_EQ(s.rig.dlg.m_search_picture, 109);
  EXPECT_EQ(shot.At(s.Cx(), s.Cy()), kC);
}

TEST(SearchFrame, RestingOnTheFolderBarResetsTheStripOffsetAtOnce) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA, kA, kA}, 10, 10);
  s.Start();
  s.rig.dlg.m_strip_offset = -2 * 1280;
  s.rig.dlg.m_search_picture = 2;
  s.rig.dlg.m_zoom_in = 1;
  s.rig.dlg.m_menu_shown = 1;

  // On the picture bar's active area: neither the offset nor the picture changes.
  s.PointAt({s.Cx(), s.layout.picture_bar.bottom - 2});
  s.Frame();
  EXPECT_EQ(s.rig.dlg.m_strip_offset, -2 * 1280);
  EXPECT_EQ(s.rig.dlg.m_search_picture, 2);
  EXPECT_EQ(s.rig.dlg.m_search_pick, 1);
  EXPECT_EQ(s.rig.dlg.m_menu_shown, 0);

  // On the folder bar, between ticks.
  s.rig.dlg.m_menu_shown = 1;
  s.PointAt({s.Cx(), s.layout.folder_bar.top - 5});
  s.Frame();
  EXPECT_EQ(s.rig.dlg.m_on_folder_bar, 1);
  EXPECT_EQ(s.rig.dlg.m_strip_offset, 0);
  EXPECT_EQ(s.rig.dlg.m_search_pick, 0);
  EXPECT_EQ(s.rig.dlg.m_search_picture, 0);
  EXPECT_EQ(s.rig.dlg.m_menu_shown, 0);
}

// 350 high, centred, aspect kept: a tall, a wide and a square picture.
TEST(SearchFrame, PreviewSizeAndPosition) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 200, 400);
  FrameRig::SolidFolder(1, {kB}, 700, 350);
  FrameRig::SolidFolder(2, {kC}, 100, 100);
  s.Start();
  struct Row {
    int folder;
    Pixel color;
    int left;
    int width;
  };
  const Row rows[] = {{0, kA, 553, 175}, {1, kB, 290, 700}, {2, kC, 465, 350}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.folder);
    s.rig.dlg.m_search_folder = r.folder;
    s.rig.dlg.m_search_picture = 0;
    s.rig.dlg.m_search_pick = 1;
    Shot shot = s.Frame();
    EXPECT_EQ(s.rig.dlg.m_preview_w, r.width);
    EXPECT_EQ(s.rig.dlg.m_preview_h, 350);
    EXPECT_TRUE(shot.All(r.left, 225, r.left + r.width, 575, r.color));
    EXPECT_EQ(shot.At(r.left - 1, 400), kPanel);
    EXPECT_EQ(shot.At(r.left + r.width, 400), kPanel);
    EXPECT_EQ(shot.At(640, 224), kPanel);
    EXPECT_EQ(shot.At(640, 575), kPanel);
  }
}

// A preview file that cannot be read, or a bitmap of no height, leaves the panel plain; the
// size of the last preview drawn stays.
TEST(SearchFrame, UnreadablePreviewIsNotDrawn) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 100, 100);
  frame_test::WriteBytes(FrameRig::Picture(1, 0), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
  frame_test::WriteBytes(FrameRig::Picture(2, 0), frame_test::SolidBitmapBytes(40, 0, kB));
  s.Start();
  ASSERT_EQ(s.rig.dlg.m_folder_count, 3);
  Shot shot = s.Frame();
  ASSERT_EQ(shot.At(640, 400), kA);
  for (int folder : {1, 2}) {
    SCOPED_TRACE(folder);
    s.rig.dlg.m_search_folder = folder;
    shot = s.Frame();
    EXPECT_TRUE(shot.All(300, 200, 900, 600, kPanel));
    EXPECT_EQ(s.rig.dlg.m_preview_w, 350);
  }
}

// The wheel handler turns the page of the bar under the pointer, within 0..10.
TEST(SearchFrame, WheelPagesStopAtZeroAndTen) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 10, 10);
  s.Start();
  for (SearchBar bar : {SearchBar::kFolder, SearchBar::kPicture}) {
    Relaxed<int>& page = bar == SearchBar::kFolder ? s.rig.dlg.m_folder_page : s.rig.dlg.m_picture_page;
    s.PointAt({s.Cx(), s.layout.Bar(bar).bottom - 2});
    s.Frame();
    for (int turn = 1; turn <= 13; ++turn) {
      s.rig.dlg.OnMouseWheel(0, 120, CPoint(s.Cx(), s.layout.Bar(bar).bottom - 2));
      EXPECT_EQ(page, std::min(turn, 10));
    }
    for (int turn = 1; turn <= 13; ++turn) {
      s.rig.dlg.OnMouseWheel(0, -120, CPoint(s.Cx(), s.layout.Bar(bar).bottom - 2));
      EXPECT_EQ(page, std::max(10 - turn, 0));
    }
  }
  EXPECT_EQ(s.rig.dlg.m_folder_page, 0);
  EXPECT_EQ(s.rig.dlg.m_picture_page, 0);
}

// Opening search seeds pick 1 on the current folder and picture; a press on the preview at once
// leaves search, and the render driver's jump returns to the same picture.
TEST(SearchFrame, PressOnThePreviewReturnsToTheSamePicture) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 10, 10);
  FrameRig::SolidFolder(1, {kA, kB, kC}, 100, 100);
  s.Start();
  COrvaleDlg& d = s.rig.dlg;
  d.m_folder = 1;
  d.m_strip_offset = -2 * 1280;
  s.rig.DriverStep();
  ASSERT_EQ(d.m_picture, 2);
  d.m_render_paused = 1;
  d.m_search_paused = 0;
  d.m_search_folder = 1;
  d.m_search_picture = 2;
  d.m_search_pick = 1;
  s.Frame();
  EXPECT_EQ(d.m_preview_w, 350);

  d.OnLButtonDown(0, CPoint(640, 400));
  EXPECT_EQ(d.m_search_paused, 1);
  EXPECT_EQ(d.m_render_paused, 0);
  d.m_strip_offset = 0;
  s.rig.DriverStep();
  EXPECT_EQ(d.m_folder, 1);
  EXPECT_EQ(d.m_strip_offset, -2 * 1280);
  EXPECT_EQ(d.m_picture, 2);
}

// A press on a bar leaves search at the folder picked there, on its first picture.
TEST(SearchFrame, PressOnTheFolderBarJumpsToThatFolder) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA, kA}, 10, 10);
  FrameRig::SolidFolder(1, {kB}, 10, 10);
  FrameRig::SolidFolder(2, {kC, kC, kC}, 10, 10);
  s.Start();
  COrvaleDlg& d = s.rig.dlg;
  d.m_strip_offset = -1280;
  s.PointAt(TickSnapPoint(s.layout, SearchBar::kFolder, 3));
  s.Frame();
  ASSERT_EQ(d.m_on_folder_bar, 1);
  POINT at = s.Pointer();
  d.OnLButtonDown(0, CPoint(at.x, at.y));
  EXPECT_EQ(d.m_search_paused, 1);
  s.rig.DriverStep();
  EXPECT_EQ(d.m_folder, 2);
  EXPECT_EQ(d.m_strip_offset, 0);
  EXPECT_EQ(d.m_picture, 0);
}

// Each frame deletes every pen, brush, font and DC it made; what stays between frames is the
// buffer and the previews of this frame and the one before.
TEST(SearchFrame, NoDrawingObjectGrowthOver1000Frames) {
  SearchRig s;
  for (int f = 0; f < 6; ++f) FrameRig::SolidFolder(f, {kA, kB, kC, kA, kB, kC}, 30, 20);
  s.Start();
  const int before = GdiLiveObjectCount();
  s.Frame();
  s.Frame();
  const int settled = GdiLiveObjectCount();
  EXPECT_EQ(settled, before + 2);  // the buffer and one preview
  int most = 0;
  for (int frame = 0; frame < 1000; ++frame) {
    const SearchBar bar = frame % 3 == 0 ? SearchBar::kPicture : SearchBar::kFolder;
    if (frame % 7 == 6) {
      s.Rest();
    } else {
      s.PointAt(TickSnapPoint(s.layout, bar, 1 + frame % 6));
    }
    s.Frame();
    most = std::max(most, GdiLiveObjectCount() - before);
  }
  EXPECT_LE(most, 1 + 4);  // two previews a frame at most, kept for one more frame
  s.rig.dlg.m_search_folder = 0;
  s.rig.dlg.m_search_picture = 0;
  s.rig.dlg.m_search_pick = 1;
  s.Rest();
  s.Frame();
  s.Frame();
  EXPECT_EQ(GdiLiveObjectCount(), settled);
  s.screen.Release();
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

// The search thread's step draws with the thread's own screen; resting lets it go.
TEST(SearchFrame, StepAndRestOnTheCallingThread) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 100, 100);
  s.Start();
  SearchBarRest();
  const int before = GdiLiveObjectCount();
  SearchBarStep(s.rig.dlg);
  SearchBarStep(s.rig.dlg);
  Shot shot = s.rig.Read();
  EXPECT_EQ(shot.At(5, 5), kBackground);
  EXPECT_EQ(shot.At(640, 400), kA);
  EXPECT_EQ(GdiLiveObjectCount(), before + 2);  // the buffer and one preview
  SearchBarRest();
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

namespace {

// What a frame reads and writes besides the pixels, to draw one state twice.
struct SearchState {
  int folder;
  int picture;
  int pick;
  int folder_page;
  int picture_page;
  POINT pointer;

  static SearchState Of(const COrvaleDlg& d) {
    POINT p;
    GetCursorPos(&p);
    return {d.m_search_folder, d.m_search_picture, d.m_search_pick, d.m_folder_page, d.m_picture_page, p};
  }
  void Apply(COrvaleDlg& d) const {
    d.m_search_folder = folder;
    d.m_search_picture = picture;
    d.m_search_pick = pick;
    d.m_folder_page = folder_page;
    d.m_picture_page = picture_page;
    SetCursorPos(pointer.x, pointer.y);
  }
};

}  // namespace

// A frame on the kept buffer refills only the label bands and what the frame before drew outside
// the panel; it must equal a frame drawn from scratch for every change of state.
TEST(SearchFrame, KeptBackgroundEqualsAFreshFrame) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA, kB}, 100, 100);
  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 0), 2000, 100, kA);  // 7000 wide: past both screen edges
  FrameRig::SolidFolder(1, {kC}, 100, 300);
  for (int f = 2; f < 5; ++f) FrameRig::SolidFolder(f, {kB}, 10, 10);
  s.Start();
  COrvaleDlg& d = s.rig.dlg;
  const POINT rest{s.Cx() + 330, s.Cy() + 200};
  const std::vector<SearchState> states = {
      {0, 0, 1, 0, 0, rest},
      {0, 1, 1, 0, 0, rest},
      {0, 0, 1, 0, 0, rest},
      {0, 0, 1, 0, 0, TickSnapPoint(s.layout, SearchBar::kFolder, 2)},
      {1, 0, 0, 0, 0, TickSnapPoint(s.layout, SearchBar::kPicture, 1)},
      {3, 0, 0, 0, 0, TickSnapPoint(s.layout, SearchBar::kFolder, 4)},
      {3, 0, 0, 1, 0, {5, 5}},
      {0, 0, 1, 0, 0, {s.Cx() - 380, s.Cy() - 290}},
      {0, 1, 1, 0, 0, rest},
  };
  for (std::size_t k = 0; k < states.size(); ++k) {
    SCOPED_TRACE(k);
    states[k].Apply(d);
    Shot kept = s.Frame();
    const SearchState after = SearchState::Of(d);
    states[k].Apply(d);
    SearchScreen fresh;
    fresh.Frame(d);
    Shot full = s.rig.Read();
    int differing = 0;
    for (std::size_t i = 0; i < full.pixels.size(); ++i) differing += kept.pixels[i] != full.pixels[i] ? 1 : 0;
    EXPECT_EQ(differing, 0);
    const SearchState again = SearchState::Of(d);
    EXPECT_EQ(again.folder, after.folder);
    EXPECT_EQ(again.pointer.x, after.pointer.x);
    EXPECT_EQ(again.pointer.y, after.pointer.y);
  }
}

// The picture bar counts its folder again once the folder's entries change, and not while they
// stay as they are.
TEST(SearchFrame, PictureBarCountsAgainWhenTheFolderChanges) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA, kA, kA}, 10, 10);
  s.Start();
  std::filesystem::last_write_time("album/0/", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  Shot shot = s.Frame();
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kTickPen), 2 * 4);
  s.Frame();
  s.Frame();
  EXPECT_EQ(s.screen.Counts().Recounts(), 1);

  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 3), 10, 10, kB);
  shot = s.Frame();
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kTickPen), 3 * 4);
  EXPECT_EQ(s.TickPixels(shot, SearchBar::kPicture, kRed), 4);
  EXPECT_EQ(s.screen.Counts().Recounts(), 2);
}

// With the worker threads running: the search thread draws the screen while search is shown,
// seeded from the viewer's folder and picture, and stops drawing once it is hidden.
TEST(SearchFrame, SearchThreadDrawsWhileShown) {
  SearchRig s;
  FrameRig::SolidFolder(0, {kA}, 10, 10);
  FrameRig::SolidFolder(1, {kB, kC}, 100, 100);
  s.Start();
  COrvaleDlg& d = s.rig.dlg;
  d.m_search_paused = 1;
  d.m_render_paused = 1;
  d.m_folder = 1;
  d.m_picture = 1;
  d.m_search_pick = kSearchNothingPicked;
  d.StartWorkerThreads();
  SetEvent(d.m_evt_search_sync);
  d.m_search_paused = 0;
  bool shown = false;
  for (int wait = 0; wait < 400 && !shown; ++wait) {
    Sleep(5);
    Shot shot = s.rig.Read();
    shown = shot.At(5, 5) == kBackground && shot.At(640, 400) == kC;
  }
  d.m_search_paused = 1;
  d.StopWorkerThreads();
  EXPECT_TRUE(shown);
  EXPECT_EQ(d.m_search_folder, 1);
  EXPECT_EQ(d.m_search_picture, 1);
  EXPECT_EQ(d.m_search_pick, 1);
}
