#include "interaction/ring_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/kernel/time.h"
#include "platform/window/window_system.h"
#include "tests/platform/gdi/gdi_test_support.h"
#include "tests/support/headless_session.h"

namespace {

constexpr int kW = 1280;
constexpr int kH = 800;
constexpr int kCx = kW / 2;
constexpr int kCy = kH / 2;
constexpr Pixel kBackground = 0x102030;
constexpr Pixel kGreen = 0x00FF00;
constexpr Pixel kYellow = 0xFFFF00;
constexpr Pixel kOrangeRed = 0xFF3700;

// A value no write of the menu produces: a field still holding it was left alone.
constexpr int kUntouched = 77;

// A clock the test sets by hand.
class ManualClock : public TickSource {
 public:
  ManualClock() { InstallTickSource(this); }
  ~ManualClock() override { InstallTickSource(nullptr); }
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;
  DWORD Now() const override { return m_now; }
  void Set(DWORD now) { m_now = now; }

 private:
  DWORD m_now = 0;
};

// The screen point of an item's centre.
POINT CentreOf(int item) {
  const RingItem& r = kRingItems[static_cast<std::size_t>(item)];
  return POINT{kCx + (r.left + r.right) / 2, kCy + (r.top + r.bottom) / 2};
}

// A point inside the ring that is on no item: between Exit and Rotate.
constexpr POINT kEmptySpace{kCx, kCy - 60};

// A headless screen, the viewer state sized to it and a memory DC of screen size.
class RingMenuTest : public ::testing::Test {
 protected:
  RingMenuTest() : session(kW, kH), canvas(kW, kH) {
    session.OpenWindow();
    state.m_screen_w = GetSystemMetrics(SM_CXSCREEN);
    state.m_screen_h = GetSystemMetrics(SM_CYSCREEN);
    FillSolidRect(canvas.dc(), 0, 0, kW, kH, ColorFromPixel(kBackground));
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), RGB(255, 255, 255));
  }

  // One frame with the pointer at p.
  void FrameAt(POINT p) {
    SetCursorPos(p.x, p.y);
    DrawRingMenu(state, canvas.dc());
  }

  // Puts kUntouched in every field the menu writes.
  void MarkFields() {
    for (ViewerState::Int* field :
         {&state.m_menu_exit_hot, &state.m_menu_search_hot, &state.m_mode, &state.m_record_mode,
          &state.m_record_armed, &state.m_playback, &state.m_zoom_in, &state.m_brightness, &state.m_dynam,
          &state.m_rand, &state.m_strip_auto, &state.m_strip_speed, &state.m_fixed_timer_armed}) {
      *field = kUntouched;
    }
    state.m_tick_fixed = kUntouched;
  }

  // The first pixel unlike the background going from (x, y) in steps of (dx, dy), 12 at most.
  Pixel FirstDrawn(int x, int y, int dx, int dy) const {
    for (int i = 0; i < 12; ++i, x += dx, y += dy) {
      if (canvas.At(x, y) != kBackground) return canvas.At(x, y);
    }
    return kBackground;
  }

  HeadlessSession session;
  gdi_test::Canvas canvas;
  ViewerState state;
};

}  // namespace

// ---- Item table and hit test ----------------------------------------------------------------

TEST(RingMenuTable, NineItemsInDrawingOrder) {
  const std::vector<std::string> labels{"Exit",   "Search", "Record", "Static", "Rotate",
                                        "Inside", "Dynam",  "Rand",   "Fixed"};
  ASSERT_EQ(kRingItems.size(), labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(kRingItems[i].label, labels[i]);
    EXPECT_EQ(kRingItems[i].right - kRingItems[i].left, 50) << labels[i];
    EXPECT_EQ(kRingItems[i].bottom - kRingItems[i].top, 50) << labels[i];
  }
  EXPECT_EQ(kRingItemPenColor, 0xFFFFu);
  EXPECT_EQ(kRingItemFillColor, 0xFF00u);
  EXPECT_EQ(kRingOutlineColor, 0x37FFu);
}

