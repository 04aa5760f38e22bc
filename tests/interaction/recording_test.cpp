#include "interaction/recording.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include "interaction/path_interpolation.h"
#include "platform/kernel/event.h"
#include "platform/kernel/time.h"

namespace {

class FakeClock : public TickSource {
 public:
  DWORD Now() const override { return m_now.load(); }
  void Set(DWORD now) { m_now = now; }
  void Advance(DWORD ms) { m_now += ms; }

 private:
  std::atomic<DWORD> m_now{100000};
};

// Sizes the tables the way start-up does.
void AllocateTables(ViewerState& s, const std::vector<int>& counts) {
  s.m_table_counts = counts;
  s.m_recorded_table.Allocate(counts, 1, 0);
  s.m_key_count_table.Allocate(counts, 1, 0);
  s.m_steps_table.Allocate(counts, 1, kDefaultPlaySteps);
  s.m_key_x.Allocate(counts, kKeyFrameSlots, 0);
  s.m_key_y.Allocate(counts, kKeyFrameSlots, 0);
  s.m_key_zoom.Allocate(counts, kKeyFrameSlots, kDefaultKeyZoom);
}

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallTickSource(&m_clock);
    s.m_evt_play = CreateEventW("WaitingForRealThread_g_play_counter!");
    AllocateTables(s, {3, 2});
    s.m_folder = 1;
    s.m_picture = 1;
  }
  void TearDown() override { InstallTickSource(nullptr); }

  // A left press in record mode: the next step starts a capture.
  void Press() {
    s.m_record_mode = 1;
    s.m_record_armed = 1;
    s.m_capture_restart = 1;
    s.m_zoom_in = 1;
  }

  // Stores key frames for the current picture and marks it recorded.
  void Record(const std::vector<CPoint>& points, const std::vector<float>& zooms) {
    const int f = s.m_folder, p = s.m_picture;
    for (std::size_t j = 0; j < points.size(); ++j) {
      s.m_key_x.Set(f, p, points[j].x, static_cast<int>(j));
      s.m_key_y.Set(f, p, points[j].y, static_cast<int>(j));
      s.m_key_zoom.Set(f, p, zooms[j], static_cast<int>(j));
    }
    s.m_key_count_table.Set(f, p, static_cast<int>(points.size()));
    s.m_recorded_table.Set(f, p, 1);
  }

  int KeyX(int slot) const { return s.m_key_x.Get(s.m_folder, s.m_picture, -999, slot); }
  int KeyY(int slot) const { return s.m_key_y.Get(s.m_folder, s.m_picture, -999, slot); }
  float KeyZoom(int slot) const { return s.m_key_zoom.Get(s.m_folder, s.m_picture, -999.0f, slot); }

  FakeClock m_clock;
  ViewerState s;
};

const std::vector<CPoint> kThreeKeys{{0, 0}, {110, -220}, {-55, 33}};
const std::vector<float> kThreeZooms{1.5f, 2.6f, 1.2f};

}  // namespace

// ---- Play cursor ----------------------------------------------------------------------------

TEST(StepPlayCursor, TurnsAtLastAndAtZero) {
  struct Case {
    PlayCursor in;
    int last, size;
    PlayCursor out;
  };
  const Case cases[] = {
      {{0, 0}, 17, 23, {1, 0}},    {{16, 0}, 17, 23, {17, 0}},  {{17, 0}, 17, 23, {16, 1}},
      {{5, 1}, 17, 23, {4, 1}},    {{1, 1}, 17, 23, {0, 1}},    {{0, 1}, 17, 23, {1, 0}},
      // Positions outside the path are brought back into it first.
      {{300, 0}, 17, 23, {21, 1}}, {{-8, 1}, 17, 23, {1, 0}},   {{INT_MAX, 0}, 17, 23, {21, 1}},
      {{INT_MIN, 1}, 17, 23, {1, 0}},
      // Turning before the start (m_play_last < 1) stays on the path's first two entries.
      {{0, 0}, -1, 5, {1, 0}},     {{1, 0}, -1, 5, {0, 1}},     {{0, 0}, -5, 1, {0, 0}},
      {{0, 0}, 0, 0, {0, 0}},      {{3, 0}, INT_MIN, 5, {2, 1}}, {{3, 0}, INT_MAX, 5, {4, 0}},
  };
  for (const Case& c : cases) {
    const PlayCursor out = StepPlayCursor(c.in, c.last, c.size);
    EXPECT_EQ(out.pos, c.out.pos) << c.in.pos << "/" << c.in.backward << " last " << c.last;
    EXPECT_EQ(out.backward, c.out.backward) << c.in.pos << "/" << c.in.backward << " last " << c.last;
  }
}

