#include "render/motion_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr int kW = 1280;
constexpr int kH = 800;

// One folder (folder 0) of `pictures` pictures on a 1280 x 800 screen; the album tables hold
// `table_pictures` entries (fewer when pictures were added after start-up).
void InitFolder(ViewerState& s, int pictures, int table_pictures = -1) {
  s.m_screen_w = kW;
  s.m_screen_h = kH;
  s.m_screen_cx = kW;
  s.m_screen_cy = kH;
  s.m_folder = 0;
  s.m_folder_count = 1;
  s.m_picture_count = pictures;
  const std::vector<int> counts{table_pictures < 0 ? pictures : table_pictures};
  s.m_zoom_table.Allocate(counts, 1, kDefaultZoomTarget);
  s.m_recorded_table.Allocate(counts, 1, 0);
  s.m_pan_table.Allocate(counts, 1, PanOffset{});
}

// A random source that must not be asked.
int NoRandom() {
  ADD_FAILURE() << "random source asked";
  return 0;
}

// One frame of the strip as the renderer runs it: the automatic advance with the previous
// frame's L, then the geometry that gives this frame's L.
int AdvanceFrame(ViewerState& s, int left_prev, const RandomSource& random = NoRandom) {
  AutoAdvance(s, left_prev, random);
  const StripView view =
      StripGeometry(s.m_screen_w, s.m_strip_offset, s.m_strip_origin, s.m_picture_count);
  s.m_left_index = view.left_index;
  return view.left_index;
}

// d of the brightness fade: the distance from the strip's half-way point.
int HalfWayDistance(const ViewerState& s) {
  return (s.m_strip_origin - s.m_strip_offset) % s.m_screen_w - s.m_screen_w / 2;
}

}  // namespace

// ---- Strip geometry -------------------------------------------------------------------------

TEST(MotionStripGeometry, SlotsAndCurrentPictureFollowTheOffset) {
  struct Case {
    int w, r, n;
    int left, picture, fraction;
    bool left_current;
    int step, left_file, right_file;
  };
  const Case cases[] = {
      {1280, 0, 5, 0, 0, 0, true, -1, 0, 1},         // at rest: neighbour step -1, |0 - 1| = 1
      {1280, -3 * 1280, 5, 3, 3, 0, true, 1, 3, 4},  // R = -3W shows picture 3
      {1280, -3 * 1280, 4, 3, 3, 0, true, 1, 3, 3},  // last picture: shown in both slots
      {1280, -2 * 1280, 4, 2, 2, 0, true, 1, 2, 3},  // one before the last
      {1280, -639, 5, 0, 0, 639, true, 1, 0, 1},     // just below the half-way point
      {1280, -640, 5, 0, 1, 640, false, 1, 0, 1},    // at it the right slot is current
      {1280, -1000, 5, 0, 1, 1000, false, 1, 0, 1},
      {1281, -639, 5, 0, 0, 639, true, 1, 0, 1},  // odd width: W/2 = 640
      {1281, -640, 5, 0, 1, 640, false, 1, 0, 1},
      {1280, 300, 5, 0, 0, -300, true, -1, 0, 1},     // pushed back past picture 0: 1 beside 0
      {1280, 1280, 5, -1, 0, 0, true, -1, 1, 2},      // (640 - 1280) / 1280 truncates to 0
      {1280, 2000, 5, -1, -1, -720, true, -1, 1, 2},  // truncation, not floor: L = -1, f = -720
  };
  for (const Case& c : cases) {
    const StripView v = StripGeometry(c.w, c.r, 0, c.n);
    SCOPED_TRACE(testing::Message() << "W=" << c.w << " R=" << c.r << " n=" << c.n);
    EXPECT_EQ(v.left_index, c.left);
    EXPECT_EQ(v.picture, c.picture);
    EXPECT_EQ(v.fraction, c.fraction);
    EXPECT_EQ(v.left_current, c.left_current);
    EXPECT_EQ(v.neighbour_step, c.step);
    EXPECT_EQ(v.left_file, c.left_file);
    EXPECT_EQ(v.right_file, c.right_file);
  }
}

TEST(MotionStripGeometry, ZeroWidthGivesAllZeroInsteadOfDividing) {
  const StripView v = StripGeometry(0, -500, 0, 3);
  EXPECT_EQ(v.left_index, 0);
  EXPECT_EQ(v.picture, 0);
  EXPECT_EQ(v.fraction, 0);
}

