#include "interaction/recording.h"

#include <algorithm>
#include <vector>

#include "interaction/path_interpolation.h"
#include "platform/kernel/time.h"

namespace {

// A capture writes slots 0..39: a negative count starts at slot 0, a count of 40 or more stores nothing.
constexpr int kCaptureSlotLimit = 40;

// The picture has an entry in every table the recording reads or writes.
bool InTables(const ViewerState& s, int folder, int picture) {
  return s.m_key_count_table.Contains(folder, picture) && s.m_recorded_table.Contains(folder, picture) &&
         s.m_key_x.Contains(folder, picture) && s.m_key_y.Contains(folder, picture) &&
         s.m_key_zoom.Contains(folder, picture);
}

void Capture(ViewerState& s, int folder, int picture) {
  const DWORD now = GetTickCount();
  const DWORD previous = s.m_tick_keyframe;
  if (static_cast<DWORD>(now - previous) < kKeyFrameSpacingMs) return;
  s.m_tick_keyframe = now;

  int count = std::max(s.m_capture_count.load(), 0);
  if (count < kCaptureSlotLimit) {
    const bool left = s.m_slot == kSlotLeft;
    const int x = left ? s.m_view_left_x : s.m_view_right_x;
    const int y = left ? s.m_view_left_y : s.m_view_right_y;
    s.m_key_x.Set(folder, picture, x, count);
    s.m_key_y.Set(folder, picture, y, count);
    s.m_key_zoom.Set(folder, picture, s.m_record_zoom, count);
    ++count;
    s.m_capture_count = count;
    s.m_key_count = count;
    s.m_key_count_table.Set(folder, picture, count);
  }
  if (count == kCaptureKeyFrames) {
    s.m_capturing = 0;
    s.m_playback = 1;
    s.m_tick_keyframe = GetTickCount();
  }
}

void Play(ViewerState& s, int folder, int picture, int key_count, int steps) {
  const int keys = std::clamp(key_count, 0, kKeyFrameSlots);
  if (keys == 0 || !InTables(s, folder, picture)) return;
  // Bad stored steps: clamp to 1..kMaxPlaySteps; StepPlayCursor keeps the position inside the path.
  const int n = std::clamp(steps, 1, kMaxPlaySteps);

  std::vector<CPoint> key_points(keys);
  std::vector<float> key_zooms(keys);
  for (int j = 0; j < keys; ++j) {
    key_points[j] = CPoint(s.m_key_x.Get(folder, picture, 0, j), s.m_key_y.Get(folder, picture, 0, j));
    key_zooms[j] = s.m_key_zoom.Get(folder, picture, kDefaultKeyZoom, j);
  }
  const std::vector<CPoint> points = KeyFramePointPath(key_points, n);
  const std::vector<float> zooms = KeyFrameZoomPath(key_zooms, n);

  // The turning point lies five entries before the path's end.
  const int last = n * (keys - 1) + keys - 6;
  s.m_play_last = last;
  s.m_tick_keyframe = GetTickCount();

  const PlayCursor cursor =
      StepPlayCursor({s.m_play_pos, s.m_play_backward}, last, static_cast<int>(points.size()));
  s.m_play_backward = cursor.backward;
  s.m_play_pos = cursor.pos;
  s.m_play_x = points[cursor.pos].x;
  s.m_play_y = points[cursor.pos].y;
  s.m_play_zoom = zooms[cursor.pos];
}

}  // namespace

PlayCursor StepPlayCursor(PlayCursor cursor, int last, int size) {
  const int top = std::max(size - 1, 0);
  // A position left over from a longer path (or a turn before the start) stays inside the path.
  int pos = std::clamp(cursor.pos, 0, top);
  int backward = cursor.backward;
  if (pos >= last) backward = 1;
  if (pos < 1) backward = 0;
  pos += backward == 1 ? -1 : 1;
  return {std::clamp(pos, 0, top), backward};
}

void KeyFrameCapture(ViewerState& state) {
  const int folder = state.m_folder;
  const int picture = state.m_picture;
  if (InTables(state, folder, picture)) Capture(state, folder, picture);
}

void PlaybackStep(ViewerState& state, int key_count, int steps) {
  Play(state, state.m_folder, state.m_picture, key_count, steps);
}

void RecordingStep(ViewerState& s) {
  // The exchange lets only one of the two threads running this step start the capture.
  if (s.m_capture_restart == 1 && s.m_capture_restart.exchange(0) == 1) {
    s.m_capture_count = 0;
    s.m_play_pos = 0;
    s.m_capturing = 1;
  }

  const int folder = s.m_folder;
  const int picture = s.m_picture;
  int key_count = s.m_key_count_table.Get(folder, picture, 0);
  if (WaitForSingleObject(s.m_evt_play, 0) == WAIT_OBJECT_0) {
    key_count = s.m_key_count_table.Get(folder, picture, 0);
    ResetEvent(s.m_evt_play);
  }
  s.m_key_count = key_count;

  if (!InTables(s, folder, picture)) return;
  if (s.m_zoom_in != 1 && s.m_recorded_table.Get(folder, picture, 0) != 1) return;

  if (s.m_capturing == 1 && s.m_record_armed == 1) {
    Capture(s, folder, picture);
    // Marked even when the spacing let no key frame through.
    s.m_recorded_table.Set(folder, picture, 1);
  }
  if (s.m_capturing == 0 && s.m_playback == 1) {
    const int count = s.m_key_count;
    if (count > 2) Play(s, folder, picture, count, s.m_play_steps);
  }
}