// ---- Capture --------------------------------------------------------------------------------

TEST_F(Recording, CaptureStoresTheViewOfTheCurrentSlotAndTheRecordZoom) {
  Press();
  s.m_slot = kSlotLeft;
  s.m_view_left_x = 100;
  s.m_view_left_y = 200;
  s.m_view_right_x = -1;
  s.m_view_right_y = -2;
  s.m_record_zoom = 2.5f;
  RecordingStep(s);
  EXPECT_EQ(s.m_capturing, 1);
  EXPECT_EQ(s.m_capture_restart, 0);
  EXPECT_EQ(KeyX(0), 100);
  EXPECT_EQ(KeyY(0), 200);
  EXPECT_EQ(KeyZoom(0), 2.5f);
  EXPECT_EQ(s.m_capture_count, 1);
  EXPECT_EQ(s.m_key_count, 1);
  EXPECT_EQ(s.m_key_count_table.Get(1, 1, -1), 1);
  EXPECT_EQ(s.m_recorded_table.Get(1, 1, -1), 1);
  EXPECT_EQ(s.m_tick_keyframe, m_clock.Now());

  m_clock.Advance(166);
  s.m_slot = kSlotRight;
  s.m_record_zoom = 3.0f;
  RecordingStep(s);
  EXPECT_EQ(KeyX(1), -1);
  EXPECT_EQ(KeyY(1), -2);
  EXPECT_EQ(KeyZoom(1), 3.0f);
  EXPECT_EQ(s.m_capture_count, 2);
  EXPECT_EQ(s.m_key_count_table.Get(1, 1, -1), 2);
  // Other pictures keep their tables.
  EXPECT_EQ(s.m_key_count_table.Get(1, 0, -1), 0);
  EXPECT_EQ(s.m_recorded_table.Get(0, 1, -1), 0);
}

TEST_F(Recording, KeyFramesAreAtLeast166MsApart) {
  Press();
  RecordingStep(s);
  ASSERT_EQ(s.m_capture_count, 1);
  const DWORD first = s.m_tick_keyframe;
  m_clock.Advance(165);
  RecordingStep(s);
  EXPECT_EQ(s.m_capture_count, 1);
  EXPECT_EQ(s.m_tick_keyframe, first);
  m_clock.Advance(1);
  RecordingStep(s);
  EXPECT_EQ(s.m_capture_count, 2);
  EXPECT_EQ(s.m_tick_keyframe, first + 166);
}

TEST_F(Recording, SpacingIsMeasuredAcrossTheTickWrap) {
  Press();
  s.m_capture_restart = 0;
  s.m_capturing = 1;
  s.m_tick_keyframe = 0xFFFFFFF0u;
  m_clock.Set(0x10);  // 32 ms later
  RecordingStep(s);
  EXPECT_EQ(s.m_capture_count, 0);
  m_clock.Set(0xA0);  // 176 ms later
  RecordingStep(s);
  EXPECT_EQ(s.m_capture_count, 1);
}

TEST_F(Recording, APressTooSoonStoresNothingYetMarksThePictureRecorded) {
  Record({{1, 2}, {3, 4}, {5, 6}, {7, 8}}, {2.0f, 2.1f, 2.2f, 2.3f});
  s.m_recorded_table.Set(1, 1, 0);
  s.m_tick_keyframe = m_clock.Now() - 100;
  s.m_view_left_x = 999;
  Press();
  RecordingStep(s);
  EXPECT_EQ(s.m_recorded_table.Get(1, 1, -1), 1);
  EXPECT_EQ(s.m_capture_count, 0);
  EXPECT_EQ(s.m_key_count_table.Get(1, 1, -1), 4);
  EXPECT_EQ(s.m_key_count, 4);
  const float zooms[] = {2.0f, 2.1f, 2.2f, 2.3f};
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(KeyX(j), 2 * j + 1);
    EXPECT_EQ(KeyY(j), 2 * j + 2);
    EXPECT_EQ(KeyZoom(j), zooms[j]);
  }
}