TEST(MotionStripGeometry, RightSlotPictureStaysInsideTheFolder) {
  const int cases[][3] = {{0, 3, 1}, {1, 3, 2}, {2, 3, 2}, {0, 1, 0}, {0, 0, 0}, {-1, 3, 0}};
  for (const auto& c : cases) EXPECT_EQ(RightSlotPicture(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

// ---- Automatic advance ----------------------------------------------------------------------

TEST(MotionAutoAdvance, InsideRunsForwardToTheLastPictureBackToTheFirstAndForwardAgain) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_strip_auto = 1;
  s.m_mode = kModeInside;
  s.m_strip_speed = 5;
  std::vector<int> offsets;
  int left = 0;
  for (int frame = 0; frame < 1100; ++frame) {
    left = AdvanceFrame(s, left);
    offsets.push_back(s.m_strip_offset);
  }
  // Forward: 5 px per frame until the last picture fills the screen (R = -2W), then back.
  EXPECT_EQ(offsets[0], -5);
  EXPECT_EQ(offsets[511], -2560);
  EXPECT_EQ(offsets[512], -2555);
  EXPECT_EQ(*std::min_element(offsets.begin(), offsets.end()), -2560);
  // Back: past picture 0 by one step, then forward again.
  EXPECT_EQ(offsets[1023], 0);
  EXPECT_EQ(offsets[1024], 5);
  EXPECT_EQ(offsets[1025], -5);
  EXPECT_EQ(offsets[1026], -10);
  EXPECT_EQ(*std::max_element(offsets.begin(), offsets.end()), 5);
  EXPECT_EQ(s.m_strip_reverse, 0);
}

TEST(MotionAutoAdvance, DoesNothingUnlessTheStripRunsByItself) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_strip_auto = 0;
  s.m_mode = kModeInside;
  s.m_strip_offset = -600;
  s.m_brightness = 100;
  AutoAdvance(s, 0, NoRandom);
  EXPECT_EQ(s.m_strip_offset, -600);
  EXPECT_EQ(s.m_brightness, 100);
}

TEST(MotionAutoAdvance, RandJumpsToTheFolderTheRandomSourcePicksAtItsFirstPicture) {
  struct Case {
    int random, folders, folder;
  };
  const Case cases[] = {{23, 7, 2}, {6, 7, 6}, {0, 7, 0}, {-5, 7, 2}, {41, 1, 0}};
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_folder_count = c.folders;
    s.m_folder = 4;
    s.m_strip_auto = 1;
    s.m_rand = 1;
    s.m_mode = kModeRand;
    s.m_strip_offset = -2560;
    int asked = 0;
    AutoAdvance(s, 2, [&] {
      ++asked;
      return c.random;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(s.m_folder, c.folder) << c.random << " % " << c.folders;
    EXPECT_EQ(s.m_strip_offset, 0);  // the folder's saved offset is not used
  }
}

TEST(MotionAutoAdvance, RandWithNoFoldersStaysAtFolderZero) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_folder_count = 0;
  s.m_strip_auto = 1;
  s.m_rand = 1;
  s.m_mode = kModeRand;
  s.m_strip_offset = -2560;
  AutoAdvance(s, 2, [] { return 12345; });
  EXPECT_EQ(s.m_folder, 0);
  EXPECT_EQ(s.m_strip_offset, 0);
}

TEST(MotionAutoAdvance, RandWithTheDefaultSourceLandsOnAnExistingFolder) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_folder_count = 5;
  s.m_strip_auto = 1;
  s.m_rand = 1;
  AutoAdvance(s, 2);
  EXPECT_GE(s.m_folder, 0);
  EXPECT_LT(s.m_folder, 5);
}

TEST(MotionAutoAdvance, OnePictureFolderBouncesOnPictureZero) {
  // Every frame is at the last picture: R += s, and while R > 0 also R -= s. So the strip
  // comes back to 0 from below and stays put above it.
  const int cases[][2] = {{0, 0}, {-600, 0}, {40, 40}};
  for (const auto [start, end] : cases) {
    ViewerState s;
    InitFolder(s, 1);
    s.m_strip_auto = 1;
    s.m_mode = kModeInside;
    s.m_strip_offset = start;
    int left = 0;
    for (int frame = 0; frame < 300; ++frame) {
      left = AdvanceFrame(s, left);
      EXPECT_EQ(left, 0);
      EXPECT_LE(s.m_strip_offset, std::max(start, 0));
    }
    EXPECT_EQ(s.m_strip_offset, end) << "from " << start;
  }
}

TEST(MotionAutoAdvance, OnePictureFolderInRandJumpsEveryFrame) {
  ViewerState s;
  InitFolder(s, 1);
  s.m_folder_count = 9;
  s.m_strip_auto = 1;
  s.m_rand = 1;
  s.m_mode = kModeRand;
  int asked = 0;
  for (int frame = 0; frame < 10; ++frame) AdvanceFrame(s, 0, [&] { return ++asked; });
  EXPECT_EQ(asked, 10);
  EXPECT_EQ(s.m_folder, 10 % 9);
  EXPECT_EQ(s.m_strip_offset, 0);
}

// ---- Brightness fade ------------------------------------------------------------------------

TEST(MotionFade, SingleStepsStayWithinZeroAndTheSavedBrightness) {
  struct Case {
    int b, bmax, s, out, in;
  };
  const Case cases[] = {
      {255, 255, 5, 240, 255}, {15, 255, 5, 0, 30},     {20, 255, 5, 5, 35},    {4, 255, 5, 0, 19},
      {0, 255, 5, 0, 15},      {250, 255, 5, 235, 255}, {100, 100, 1, 95, 100}, {0, 100, 1, 0, 5},
      {300, 255, 5, 285, 255},  // above the maximum: fading in brings it down to it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "B=" << c.b << " Bmax=" << c.bmax << " s=" << c.s);
    EXPECT_EQ(FadeOutStep(c.b, c.bmax, c.s), c.out);
    EXPECT_EQ(FadeInStep(c.b, c.bmax, c.s), c.in);
  }
}