TEST(RingMenuHitTest, EachCentreSelectsItsItem) {
  for (int item = 0; item < static_cast<int>(kRingItems.size()); ++item) {
    const POINT c = CentreOf(item);
    EXPECT_EQ(RingItemAt(c.x, c.y, kCx, kCy), item) << kRingItems[static_cast<std::size_t>(item)].label;
  }
  EXPECT_EQ(RingItemAt(kEmptySpace.x, kEmptySpace.y, kCx, kCy), kRingNone);
  EXPECT_EQ(RingItemAt(kCx, kCy, 0, 0), kRingNone);
  EXPECT_EQ(RingItemAt(0, 0, 0, 0), kRingRotate);
}

TEST(RingMenuHitTest, SquareEdgesSelectNothing) {
  struct Case {
    int x, y, expected;
  };
  // Exit's square is (615, 255)-(665, 305), Record's (445, 375)-(495, 425), Fixed's (725, 465)-(775, 515).
  const std::vector<Case> cases{
      {615, 280, kRingNone},  {616, 280, kRingExit},  {665, 280, kRingNone},  {664, 280, kRingExit},
      {640, 255, kRingNone},  {640, 256, kRingExit},  {640, 305, kRingNone},  {640, 304, kRingExit},
      {615, 255, kRingNone},  {616, 256, kRingExit},  {664, 304, kRingExit},  {665, 305, kRingNone},
      {445, 400, kRingNone},  {446, 400, kRingRecord}, {495, 400, kRingNone}, {494, 400, kRingRecord},
      {470, 375, kRingNone},  {470, 376, kRingRecord}, {470, 425, kRingNone}, {470, 424, kRingRecord},
      {725, 490, kRingNone},  {726, 490, kRingFixed}, {775, 490, kRingNone},  {774, 490, kRingFixed},
      {750, 465, kRingNone},  {750, 466, kRingFixed}, {750, 515, kRingNone},  {750, 514, kRingFixed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RingItemAt(c.x, c.y, kCx, kCy), c.expected) << "at " << c.x << "," << c.y;
  }
}

TEST(RingMenuHitTest, CentreIsHalfTheScreenTruncated) {
  ViewerState state;
  state.m_screen_w = 1281;
  state.m_screen_h = 801;
  // With the centre at (640, 400) Exit's left edge is x = 615.
  RingMenuHitTest(state, 615, 280);
  EXPECT_EQ(state.m_menu_exit_hot, 0);
  RingMenuHitTest(state, 616, 280);
  EXPECT_EQ(state.m_menu_exit_hot, 1);
}

// ---- Fields written per frame ---------------------------------------------------------------

TEST_F(RingMenuTest, EachItemWritesItsFields) {
  constexpr int K = kUntouched;
  constexpr int kSaved = 200;
  struct Case {
    const char* name;
    POINT at;
    int exit_hot, search_hot, mode, record_mode, record_armed, playback, zoom_in, brightness, dynam, rand,
        strip_auto, strip_speed, fixed_armed;
    DWORD tick_fixed;
  };
  // Every field is marked first; K means the frame left it alone. The Fixed timer is not armed
  // here (K is not 1), so Fixed does not stamp it.
  const std::vector<Case> cases{
      //  name        at                        exit srch mode rec arm play zoom bri dyn rnd auto spd fixarm tick
      {"Exit", CentreOf(kRingExit), 1, 0, 0, 0, K, K, 0, K, 0, 0, 0, 5, 1, K},
      {"Search", CentreOf(kRingSearch), 0, 1, 0, 0, K, K, 0, K, 0, 0, 0, 5, 1, K},
      {"Record", CentreOf(kRingRecord), 0, 0, 0, 1, 0, 0, 1, K, 0, 0, 0, 5, 1, K},
      {"Static", CentreOf(kRingStatic), 0, 0, 1, 0, 0, 0, 0, K, K, K, 0, K, K, K},
      {"Rotate", CentreOf(kRingRotate), 0, 0, 0, 0, K, K, 0, kSaved, 0, 0, 0, 5, 1, K},
      {"Inside", CentreOf(kRingInside), 0, 0, 5, 0, 0, 1, 0, K, K, 0, 1, K, K, K},
      {"Dynam", CentreOf(kRingDynam), 0, 0, 333, 0, K, 1, 0, K, 1, K, 1, 50, K, K},
      {"Rand", CentreOf(kRingRand), 0, 0, 4, 0, 0, 1, 0, K, K, 1, 1, K, K, K},
      {"Fixed", CentreOf(kRingFixed), 0, 0, 3, 0, K, 1, 0, K, K, K, K, K, K, K},
      {"empty space", kEmptySpace, 0, 0, 0, 0, K, K, 0, K, 0, 0, 0, 5, 1, K},
      {"outside the ring", POINT{10, 10}, 0, 0, 0, 0, K, K, 0, K, 0, 0, 0, 5, 1, K},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MarkFields();
    state.m_brightness_saved = kSaved;
    FrameAt(c.at);
    EXPECT_EQ(state.m_menu_exit_hot, c.exit_hot);
    EXPECT_EQ(state.m_menu_search_hot, c.search_hot);
    EXPECT_EQ(state.m_mode, c.mode);
    EXPECT_EQ(state.m_record_mode, c.record_mode);
    EXPECT_EQ(state.m_record_armed, c.record_armed);
    EXPECT_EQ(state.m_playback, c.playback);
    EXPECT_EQ(state.m_zoom_in, c.zoom_in);
    EXPECT_EQ(state.m_brightness, c.brightness);
    EXPECT_EQ(state.m_dynam, c.dynam);
    EXPECT_EQ(state.m_rand, c.rand);
    EXPECT_EQ(state.m_strip_auto, c.strip_auto);
    EXPECT_EQ(state.m_strip_speed, c.strip_speed);
    EXPECT_EQ(state.m_fixed_timer_armed, c.fixed_armed);
    EXPECT_EQ(state.m_tick_fixed, c.tick_fixed);
  }
}