TEST_F(Recording, ANewCaptureOverwritesFromSlotZeroAndCountsWhatItStored) {
  std::vector<CPoint> old_points;
  std::vector<float> old_zooms;
  for (int j = 0; j < 10; ++j) {
    old_points.emplace_back(j, j);
    old_zooms.push_back(1.5f);
  }
  Record(old_points, old_zooms);
  Press();
  s.m_view_left_x = 500;
  s.m_slot = kSlotLeft;
  RecordingStep(s);
  m_clock.Advance(200);
  s.m_view_left_x = 600;
  RecordingStep(s);
  EXPECT_EQ(KeyX(0), 500);
  EXPECT_EQ(KeyX(1), 600);
  EXPECT_EQ(KeyX(2), 2);  // beyond the new count the old frames remain, unused
  EXPECT_EQ(s.m_key_count_table.Get(1, 1, -1), 2);
}

TEST_F(Recording, CaptureStopsAt39KeyFramesAndStartsPlayback) {
  Press();
  s.m_playback = 0;  // the renderer clears it while capturing
  s.m_slot = kSlotLeft;
  for (int step = 0; step < 60; ++step) {
    s.m_view_left_x = 1000 + step;
    s.m_view_left_y = -step;
    RecordingStep(s);
    if (step == 38) {
      EXPECT_EQ(s.m_capturing, 0);
      EXPECT_EQ(s.m_playback, 1);
      EXPECT_EQ(s.m_capture_count, kCaptureKeyFrames);
      EXPECT_EQ(s.m_tick_keyframe, m_clock.Now());
      // The same step already plays: 39 key frames, 10 steps.
      EXPECT_EQ(s.m_play_last, 10 * 38 + 39 - 6);
      EXPECT_EQ(s.m_play_pos, 1);
    } else if (step < 38) {
      EXPECT_EQ(s.m_capturing, 1) << step;
    }
    m_clock.Advance(200);
  }
  EXPECT_EQ(s.m_capture_count, 39);
  EXPECT_EQ(s.m_key_count_table.Get(1, 1, -1), 39);
  EXPECT_EQ(KeyX(38), 1038);
  EXPECT_EQ(KeyX(39), 0);  // the 40th key frame is never stored
  EXPECT_EQ(KeyY(39), 0);
  EXPECT_EQ(s.m_play_pos, 1 + 21);  // one playback step per later recording step
}

TEST_F(Recording, CaptureCountOutsideTheSlotsIsClamped) {
  s.m_capture_count = -7;
  s.m_view_left_x = 41;
  s.m_slot = kSlotLeft;
  KeyFrameCapture(s);
  EXPECT_EQ(KeyX(0), 41);
  EXPECT_EQ(s.m_capture_count, 1);

  m_clock.Advance(200);
  s.m_capture_count = 1000;
  s.m_key_count_table.Set(1, 1, 5);
  KeyFrameCapture(s);
  EXPECT_EQ(s.m_capture_count, 1000);
  EXPECT_EQ(s.m_key_count_table.Get(1, 1, -1), 5);

  // Two threads may both pass the 39th key frame: slot 39 is the last one ever written.
  m_clock.Advance(200);
  s.m_capture_count = 39;
  s.m_view_left_x = 77;
  KeyFrameCapture(s);
  EXPECT_EQ(KeyX(39), 77);
  EXPECT_EQ(s.m_capture_count, 40);
  for (int i = 0; i < 5; ++i) {
    m_clock.Advance(200);
    KeyFrameCapture(s);
  }
  EXPECT_EQ(s.m_capture_count, 40);
  EXPECT_EQ(KeyX(40), 0);
}

TEST_F(Recording, NoCaptureUnlessArmed) {
  s.m_capture_restart = 1;
  s.m_zoom_in = 1;
  s.m_record_armed = 0;
  RecordingStep(s);
  EXPECT_EQ(s.m_capturing, 1);
  EXPECT_EQ(s.m_capture_count, 0);
  EXPECT_EQ(s.m_recorded_table.Get(1, 1, -1), 0);
}