TEST(MotionFade, BrightnessStaysWithinRangeOverWholePassesAndIsFullAwayFromHalfWayPoints) {
  for (const int mode : {kModeRand, kModeInside}) {
    for (const int bmax : {255, 100, 30, 7}) {
      for (const int speed : {1, 5, 10}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " Bmax=" << bmax << " s=" << speed);
        ViewerState s;
        InitFolder(s, 4);
        s.m_strip_auto = 1;
        s.m_mode = mode;
        s.m_strip_speed = speed;
        s.m_brightness_saved = bmax;
        s.m_brightness = bmax;
        const int k = 15 * speed + 10;
        int left = 0;
        int lowest_in_window = bmax;
        int windows = 0;
        bool in_window = false;
        // Forward to the last picture and back to the first (Inside), once round.
        const int frames = 2 * 3 * kW / speed + 10;
        for (int frame = 0; frame < frames; ++frame) {
          left = AdvanceFrame(s, left);
          const int b = s.m_brightness;
          ASSERT_GE(b, 0) << "frame " << frame;
          ASSERT_LE(b, bmax) << "frame " << frame;
          const int d = HalfWayDistance(s);
          if (-k < d && d < k) {
            lowest_in_window = std::min(lowest_in_window, b);
            in_window = true;
          } else {
            ASSERT_EQ(b, bmax) << "frame " << frame << " d=" << d;
            if (in_window) ++windows;
            in_window = false;
          }
        }
        EXPECT_EQ(windows, 6);  // three half-way points each way
        EXPECT_LE(lowest_in_window, bmax / 25 + speed);
      }
    }
  }
}

TEST(MotionFade, DimsInTheLast85PixelsBeforeTheHalfWayPointAndReturnsAfterIt) {
  // Bmax 255, s 5: steps of 15. Starting 2 px off the 5-px grid, 17 frames fall inside
  // (-85, 0), enough to reach black; on the grid only 16 do and the fade bottoms at 15.
  struct Case {
    int start_offset;
    int lowest;
  };
  for (const Case c : {Case{-2, 0}, Case{-4, 0}, Case{0, 15}}) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_strip_auto = 1;
    s.m_mode = kModeInside;
    s.m_strip_speed = 5;
    s.m_strip_offset = c.start_offset;
    int left = 0;
    int lowest = 255;
    int prev_b = 255;
    while (HalfWayDistance(s) < 85) {
      left = AdvanceFrame(s, left);
      const int d = HalfWayDistance(s);
      const int b = s.m_brightness;
      int expected = prev_b;
      if (d <= -85) expected = 255;
      if (-85 < d && d < 0) expected = std::max(prev_b - 15, 0);
      if (0 < d && d < 85) expected = std::min(prev_b + 15, 255);
      EXPECT_EQ(b, expected) << "d=" << d;
      lowest = std::min(lowest, b);
      prev_b = b;
    }
    EXPECT_EQ(lowest, c.lowest) << "start " << c.start_offset;
    EXPECT_EQ(s.m_brightness, 255);
  }
}

TEST(MotionFade, RunningBackwardFadesOutAfterTheHalfWayPointInstead) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_strip_auto = 1;
  s.m_mode = kModeInside;
  s.m_strip_speed = 5;
  s.m_strip_reverse = 1;
  s.m_strip_offset = -700;  // d = 55 once moved back toward picture 0
  AutoAdvance(s, 0, NoRandom);
  EXPECT_EQ(s.m_strip_offset, -695);
  EXPECT_EQ(s.m_brightness, 240);
  s.m_strip_offset = -600;  // d = -40 once moved: fade in
  AutoAdvance(s, 0, NoRandom);
  EXPECT_EQ(s.m_brightness, 255);
}

TEST(MotionFade, OnlyRandAndInsideFade) {
  for (const int mode : {kModeNormal, kModeFixed, kModeDynam}) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_strip_auto = 1;
    s.m_mode = mode;
    s.m_strip_offset = -600;
    AutoAdvance(s, 0, NoRandom);
    EXPECT_EQ(s.m_brightness, 255) << "mode " << mode;
  }
}

// ---- Strip push -----------------------------------------------------------------------------

TEST(MotionStripPush, DynamPushesChangeTheSpeed) {
  struct Case {
    int speed, dir, after;
  };
  const Case cases[] = {
      {10, 2, 0}, {20, 2, 10},   {15, 2, 5},    {5, 2, 5},     {0, 2, 0},
      {0, 1, 10}, {690, 1, 700}, {700, 1, 700}, {695, 1, 705},  // below 700 still adds 10
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 5);
    s.m_dynam = 1;
    s.m_mode = kModeDynam;
    s.m_strip_speed = c.speed;
    s.m_strip_dir = c.dir;
    s.m_strip_offset = -100;
    StripPush(s);
    EXPECT_EQ(s.m_strip_speed, c.after) << c.speed << " dir " << c.dir;
    EXPECT_EQ(s.m_strip_offset, -100);
    EXPECT_EQ(s.m_strip_dir, 0);
  }
}