TEST_F(RingMenuTest, HotFlagsFollowThePointerEveryFrame) {
  FrameAt(CentreOf(kRingExit));
  EXPECT_EQ(state.m_menu_exit_hot, 1);
  FrameAt(CentreOf(kRingSearch));
  EXPECT_EQ(state.m_menu_exit_hot, 0);
  EXPECT_EQ(state.m_menu_search_hot, 1);
  FrameAt(CentreOf(kRingRotate));
  EXPECT_EQ(state.m_menu_exit_hot, 0);
  EXPECT_EQ(state.m_menu_search_hot, 0);
}

TEST_F(RingMenuTest, FixedTimerStartsOnTheFirstRestOnFixed) {
  ManualClock clock;
  EXPECT_EQ(state.m_fixed_timer_armed, 0);
  // No mode item under the pointer arms the timer.
  clock.Set(500);
  FrameAt(kEmptySpace);
  EXPECT_EQ(state.m_fixed_timer_armed, 1);
  EXPECT_EQ(state.m_tick_fixed, 0u);

  clock.Set(1000);
  FrameAt(CentreOf(kRingFixed));
  EXPECT_EQ(state.m_tick_fixed, 1000u);
  EXPECT_EQ(state.m_fixed_timer_armed, 0);
  clock.Set(1500);
  FrameAt(CentreOf(kRingFixed));
  EXPECT_EQ(state.m_tick_fixed, 1000u);

  // Straight from Fixed to Dynam and back: the timer keeps its start.
  clock.Set(2000);
  FrameAt(CentreOf(kRingDynam));
  EXPECT_EQ(state.m_fixed_timer_armed, 0);
  clock.Set(2500);
  FrameAt(CentreOf(kRingFixed));
  EXPECT_EQ(state.m_tick_fixed, 1000u);
  EXPECT_EQ(state.m_mode, kModeFixed);

  // Over Record (none of the five mode items) re-arms it; the next rest on Fixed restarts it.
  clock.Set(3000);
  FrameAt(CentreOf(kRingRecord));
  EXPECT_EQ(state.m_fixed_timer_armed, 1);
  EXPECT_EQ(state.m_tick_fixed, 1000u);
  clock.Set(3500);
  FrameAt(CentreOf(kRingFixed));
  EXPECT_EQ(state.m_tick_fixed, 3500u);
  EXPECT_EQ(state.m_fixed_timer_armed, 0);
}

TEST_F(RingMenuTest, FixedStampsAtOnceWhenTheRightPressArmedTheTimer) {
  ManualClock clock;
  clock.Set(0xFFFFFFF0u);
  state.m_fixed_timer_armed = 1;
  FrameAt(CentreOf(kRingFixed));
  EXPECT_EQ(state.m_tick_fixed, 0xFFFFFFF0u);
  EXPECT_EQ(state.m_fixed_timer_armed, 0);
  EXPECT_EQ(state.m_playback, 1);
  EXPECT_EQ(state.m_mode, kModeFixed);
}