TEST_F(Recording, RestartResetsCountAndPosition) {
  s.m_capture_count = 12;
  s.m_play_pos = 9;
  s.m_capture_restart = 1;
  s.m_zoom_in = 0;
  RecordingStep(s);
  EXPECT_EQ(s.m_capture_count, 0);
  EXPECT_EQ(s.m_play_pos, 0);
  EXPECT_EQ(s.m_capturing, 1);
  EXPECT_EQ(s.m_capture_restart, 0);
}

// ---- Playback -------------------------------------------------------------------------------

TEST_F(Recording, ThreeKeyFramesAtTenStepsPlayForthAndBack) {
  Record(kThreeKeys, kThreeZooms);
  s.m_play_steps = 10;
  const std::vector<CPoint> points = KeyFramePointPath(kThreeKeys, 10);
  const std::vector<float> zooms = KeyFrameZoomPath(kThreeZooms, 10);
  ASSERT_EQ(points.size(), 23u);

  std::vector<int> visited;
  for (int step = 0; step < 70; ++step) {
    RecordingStep(s);
    const int pos = s.m_play_pos;
    visited.push_back(pos);
    ASSERT_GE(pos, 0);
    ASSERT_LE(pos, 17);
    EXPECT_EQ(s.m_play_x, points[pos].x);
    EXPECT_EQ(s.m_play_y, points[pos].y);
    EXPECT_EQ(s.m_play_zoom, zooms[pos]);
    EXPECT_EQ(s.m_tick_keyframe, m_clock.Now());
    m_clock.Advance(10);
  }
  EXPECT_EQ(s.m_play_last, 17);
  // 1, 2, ..., 17, 16, ..., 0, 1, ...: a triangle wave between 0 and 17.
  std::vector<int> expected;
  for (int k = 1; k <= 70; ++k) expected.push_back(17 - std::abs(17 - k % 34));
  EXPECT_EQ(visited, expected);
  EXPECT_EQ(std::set<int>(visited.begin(), visited.end()).size(), 18u);
}

TEST_F(Recording, PlaybackPassesThroughTheKeyFrames) {
  Record(kThreeKeys, kThreeZooms);
  s.m_play_pos = 10;
  PlaybackStep(s, 3, 10);
  EXPECT_EQ(s.m_play_pos, 11);
  EXPECT_EQ(s.m_play_x, 110);
  EXPECT_EQ(s.m_play_y, -220);
  EXPECT_EQ(s.m_play_zoom, 2.6f);
}

TEST_F(Recording, TwoOrFewerKeyFramesNeverPlay) {
  Record({{1, 1}, {2, 2}}, {2.0f, 3.0f});
  s.m_play_x = -42;
  for (int i = 0; i < 5; ++i) RecordingStep(s);
  EXPECT_EQ(s.m_play_pos, 0);
  EXPECT_EQ(s.m_play_x, -42);
  EXPECT_EQ(s.m_key_count, 2);
}

TEST_F(Recording, NothingPlaysWhileCapturingOrWithPlaybackOff) {
  Record(kThreeKeys, kThreeZooms);
  s.m_capturing = 1;
  RecordingStep(s);
  EXPECT_EQ(s.m_play_pos, 0);
  s.m_capturing = 0;
  s.m_playback = 0;
  RecordingStep(s);
  EXPECT_EQ(s.m_play_pos, 0);
  s.m_playback = 1;
  RecordingStep(s);
  EXPECT_EQ(s.m_play_pos, 1);
}

TEST_F(Recording, AnUnrecordedPictureStopsAfterReloadingItsCount) {
  Record(kThreeKeys, kThreeZooms);
  s.m_recorded_table.Set(1, 1, 0);
  s.m_zoom_in = 0;
  s.m_key_count = 0;
  RecordingStep(s);
  EXPECT_EQ(s.m_key_count, 3);
  EXPECT_EQ(s.m_play_pos, 0);
  // Holding the left button lets it play.
  s.m_zoom_in = 1;
  RecordingStep(s);
  EXPECT_EQ(s.m_play_pos, 1);
}