TEST(MotionStripPush, DynamForwardPushesClimbTo700AndOnePushBackFrom10Stops) {
  ViewerState s;
  InitFolder(s, 5);
  s.m_dynam = 1;
  s.m_strip_speed = 0;
  for (int push = 0; push < 100; ++push) {
    s.m_strip_dir = 1;
    StripPush(s);
  }
  EXPECT_EQ(s.m_strip_speed, 700);
  s.m_strip_speed = 10;
  s.m_strip_dir = 2;
  StripPush(s);
  EXPECT_EQ(s.m_strip_speed, 0);
}

TEST(MotionStripPush, FixedPushesMoveTheOffset) {
  struct Case {
    int fast, special, offset, dir, after;
  };
  // n = 5, W = 1280: the special wrap starts at |R| >= 3 * 1280 - 320 - 50 = 3470.
  const Case cases[] = {
      {0, 0, -1280, 1, -1130}, {0, 0, -1280, 2, -1430}, {1, 0, -1280, 1, -280},
      {1, 0, -1280, 2, -2280}, {1, 0, -3470, 2, -4470}, {1, 1, -3469, 2, -4469},
      {1, 1, -3470, 2, -1000}, {1, 1, 3470, 2, -1000},  {0, 1, -3470, 2, -3620},
      {1, 1, -3470, 1, -2470},
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 5);
    s.m_mode = kModeFixed;
    s.m_fixed_fast = c.fast;
    s.m_fixed_special = c.special;
    s.m_strip_offset = c.offset;
    s.m_strip_dir = c.dir;
    s.m_strip_speed = 5;
    StripPush(s);
    EXPECT_EQ(s.m_strip_offset, c.after)
        << "fast " << c.fast << " special " << c.special << " R " << c.offset << " dir " << c.dir;
    EXPECT_EQ(s.m_strip_speed, 5);
    EXPECT_EQ(s.m_strip_dir, 0);
  }
}

TEST(MotionStripPush, NoPushChangesNothing) {
  ViewerState s;
  InitFolder(s, 5);
  s.m_strip_offset = -77;
  s.m_strip_dir = 0;
  StripPush(s);
  EXPECT_EQ(s.m_strip_offset, -77);
  EXPECT_EQ(s.m_strip_speed, 5);
}

// ---- Arrow keys -----------------------------------------------------------------------------

TEST(MotionArrowKeys, SingleFramesFromEdgesAndMiddle) {
  // n = 4, W = 1280: the last picture is at e = U - R = 3840.
  struct Case {
    int e;
    bool left, right;
    int after_e;
  };
  const Case cases[] = {
      {0, true, false, 150},     {3639, true, false, 3789}, {3640, true, false, 3690},
      {3789, true, false, 3839}, {3790, true, false, 3790}, {-199, true, false, -49},
      {-200, true, false, -200}, {300, false, true, 150},   {100, false, true, -50},
      {0, false, true, 0},       {3999, false, true, 3849}, {4000, false, true, 4000},
      {300, true, true, 300},    {300, false, false, 300},
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 4);
    s.m_strip_offset = -c.e;
    ArrowKeys(s, c.left, c.right);
    EXPECT_EQ(-s.m_strip_offset, c.after_e)
        << "e " << c.e << " left " << c.left << " right " << c.right;
  }
}

TEST(MotionArrowKeys, LeftSlowsTo50PixelsNearTheLastPictureAndRightStopsAtTheFirst) {
  ViewerState s;
  InitFolder(s, 4);
  std::vector<int> steps;
  for (int frame = 0; frame < 100; ++frame) {
    const int before = s.m_strip_offset;
    ArrowKeys(s, true, false);
    if (s.m_strip_offset != before) steps.push_back(before - s.m_strip_offset);
  }
  EXPECT_EQ(-s.m_strip_offset, 3800);  // stops 40 px short of the last picture
  ASSERT_EQ(steps.size(), 26u);
  EXPECT_EQ(std::count(steps.begin(), steps.end(), 150), 25);
  EXPECT_EQ(steps.back(), 50);

  for (int frame = 0; frame < 100; ++frame) ArrowKeys(s, false, true);
  EXPECT_EQ(s.m_strip_offset, 100);  // 3800 = 25 x 150 + 50: the last step overshoots by 100
  s.m_strip_offset = -3840;
  for (int frame = 0; frame < 100; ++frame) ArrowKeys(s, false, true);
  EXPECT_EQ(s.m_strip_offset, 60);  // 3840 = 25 x 150 + 90: the last step overshoots by 60
}

// ---- Static snap ----------------------------------------------------------------------------

TEST(MotionStaticSnap, MovesExactlyOnePicturePerStepAndNeverPastTheEnds) {
  ViewerState s;
  InitFolder(s, 4);
  s.m_mode = kModeStatic;
  s.m_wheel_up = 0;
  const int forward[] = {1280, 2560, 3840, 3840, 3840};
  for (const int e : forward) {
    s.m_static_wheel = 1;
    StaticSnap(s);
    EXPECT_EQ(-s.m_strip_offset, e);
    EXPECT_EQ(s.m_static_wheel, 0);
  }
  s.m_wheel_up = 1;
  const int back[] = {2560, 1280, 0, 0, 0};
  for (const int e : back) {
    s.m_static_wheel = 1;
    StaticSnap(s);
    EXPECT_EQ(-s.m_strip_offset, e);
  }
}