TEST_F(RingMenuTest, EmptySpaceInsideTheRingIsRotateWithoutTheBrightness) {
  auto setUp = [&] {
    state.m_mode = kModeDynam;
    state.m_record_mode = 1;
    state.m_zoom_in = 1;
    state.m_brightness = 100;
    state.m_brightness_saved = 255;
  };
  setUp();
  FrameAt(kEmptySpace);
  EXPECT_EQ(state.m_mode, kModeNormal);
  EXPECT_EQ(state.m_record_mode, 0);
  EXPECT_EQ(state.m_zoom_in, 0);
  EXPECT_EQ(state.m_brightness, 100);

  setUp();
  FrameAt(CentreOf(kRingRotate));
  EXPECT_EQ(state.m_mode, kModeNormal);
  EXPECT_EQ(state.m_record_mode, 0);
  EXPECT_EQ(state.m_zoom_in, 0);
  EXPECT_EQ(state.m_brightness, 255);
}

TEST_F(RingMenuTest, RestingOnRecordLeavesRecordModeOnWithZoomIn) {
  state.m_record_armed = 1;
  state.m_playback = 1;
  state.m_strip_auto = 1;
  for (int frame = 0; frame < 5; ++frame) FrameAt(CentreOf(kRingRecord));
  EXPECT_EQ(state.m_record_mode, 1);
  EXPECT_EQ(state.m_zoom_in, 1);
  EXPECT_EQ(state.m_record_armed, 0);
  EXPECT_EQ(state.m_playback, 0);
  EXPECT_EQ(state.m_strip_auto, 0);
  EXPECT_EQ(state.m_mode, kModeNormal);

  // One frame elsewhere cancels both.
  FrameAt(CentreOf(kRingStatic));
  EXPECT_EQ(state.m_record_mode, 0);
  EXPECT_EQ(state.m_zoom_in, 0);
}

// ---- Drawing --------------------------------------------------------------------------------

TEST_F(RingMenuTest, DrawsNineGreenCirclesWithYellowRims) {
  FrameAt(POINT{kCx, kCy});
  for (int item = 0; item < static_cast<int>(kRingItems.size()); ++item) {
    const RingItem& r = kRingItems[static_cast<std::size_t>(item)];
    SCOPED_TRACE(std::string(r.label));
    const POINT c = CentreOf(item);
    // The label covers the middle rows; above it the circle's inside is plain.
    for (int dx : {-10, 0, 10}) EXPECT_EQ(canvas.At(c.x + dx, c.y - 12), kGreen) << dx;
    for (int dy : {-16, -14}) EXPECT_EQ(canvas.At(c.x, c.y + dy), kGreen) << dy;
    // The rims: the width-3 pen is centred on the square's edges.
    EXPECT_EQ(canvas.At(c.x, kCy + r.top), kYellow);
    EXPECT_EQ(canvas.At(c.x, kCy + r.bottom - 1), kYellow);
    EXPECT_EQ(canvas.At(kCx + r.left, c.y - 4), kYellow);
    // Coming in from outside the square, the first pixel drawn on each side is the rim's; left
    // and right on a row above the label, since a long label runs over the right rim.
    EXPECT_EQ(FirstDrawn(c.x, kCy + r.top - 3, 0, 1), kYellow);
    EXPECT_EQ(FirstDrawn(c.x, kCy + r.bottom + 2, 0, -1), kYellow);
    EXPECT_EQ(FirstDrawn(kCx + r.left - 3, c.y - 14, 1, 0), kYellow);
    EXPECT_EQ(FirstDrawn(kCx + r.right + 2, c.y - 14, -1, 0), kYellow);
    // The square's corners lie outside the circle.
    EXPECT_EQ(canvas.At(kCx + r.left + 1, kCy + r.top + 1), kBackground);
    EXPECT_EQ(canvas.At(kCx + r.right - 2, kCy + r.bottom - 2), kBackground);
  }
}