TEST_F(Recording, BadStepCountsStayOnThePath) {
  Record(kThreeKeys, kThreeZooms);
  const std::vector<CPoint> points = KeyFramePointPath(kThreeKeys, 1);  // steps clamp to 1
  for (int steps : {0, -5, INT_MIN, 1}) {
    for (int start : {0, 3, 4, 1000, -1000, INT_MAX, INT_MIN}) {
      s.m_play_pos = start;
      s.m_play_backward = 0;
      for (int i = 0; i < 12; ++i) {
        PlaybackStep(s, 3, steps);
        const int pos = s.m_play_pos;
        ASSERT_GE(pos, 0) << steps << " from " << start;
        ASSERT_LT(pos, 5) << steps << " from " << start;
        EXPECT_EQ(s.m_play_x, points[pos].x);
        EXPECT_EQ(s.m_play_y, points[pos].y);
      }
      EXPECT_EQ(s.m_play_last, -1);
    }
  }
  // Through the recording step too.
  s.m_play_steps = -5;
  s.m_play_pos = 0;
  for (int i = 0; i < 12; ++i) {
    RecordingStep(s);
    ASSERT_GE(s.m_play_pos, 0);
    ASSERT_LE(s.m_play_pos, 1);
  }
}

TEST_F(Recording, HugeStepCountsAreCut) {
  Record(kThreeKeys, kThreeZooms);
  PlaybackStep(s, 3, INT_MAX);
  EXPECT_EQ(s.m_play_last, kMaxPlaySteps * 2 + 3 - 6);
  EXPECT_EQ(s.m_play_pos, 1);
}

TEST_F(Recording, BadKeyCountsStayInsideTheSlots) {
  std::vector<CPoint> points;
  std::vector<float> zooms;
  for (int j = 0; j < kKeyFrameSlots; ++j) {
    points.emplace_back(j * 110, -j * 11);
    zooms.push_back(1.5f);
  }
  Record(points, zooms);
  s.m_key_count_table.Set(1, 1, 1000);
  s.m_play_pos = 0;
  RecordingStep(s);
  EXPECT_EQ(s.m_key_count, 1000);
  EXPECT_EQ(s.m_play_last, 10 * 49 + 50 - 6);
  EXPECT_EQ(s.m_play_pos, 1);
  EXPECT_EQ(s.m_play_x, 10);  // point 1 between (0, 0) and (110, -11)
  EXPECT_EQ(s.m_play_y, -1);

  s.m_play_pos = 10 * 49 + 50 - 6;
  PlaybackStep(s, INT_MAX, 10);
  EXPECT_EQ(s.m_play_pos, 533);

  s.m_play_pos = 5;
  s.m_play_x = -42;
  PlaybackStep(s, -3, 10);
  PlaybackStep(s, INT_MIN, 10);
  PlaybackStep(s, 0, 10);
  EXPECT_EQ(s.m_play_pos, 5);
  EXPECT_EQ(s.m_play_x, -42);
}

TEST_F(Recording, OneOrTwoKeyFramesPlayedDirectlyStayOnThePath) {
  Record(kThreeKeys, kThreeZooms);
  for (int keys : {1, 2}) {
    for (int i = 0; i < 10; ++i) {
      PlaybackStep(s, keys, 10);
      ASSERT_GE(s.m_play_pos, 0);
      ASSERT_LT(s.m_play_pos, keys + 10 * (keys - 1));
    }
  }
}

// ---- Pictures outside the tables and the play event ---------------------------------------