TEST(MotionStaticSnap, CentresThePanOnlyWhenItMoves) {
  ViewerState s;
  InitFolder(s, 4);
  s.m_drag_x = 5;
  s.m_drag_y = 6;
  s.m_target_x = 7;
  s.m_target_y = 8;
  s.m_wheel_up = 1;  // already at the first picture
  s.m_static_wheel = 1;
  StaticSnap(s);
  EXPECT_EQ(s.m_strip_offset, 0);
  EXPECT_EQ(s.m_drag_x, 5);
  EXPECT_EQ(s.m_target_y, 8);
  s.m_wheel_up = 0;
  s.m_static_wheel = 1;
  StaticSnap(s);
  EXPECT_EQ(s.m_drag_x, kW / 2);
  EXPECT_EQ(s.m_target_x, kW / 2);
  EXPECT_EQ(s.m_drag_y, kH / 2);
  EXPECT_EQ(s.m_target_y, kH / 2);
}

TEST(MotionStaticSnap, BetweenBoundariesOnGoesToTheNextAndBackMovesByWMinusTheRemainder) {
  struct Case {
    int e, up, after_e;
  };
  // On: R + r - W moves e to the next boundary. Back: R + W - r moves e to e - W + r, which is
  // the previous boundary only when r = 0.
  const Case cases[] = {{1000, 0, 1280}, {1000, 1, 720}, {2000, 1, 1440}, {-100, 0, 1280}};
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 4);
    s.m_strip_offset = -c.e;
    s.m_wheel_up = c.up;
    s.m_static_wheel = 1;
    StaticSnap(s);
    EXPECT_EQ(-s.m_strip_offset, c.after_e) << "e " << c.e << " up " << c.up;
  }
}

TEST(MotionStaticSnap, NothingWithoutAWheelStep) {
  ViewerState s;
  InitFolder(s, 4);
  s.m_static_wheel = 0;
  StaticSnap(s);
  EXPECT_EQ(s.m_strip_offset, 0);
}

// ---- Zoom paths -----------------------------------------------------------------------------

namespace {

// Zooms in with no path until the zoom stops changing; returns the number of steps taken.
int ZoomInUntilStill(ViewerState& s) {
  int steps = 0;
  for (int frame = 0; frame < 200; ++frame) {
    const float before = s.m_zoom;
    StepZoomPaths(s);
    if (s.m_zoom == before) break;
    ++steps;
  }
  return steps;
}

}  // namespace

TEST(MotionZoomIn, StopsAtTheFirstStepThatReachesTheTarget) {
  struct Case {
    float target;
    float reached;
    int steps;
  };
  // The float steps accumulate rounding: 2.0 is reached at 2.00000024; 3.0 is missed by a hair
  // (2.9999992) and one more step ends at 3.0999992.
  const Case cases[] = {
      {2.0f, 2.00000024f, 10}, {1.5f, 1.50000012f, 5}, {3.0f, 3.09999919f, 21}, {1.0f, 1.0f, 0}};
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_zoom_table.Set(0, 1, c.target);
    s.m_left_index = 1;
    s.m_slot = kSlotLeft;
    s.m_zoom_in = 1;
    EXPECT_EQ(ZoomInUntilStill(s), c.steps) << c.target;
    EXPECT_EQ(s.m_zoom, c.reached) << c.target;
    EXPECT_LT(s.m_zoom - 0.1, c.target);
  }
}

TEST(MotionZoomIn, AZoomAboveTheTargetIsLeftAlone) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_zoom = 2.5f;
  s.m_zoom_in = 1;
  StepZoomPaths(s);
  EXPECT_EQ(s.m_zoom, 2.5f);
}

TEST(MotionZoomIn, TargetComesFromTheCurrentSlotsPicture) {
  struct Case {
    int pictures, table_pictures, left, slot;
    float reached;
  };
  // Entries: picture 0 -> 1.2, 1 -> 1.5, 2 -> 1.3 (where the table holds them).
  const Case cases[] = {
      {3, 3, 0, kSlotLeft, 1.20000005f},   // slot 11: entry L
      {3, 3, 0, kSlotRight, 1.50000012f},  // slot 22: entry L + 1
      {3, 3, 2, kSlotRight, 1.30000007f},  // last picture: L + 1 is past the folder, use L
      {4, 3, 3, kSlotLeft, 2.00000024f},   // a picture added after start-up: the default 2.0
      {5, 3, 2, kSlotRight, 2.00000024f},
      {3, 3, -1, kSlotLeft, 2.00000024f},  // pushed back past picture 0
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, c.pictures, c.table_pictures);
    s.m_zoom_table.Set(0, 0, 1.2f);
    s.m_zoom_table.Set(0, 1, 1.5f);
    s.m_zoom_table.Set(0, 2, 1.3f);
    s.m_left_index = c.left;
    s.m_slot = c.slot;
    s.m_zoom_in = 1;
    ZoomInUntilStill(s);
    EXPECT_EQ(s.m_zoom, c.reached) << "n " << c.pictures << " L " << c.left << " slot " << c.slot;
    EXPECT_EQ(s.m_zoom_table.PictureCount(0), c.table_pictures);
  }
}