TEST_F(RingMenuTest, DrawsTheOutlineDotted) {
  FrameAt(POINT{kCx, kCy});
  struct Side {
    const char* name;
    int x0, y0, dx, dy;  // 41 pixels from (x0, y0) in steps of (dx, dy)
  };
  const std::vector<Side> sides{
      {"top", kCx - 20, kCy - 150, 1, 0},
      {"bottom", kCx - 20, kCy + 149, 1, 0},
      {"left", kCx - 200, kCy - 20, 0, 1},
      {"right", kCx + 199, kCy - 20, 0, 1},
  };
  for (const Side& side : sides) {
    SCOPED_TRACE(side.name);
    int orange = 0;
    int other = 0;
    for (int i = 0; i <= 40; ++i) {
      const Pixel p = canvas.At(side.x0 + i * side.dx, side.y0 + i * side.dy);
      if (p == kOrangeRed) {
        ++orange;
      } else {
        EXPECT_EQ(p, kBackground);  // a gap of the dots
        ++other;
      }
    }
    EXPECT_GT(orange, 0);
    EXPECT_GT(other, 0);
  }
  // The hollow brush leaves the space between the items as it was.
  EXPECT_EQ(canvas.At(kEmptySpace.x, kEmptySpace.y), kBackground);
  EXPECT_EQ(canvas.At(kCx + 60, kCy), kBackground);
}

TEST_F(RingMenuTest, LeavesPixelsOutsideTheRingUntouched) {
  FrameAt(POINT{kCx, kCy});
  const PixelBuffer pixels = canvas.pixels();
  int changed = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const bool inBox = x >= kCx - 200 && x < kCx + 200 && y >= kCy - 150 && y < kCy + 150;
      if (!inBox && pixels.Row(y)[x] != kBackground) ++changed;
    }
  }
  EXPECT_EQ(changed, 0);
  // Inside the box but outside the ellipse: its corners.
  EXPECT_EQ(canvas.At(kCx - 195, kCy - 145), kBackground);
  EXPECT_EQ(canvas.At(kCx + 195, kCy + 145), kBackground);
  EXPECT_EQ(canvas.At(kCx - 195, kCy + 145), kBackground);
  EXPECT_EQ(canvas.At(kCx + 195, kCy - 145), kBackground);
}

TEST_F(RingMenuTest, LabelsUseTheDcsTextColour) {
  SIZE extent{};
  if (!GetTextExtentPoint32W(canvas.dc(), "Exit", -1, &extent) || extent.cx == 0) {
    GTEST_SKIP() << "no font available";
  }
  FrameAt(POINT{kCx, kCy});
  for (const RingItem& r : kRingItems) {
    SCOPED_TRACE(std::string(r.label));
    int white = 0;
    for (int y = kCy + r.top; y < kCy + r.bottom; ++y) {
      for (int x = kCx + r.left - 1; x <= kCx + r.right; ++x) {
        if (canvas.At(x, y) == 0xFFFFFF) ++white;
      }
    }
    EXPECT_GT(white, 0);
  }
}

// ---- Objects --------------------------------------------------------------------------------

TEST_F(RingMenuTest, DeletesWhatItCreatesAndRestoresThePenAndBrush) {
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HGDIOBJ oldPen = SelectObject(canvas.dc(), static_cast<HGDIOBJ>(pen));
  HGDIOBJ oldBrush = SelectObject(canvas.dc(), static_cast<HGDIOBJ>(brush));
  const int live = GdiLiveObjectCount();
  SetCursorPos(kCx, kCy);
  for (int frame = 0; frame < 100; ++frame) DrawRingMenu(state, canvas.dc());
  EXPECT_EQ(GdiLiveObjectCount(), live);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PEN), static_cast<HGDIOBJ>(pen));
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_BRUSH), static_cast<HGDIOBJ>(brush));

  // The DC's defaults are restored as well.
  SelectObject(canvas.dc(), oldPen);
  SelectObject(canvas.dc(), oldBrush);
  DrawRingMenu(state, canvas.dc());
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PEN), oldPen);
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_BRUSH), oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  EXPECT_EQ(GdiLiveObjectCount(), live - 2);
}

TEST_F(RingMenuTest, WithoutADcStillHitTestsAndLeaksNothing) {
  const int live = GdiLiveObjectCount();
  SetCursorPos(CentreOf(kRingExit).x, CentreOf(kRingExit).y);
  DrawRingMenu(state, nullptr);
  EXPECT_EQ(GdiLiveObjectCount(), live);
  EXPECT_EQ(state.m_menu_exit_hot, 1);
}