TEST_F(Recording, APictureOutsideTheTablesStoresAndPlaysNothing) {
  for (auto [folder, picture] : {std::pair{1, 2}, {0, 3}, {2, 0}, {-1, 0}, {0, -1}, {kMaxFolders, 0}}) {
    s.m_folder = folder;
    s.m_picture = picture;
    Press();
    s.m_capture_count = 5;
    s.m_key_count = 7;
    s.m_tick_keyframe = 0;
    s.m_play_pos = 3;
    s.m_play_x = -42;
    RecordingStep(s);
    EXPECT_EQ(s.m_key_count, 0);
    EXPECT_EQ(s.m_capture_count, 0);  // the press itself still starts a capture
    EXPECT_EQ(s.m_tick_keyframe, 0u);
    s.m_play_pos = 3;
    KeyFrameCapture(s);
    PlaybackStep(s, 3, 10);
    EXPECT_EQ(s.m_capture_count, 0);
    EXPECT_EQ(s.m_play_pos, 3);
    EXPECT_EQ(s.m_play_x, -42);
    EXPECT_EQ(s.m_tick_keyframe, 0u);
  }
  for (int f = 0; f < 2; ++f) {
    for (int p = 0; p < (f == 0 ? 3 : 2); ++p) {
      EXPECT_EQ(s.m_recorded_table.Get(f, p, -1), 0);
      EXPECT_EQ(s.m_key_count_table.Get(f, p, -1), 0);
    }
  }
}

TEST(RecordingEmptyAlbum, NoFoldersOrNoTablesDoNothing) {
  for (bool allocated : {false, true}) {
    ViewerState s;
    if (allocated) AllocateTables(s, {});
    s.m_zoom_in = 1;
    s.m_record_armed = 1;
    s.m_capture_restart = 1;
    s.m_key_count = 9;
    RecordingStep(s);  // no m_evt_play either
    KeyFrameCapture(s);
    PlaybackStep(s, 3, 10);
    EXPECT_EQ(s.m_key_count, 0);
    EXPECT_EQ(s.m_capture_count, 0);
    EXPECT_EQ(s.m_play_pos, 0);
    EXPECT_EQ(s.m_tick_keyframe, 0u);
  }
}

TEST_F(Recording, ThePlayEventIsConsumedAndTheCountReloaded) {
  Record(kThreeKeys, kThreeZooms);
  s.m_zoom_in = 0;
  s.m_recorded_table.Set(1, 1, 0);
  SetEvent(s.m_evt_play);
  s.m_key_count = 0;
  RecordingStep(s);
  EXPECT_EQ(s.m_key_count, 3);
  EXPECT_EQ(WaitForSingleObject(s.m_evt_play, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  // A step without the signal leaves it unsignalled.
  RecordingStep(s);
  EXPECT_EQ(WaitForSingleObject(s.m_evt_play, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

// ---- Two threads ----------------------------------------------------------------------------

// The recording thread and the render thread run the step together while the window's thread
// changes pictures, presses and releases; every position stays on its path.
TEST_F(Recording, TwoThreadsRunningTheStepStayInBounds) {
  std::vector<CPoint> points;
  std::vector<float> zooms;
  for (int j = 0; j < 6; ++j) {
    points.emplace_back(j * 7, j * -3);
    zooms.push_back(1.5f + 0.25f * static_cast<float>(j));
  }
  Record(points, zooms);
  std::atomic<bool> stop{false};
  auto stepper = [&] {
    while (!stop) {
      RecordingStep(s);
      const int pos = s.m_play_pos;
      EXPECT_GE(pos, 0);
      EXPECT_LE(pos, 50 + 49 * kMaxPlaySteps);
    }
  };
  std::thread record_thread(stepper);
  std::thread render_thread(stepper);
  const int steps[] = {10, 0, -5, 1, 3, 1000000};
  for (int i = 0; i < 3000; ++i) {
    m_clock.Advance(37);
    s.m_picture = i % 4;  // picture 2 and 3 of folder 1 lie outside the tables
    s.m_folder = (i / 4) % 2;
    s.m_play_steps = steps[i % 6];
    s.m_key_count_table.Set(0, 0, (i % 7) * 10 - 5);
    if (i % 50 == 0) Press();
    if (i % 50 == 25) {
      s.m_capturing = 0;
      s.m_zoom_in = 0;
    }
    if (i % 11 == 0) SetEvent(s.m_evt_play);
    if (i % 100 == 0) std::this_thread::yield();
  }
  stop = true;
  record_thread.join();
  render_thread.join();
  EXPECT_LE(s.m_capture_count, 40);
  for (int f = 0; f < 2; ++f) {
    for (int p = 0; p < 3; ++p) EXPECT_LE(s.m_key_count_table.Get(f, p, 0), 55);
  }
}