TEST(MotionZoomIn, RecordModeZoomsToTheRecordZoomAndStaticZoomsWithoutThePress) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_record_mode = 1;
  s.m_record_zoom = 1.3f;
  s.m_zoom_in = 1;
  ZoomInUntilStill(s);
  EXPECT_EQ(s.m_zoom, 1.30000007f);

  ViewerState st;
  InitFolder(st, 3);
  st.m_mode = kModeStatic;
  st.m_zoom_in = 0;
  EXPECT_EQ(ZoomInUntilStill(st), 10);
}

TEST(MotionZoomIn, WalksTheZoomInPathUpToItsStepCount) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_zoom_in = 1;
  s.m_zoom_in_steps = 3;
  s.m_zoom_in_path = {{0, 0}, {10, 5}, {20, 10}, {30, 15}, {40, 20}};
  const CPoint expected[] = {{10, 5}, {20, 10}, {30, 15}, {30, 15}, {30, 15}};
  int index = 1;
  for (const CPoint& p : expected) {
    StepZoomPaths(s);
    EXPECT_EQ(s.m_path_index, std::min(index++, 3));
    EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), p);
  }
}

TEST(MotionZoomIn, AnIndexOutsideThePathLeavesThePanPoint) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_zoom_in = 1;
  s.m_zoom_in_steps = 3;
  s.m_zoom_in_path = {{0, 0}, {7, 8}};
  s.m_path_pan_x = -1;
  s.m_path_pan_y = -1;
  StepZoomPaths(s);
  EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), CPoint(7, 8));
  StepZoomPaths(s);
  StepZoomPaths(s);
  EXPECT_EQ(s.m_path_index, 3);
  EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), CPoint(7, 8));

  s.m_zoom_in_path.clear();
  s.m_path_index = 0;
  StepZoomPaths(s);
  EXPECT_EQ(s.m_path_index, 1);
  EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), CPoint(7, 8));
}

TEST(MotionZoomOut, StopsAtOneOrTheRecordZoomWithFloatSteps) {
  struct Case {
    int record_mode;
    float record_zoom, start, end;
    int steps;
  };
  const Case cases[] = {
      {0, 1.5f, 2.00000024f, 1.0f, 10},
      {0, 1.5f, 1.0999999f, 0.99999988f, 1},  // between 1.0 and 1.1: one more step, just below
      {0, 1.5f, 1.05f, 0.949999928f, 1},
      {0, 1.5f, 1.0f, 1.0f, 0},
      {0, 1.5f, 5.09999752f, 0.900000215f, 42},  // accumulated rounding leaves 1.0000002
      {1, 1.5f, 2.00000024f, 1.4000001f, 6},     // 1.50000012 is still above 1.5
      {1, 1.3f, 1.2f, 1.2f, 0},
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_record_mode = c.record_mode;
    s.m_record_zoom = c.record_zoom;
    s.m_zoom = c.start;
    int steps = 0;
    for (int frame = 0; frame < 100; ++frame) {
      const float before = s.m_zoom;
      StepZoomPaths(s);
      if (s.m_zoom != before) ++steps;
    }
    EXPECT_EQ(s.m_zoom, c.end) << "from " << c.start << " record mode " << c.record_mode;
    EXPECT_EQ(steps, c.steps) << "from " << c.start;
  }
}

TEST(MotionZoomOut, WalksBackAlongTheZoomOutPathToIndexZero) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_path_index = 3;
  s.m_zoom_out_path = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
  const int index[] = {2, 1, 0, 0};
  const CPoint pan[] = {{3, 3}, {2, 2}, {1, 1}, {1, 1}};
  for (int i = 0; i < 4; ++i) {
    StepZoomPaths(s);
    EXPECT_EQ(s.m_path_index, index[i]);
    EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), pan[i]);
  }
}

TEST(MotionZoomPaths, RecordArmedHoldsTheZoomInPathEndOrDropsToOne) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_record_armed = 1;
  s.m_zoom_in = 1;
  s.m_zoom = 1.7f;
  s.m_path_index = 1;
  s.m_zoom_in_steps = 2;
  s.m_zoom_in_path = {{0, 0}, {5, 5}, {9, 4}, {10, 10}};
  StepZoomPaths(s);
  EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), CPoint(9, 4));
  EXPECT_EQ(s.m_path_index, 1);
  EXPECT_EQ(s.m_zoom, 1.7f);

  s.m_zoom_in_steps = 9;  // past the path's end: the pan point stays
  StepZoomPaths(s);
  EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), CPoint(9, 4));

  s.m_zoom_in = 0;
  s.m_zoom_out_path = {{8, 8}, {6, 6}};
  StepZoomPaths(s);
  EXPECT_EQ(s.m_zoom, 1.0f);
  EXPECT_EQ(s.m_path_index, 0);
  EXPECT_EQ(CPoint(s.m_path_pan_x, s.m_path_pan_y), CPoint(8, 8));
}

TEST(MotionZoomPaths, WaitsForThePathLock) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_zoom_in = 1;
  s.m_path_lock.Lock();
  std::thread renderer([&] { StepZoomPaths(s); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(s.m_zoom, 1.0f);
  s.m_path_lock.Unlock();
  renderer.join();
  EXPECT_EQ(s.m_zoom, 1.10000002f);
  StepZoomPaths(s);  // the lock was released
  EXPECT_EQ(s.m_zoom, 1.20000005f);
}

// ---- Playback zoom ------------------------------------------------------------------------

TEST(MotionPlaybackZoom, HandOverCopiesThePlayZoomForARecordedPicture) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_picture = 1;
  s.m_recorded_table.Set(0, 1, 1);
  s.m_record_armed = 1;
  s.m_playback = 1;
  s.m_play_zoom = 2.7f;
  PlaybackZoomHandOver(s);
  EXPECT_EQ(s.m_zoom, 2.7f);
  EXPECT_EQ(s.m_record_zoom, 2.7f);
  EXPECT_EQ(s.m_playback, 1);

  s.m_picture = 2;  // not recorded
  s.m_zoom = 1.0f;
  PlaybackZoomHandOver(s);
  EXPECT_EQ(s.m_play_zoom, 1.5f);
  EXPECT_EQ(s.m_zoom, 1.0f);

  s.m_picture = 7;  // beyond the table: not recorded
  s.m_play_zoom = 3.0f;
  PlaybackZoomHandOver(s);
  EXPECT_EQ(s.m_play_zoom, 1.5f);
}

TEST(MotionPlaybackZoom, HandOverNeedsArmedPlaybackAndCapturingStopsPlayback) {
  ViewerState s;
  InitFolder(s, 3);
  s.m_recorded_table.Set(0, 0, 1);
  s.m_record_armed = 0;
  s.m_playback = 1;
  s.m_play_zoom = 2.7f;
  PlaybackZoomHandOver(s);
  EXPECT_EQ(s.m_zoom, 1.0f);
  s.m_capturing = 1;
  PlaybackZoomHandOver(s);
  EXPECT_EQ(s.m_playback, 0);
}

TEST(MotionPlaybackZoom, OverrideInFixedRandInsideAndDynam) {
  struct Case {
    int mode, dynam, playback, recorded;
    float zoom;
  };
  const Case cases[] = {
      {kModeRand, 0, 1, 1, 2.5f},   {kModeRand, 0, 1, 0, 1.0f},   {kModeInside, 0, 1, 1, 2.5f},
      {kModeFixed, 0, 1, 1, 2.5f},  {2, 0, 1, 1, 2.5f},           {kModeDynam, 1, 1, 0, 1.0f},
      {kModeNormal, 1, 1, 1, 2.5f}, {kModeNormal, 0, 1, 1, 1.7f}, {kModeStatic, 0, 1, 1, 1.7f},
      {kModeRand, 0, 0, 1, 1.7f},
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_mode = c.mode;
    s.m_dynam = c.dynam;
    s.m_playback = c.playback;
    s.m_recorded_table.Set(0, 0, c.recorded);
    s.m_play_zoom = 2.5f;
    s.m_zoom = 1.7f;
    PlaybackZoomOverride(s);
    EXPECT_EQ(s.m_zoom, c.zoom) << "mode " << c.mode << " dynam " << c.dynam << " playback "
                                << c.playback << " recorded " << c.recorded;
  }
}

// ---- Breathing ------------------------------------------------------------------------------

TEST(MotionBreathe, ClimbsFromOneToJustAbove1Point2ThenSwingsBetween1Point1And1Point2) {
  ViewerState s;
  std::vector<float> values;
  for (int frame = 0; frame < 2000; ++frame) {
    Breathe(s);
    values.push_back(s.m_breath);
  }
  // 41 rising steps from 1.0 reach 1.2049998, the first value above 1.2f.
  for (int i = 0; i < 41; ++i) EXPECT_LT(i == 0 ? 1.0f : values[i - 1], values[i]) << i;
  EXPECT_EQ(values[40], 1.2049998f);
  EXPECT_LT(values[41], values[40]);
  const auto [low, high] = std::minmax_element(values.begin() + 41, values.end());
  EXPECT_EQ(*low, 1.0999999f);  // the first value below 1.1f
  EXPECT_EQ(*high, 1.2049998f);
  for (std::size_t i = 1; i < values.size(); ++i) {
    EXPECT_NEAR(std::abs(values[i] - values[i - 1]), 0.005f, 1e-6f) << i;
  }
}

TEST(MotionBreathe, KeepsItsDirectionBetweenTheThresholds) {
  ViewerState s;
  s.m_breath = 1.15f;
  s.m_breath_up = 0;
  Breathe(s);
  EXPECT_EQ(s.m_breath_up, 0);
  EXPECT_EQ(s.m_breath, static_cast<float>(1.15f - 0.005));
  s.m_breath = 1.2f;  // not above 1.2f: still rising
  s.m_breath_up = 1;
  Breathe(s);
  EXPECT_EQ(s.m_breath_up, 1);
}

// ---- Scale and centre -----------------------------------------------------------------------

TEST(MotionScaleAndCentre, FillsTheHeightThenBreathesAndZooms) {
  struct Case {
    float breath, zoom;
    SIZE size;
    float scale;
    int x, y, w, h;
  };
  const Case cases[] = {
      {1.0f, 1.0f, {480, 400}, 2.0f, 160, 0, 960, 800},
      {1.1f, 1.0f, {480, 400}, 2.20000005f, 112, -40, 1056, 880},
      {1.2049998f, 2.00000024f, {480, 400}, 4.81999969f, -516, -563, 2313, 1927},  // toward zero
      {1.0f, 1.0f, {800, 600}, 1.33333337f, 106, 0, 1066, 800},  // float division, not 800 / 600
      {1.0f, 1.2f, {400, 300}, 3.20000029f, 0, -80, 1280, 960},  // -0.00006 truncates to 0
      {1.0f, 1.0f, {480, 0}, 0.0f, 640, 400, 0, 0},              // nothing loaded
  };
  for (const Case& c : cases) {
    const SlotScales both = ScaleAndCentre(kH, kW, kH, c.breath, c.zoom, c.size, SIZE{100, 200});
    const SlotScale& s = both.left;
    SCOPED_TRACE(testing::Message()
                 << c.size.cx << "x" << c.size.cy << " breath " << c.breath << " zoom " << c.zoom);
    EXPECT_EQ(s.scale, c.scale);
    EXPECT_EQ(s.centre_x, c.x);
    EXPECT_EQ(s.centre_y, c.y);
    EXPECT_EQ(s.drawn_w, c.w);
    EXPECT_EQ(s.drawn_h, c.h);
  }
}

TEST(MotionScaleAndCentre, SlotsScaleIndependently) {
  const SlotScales both = ScaleAndCentre(kH, kW, kH, 1.0f, 1.0f, SIZE{480, 400}, SIZE{100, 200});
  EXPECT_EQ(both.left.scale, 2.0f);
  EXPECT_EQ(both.right.scale, 4.0f);
  EXPECT_EQ(both.right.centre_x, 440);
  EXPECT_EQ(both.right.drawn_w, 400);
}

// ---- View position --------------------------------------------------------------------------

TEST(MotionViewPosition, ChoosesPathPanTableOrPlaybackPoint) {
  enum Source { kPath, kTable, kPlay };
  struct Case {
    int index, steps, mode, dynam, playback, record_mode, capturing, recorded;
    Source source;
  };
  const Case cases[] = {
      {1, 3, kModeNormal, 0, 0, 0, 0, 0, kPath},   // still zooming in
      {3, 3, kModeNormal, 0, 0, 0, 0, 0, kTable},  // path done
      {3, 3, kModeFixed, 0, 0, 0, 0, 0, kPath},    // Fixed without playback
      {3, 3, kModeFixed, 0, 1, 0, 0, 0, kTable},
      {3, 3, kModeDynam, 1, 0, 0, 0, 0, kPath},
      {1, 3, kModeNormal, 0, 0, 1, 0, 0, kTable},  // record mode always the pan table
      {1, 3, kModeNormal, 0, 1, 0, 0, 1, kPlay},   // playing a recorded picture
      {1, 3, kModeNormal, 0, 1, 1, 0, 1, kPlay},
      {3, 3, kModeNormal, 0, 1, 0, 1, 1, kTable},  // capturing: not the playback point
      {3, 3, kModeNormal, 0, 1, 0, 0, 0, kTable},
  };
  for (const Case& c : cases) {
    ViewerState s;
    InitFolder(s, 3);
    s.m_picture = 1;
    s.m_pan_table.Set(0, 1, PanOffset{7, -3});
    s.m_recorded_table.Set(0, 1, c.recorded);
    s.m_path_index = c.index;
    s.m_zoom_in_steps = c.steps;
    s.m_mode = c.mode;
    s.m_dynam = c.dynam;
    s.m_playback = c.playback;
    s.m_record_mode = c.record_mode;
    s.m_capturing = c.capturing;
    s.m_path_pan_x = 10;
    s.m_path_pan_y = 20;
    s.m_drag_x = 100;
    s.m_drag_y = 50;
    s.m_target_x = 110;
    s.m_target_y = 40;
    s.m_play_x = 333;
    s.m_play_y = 444;
    const CPoint expected = c.source == kPath    ? CPoint((10 - 100 + 110) * 3, (20 - 50 + 40) * 3)
                            : c.source == kTable ? CPoint((7 - 100 + 110) * 3, (-3 - 50 + 40) * 3)
                                                 : CPoint(333, 444);
    const CPoint got = ViewPosition(s, true);
    EXPECT_EQ(got, expected) << "index " << c.index << " mode " << c.mode << " playback "
                             << c.playback << " record mode " << c.record_mode;
    EXPECT_EQ(CPoint(s.m_view_left_x, s.m_view_left_y), expected);
    EXPECT_EQ(CPoint(s.m_view_right_x, s.m_view_right_y), CPoint(0, 0));
  }
}

TEST(MotionViewPosition, RightSlotFieldsAndPicturesBeyondTheTable) {
  ViewerState s;
  InitFolder(s, 5, 2);
  s.m_picture = 4;  // added after start-up: pan {0, 0}
  s.m_drag_x = 10;
  s.m_target_x = 30;
  const CPoint got = ViewPosition(s, false);
  EXPECT_EQ(got, CPoint(60, 0));
  EXPECT_EQ(CPoint(s.m_view_right_x, s.m_view_right_y), CPoint(60, 0));
  EXPECT_EQ(CPoint(s.m_view_left_x, s.m_view_left_y), CPoint(0, 0));
}
