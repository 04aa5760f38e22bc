#include "render/motion_model.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

namespace {

// The zoom moves in steps of 0.1, computed in double and stored as float.
constexpr double kZoomStep = 0.1;
// The breathing factor moves by 0.005 per frame between the float thresholds 1.1f and 1.2f.
constexpr double kBreathStep = 0.005;
constexpr float kBreathLow = 1.1f;
constexpr float kBreathHigh = 1.2f;
// m_play_zoom when the current picture holds no recording.
constexpr float kUnrecordedPlayZoom = 1.5f;

// Truncates toward zero, saturating at the int range (NaN gives 0).
int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

// Sets the pan point to path[index]; an index outside the path leaves it unchanged.
void PanFromPath(ViewerState& state, const std::vector<CPoint>& path, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= path.size()) return;
  const CPoint point = path[static_cast<std::size_t>(index)];
  state.m_path_pan_x = point.x;
  state.m_path_pan_y = point.y;
}

// One step back along the zoom-out path while the index is above 0.
void StepBackAlongZoomOut(ViewerState& state) {
  int index = state.m_path_index;
  if (index <= 0) return;
  --index;
  state.m_path_index = index;
  PanFromPath(state, state.m_zoom_out_path, index);
}

// Puts the pan point (dragged and target positions) at the centre of the screen.
void CentrePan(ViewerState& state) {
  const int x = state.m_screen_cx / 2;
  const int y = state.m_screen_cy / 2;
  state.m_drag_x = x;
  state.m_target_x = x;
  state.m_drag_y = y;
  state.m_target_y = y;
}

bool CurrentPictureRecorded(const ViewerState& state) {
  return state.m_recorded_table.Get(state.m_folder, state.m_picture, 0) == 1;
}

SlotScale ScaleSlot(int screen_h, int screen_cx, int screen_cy, float breath, float zoom,
                    SIZE size) {
  SlotScale slot;
  if (size.cy > 0) {
    slot.scale = static_cast<float>(screen_h) / static_cast<float>(size.cy) * breath * zoom;
  }
  const float scaled_w = static_cast<float>(size.cx) * slot.scale;
  const float scaled_h = static_cast<float>(size.cy) * slot.scale;
  slot.centre_x = TruncateToInt((static_cast<float>(screen_cx) - scaled_w) * 0.5);
  slot.centre_y = TruncateToInt((static_cast<float>(screen_cy) - scaled_h) * 0.5);
  slot.drawn_w = TruncateToInt(scaled_w);
  slot.drawn_h = TruncateToInt(scaled_h);
  return slot;
}

}  // namespace

int SeededRand() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  return std::rand();
}

int RightSlotPicture(int left_index, int picture_count) {
  return left_index + 1 < picture_count ? left_index + 1 : left_index;
}

int FadeOutStep(int brightness, int brightness_max, int speed) {
  if (brightness > 4) brightness = brightness - brightness_max / 25 - speed;
  if (brightness < 5) brightness = 0;
  return brightness;
}

int FadeInStep(int brightness, int brightness_max, int speed) {
  if (brightness < brightness_max) brightness = brightness + brightness_max / 25 + speed;
  if (brightness > brightness_max) brightness = brightness_max;
  return brightness;
}

void PlaybackZoomHandOver(ViewerState& state) {
  if (state.m_record_armed == 1 && state.m_playback == 1) {
    if (CurrentPictureRecorded(state)) {
      const float play_zoom = state.m_play_zoom;
      state.m_record_zoom = play_zoom;
      state.m_zoom = play_zoom;
    } else {
      state.m_play_zoom = kUnrecordedPlayZoom;
    }
  }
  if (state.m_capturing == 1) state.m_playback = 0;
}

void AutoAdvance(ViewerState& state, int left_index_prev_frame, const RandomSource& random) {
  if (state.m_strip_auto != 1) return;
  const int n = state.m_picture_count;
  const int speed = state.m_strip_speed;
  int offset = state.m_strip_offset;
  int reverse = state.m_strip_reverse;

  const bool at_last = std::abs(left_index_prev_frame) == n - 1;
  if (at_last) {
    offset += speed;
    reverse = 1;
    if (state.m_rand == 1) {
      const int folders = state.m_folder_count;
      int folder = 0;  // no folders: stay at folder 0 rather than divide by zero
      if (folders > 0) {
        folder = random() % folders;
        if (folder < 0) folder += folders;  // a source outside 0..RAND_MAX still lands in range
      }
      state.m_folder = folder;
      offset = 0;
    }
  }
  if (offset > 0) {
    offset -= speed;
    reverse = 0;
  }
  if (!at_last) offset += reverse == 0 ? -speed : speed;

  state.m_strip_offset = offset;
  state.m_strip_reverse = reverse;

  const int mode = state.m_mode;
  if (mode == kModeRand || mode == kModeInside) BrightnessFade(state);
}

void BrightnessFade(ViewerState& state) {
  const int w = state.m_screen_w;
  if (w <= 0) return;
  const int speed = state.m_strip_speed;
  const int brightness_max = state.m_brightness_saved;
  int brightness = state.m_brightness;
  const int d = (state.m_strip_origin - state.m_strip_offset) % w - w / 2;
  const int k = 15 * speed + 10;
  const bool before_half = -k < d && d < 0;
  const bool after_half = 0 < d && d < k;
  // Running forward the picture fades out before the half-way point and in after it;
  // running backward the other way round.
  const bool forward = state.m_strip_reverse == 0;
  if (forward ? before_half : after_half) {
    brightness = FadeOutStep(brightness, brightness_max, speed);
  } else if (forward ? after_half : before_half) {
    brightness = FadeInStep(brightness, brightness_max, speed);
  } else {
    return;
  }
  state.m_brightness = brightness;
}

void StripPush(ViewerState& state) {
  const int dir = state.m_strip_dir;
  if (dir != 1 && dir != 2) return;
  if (state.m_dynam == 1) {
    int speed = state.m_strip_speed;
    if (dir == 1) {
      if (speed < 700) speed += 10;
    } else {
      if (speed == 10) speed = 0;
      if (speed > 10) speed -= 10;
    }
    state.m_strip_speed = speed;
  } else {
    const bool fast = state.m_fixed_fast == 1;
    int offset = state.m_strip_offset;
    if (dir == 1) {
      offset += fast ? 1000 : 150;
    } else if (fast) {
      const int w = state.m_screen_w;
      const int n = state.m_picture_count;
      // Near the end of the folder the special fast push wraps to the first picture.
      if (state.m_fixed_special != 0 && std::abs(offset) >= (n - 2) * w - w / 4 - 50) offset = 0;
      offset -= 1000;
    } else {
      offset -= 150;
    }
    state.m_strip_offset = offset;
  }
  state.m_strip_dir = 0;
}

void ArrowKeys(ViewerState& state, bool left_down, bool right_down) {
  if (!left_down && !right_down) return;
  const int origin = state.m_strip_origin;
  const int last_edge = (state.m_picture_count - 1) * state.m_screen_w;
  int offset = state.m_strip_offset;
  if (left_down) {
    const int e = origin - offset;
    // Slower steps in the last 200 pixels so the strip stops close to the last picture.
    if (e < last_edge - 50 && e > -200) offset -= e < last_edge - 200 ? 150 : 50;
  }
  if (right_down) {
    const int e = origin - offset;
    if (std::abs(e) < last_edge + 160 && e > 0) offset += 150;
  }
  state.m_strip_offset = offset;
}

void StaticSnap(ViewerState& state) {
  if (state.m_static_wheel != 1) return;
  const int w = state.m_screen_w;
  if (w > 0) {
    const int n = state.m_picture_count;
    int offset = state.m_strip_offset;
    const int e = state.m_strip_origin - offset;
    const int r = e % w;
    if (state.m_wheel_up == 1) {
      if (e > 0) {
        CentrePan(state);
        offset = offset + w - r;
      }
    } else if (e < (n - 1) * w - r) {
      CentrePan(state);
      offset = offset + r - w;
    }
    state.m_strip_offset = offset;
  }
  state.m_static_wheel = 0;
}

StripView StripGeometry(int screen_w, int strip_offset, int strip_origin, int picture_count) {
  StripView view;
  if (screen_w <= 0) return view;
  const int w = screen_w;
  const int r = strip_offset;
  const int u = strip_origin;
  view.left_index = u - r / w;
  view.picture = (w - w / 2 - r + u) / w;
  view.fraction = (u - r) % w;
  view.left_current = view.fraction < w / 2;
  view.neighbour_step = r < 0 ? 1 : -1;
  view.left_file = std::abs(view.left_index);
  // From the last picture on, the right slot shows the last picture again.
  view.right_file = u - r < w * (picture_count - 1)
                        ? std::abs(view.left_index + view.neighbour_step)
                        : view.left_file;
  return view;
}

void ZoomInStep(ViewerState& state) {
  float target = 0.0f;
  if (state.m_record_mode != 0) {
    target = state.m_record_zoom;
  } else {
    const int left = state.m_left_index;
    const int picture =
        state.m_slot == kSlotLeft ? left : RightSlotPicture(left, state.m_picture_count);
    target = state.m_zoom_table.Get(state.m_folder, picture, kDefaultZoomTarget);
  }
  const float zoom = state.m_zoom;
  if (zoom < target) state.m_zoom = static_cast<float>(zoom + kZoomStep);
}

void StepZoomPaths(ViewerState& state) {
  std::lock_guard<CCriticalSection> hold(state.m_path_lock);
  const bool zooming_in = state.m_zoom_in == 1;
  if (state.m_record_armed == 0) {
    if (zooming_in || state.m_mode == kModeStatic) {
      ZoomInStep(state);
      int index = state.m_path_index;
      if (index < state.m_zoom_in_steps) {
        ++index;
        state.m_path_index = index;
        PanFromPath(state, state.m_zoom_in_path, index);
      }
    } else {
      const float zoom = state.m_zoom;
      const int record_mode = state.m_record_mode;
      if ((record_mode == 0 && zoom > 1.0) || (record_mode == 1 && zoom > state.m_record_zoom)) {
        state.m_zoom = static_cast<float>(zoom - kZoomStep);
      }
      StepBackAlongZoomOut(state);
    }
  } else if (zooming_in) {
    // Held at the end of the zoom-in path; the index stays where it is.
    PanFromPath(state, state.m_zoom_in_path, state.m_zoom_in_steps);
  } else {
    state.m_zoom = 1.0f;
    StepBackAlongZoomOut(state);
  }
}

void PlaybackZoomOverride(ViewerState& state) {
  const int mode = state.m_mode;
  // No menu item sets mode 2; it still counts here.
  const bool mode_plays = mode == 2 || mode == kModeFixed || mode == kModeRand ||
                          mode == kModeInside || state.m_dynam == 1;
  if (!mode_plays || state.m_playback != 1) return;
  state.m_zoom = CurrentPictureRecorded(state) ? state.m_play_zoom.load() : 1.0f;
}

void Breathe(ViewerState& state) {
  float breath = state.m_breath;
  int up = state.m_breath_up;
  if (breath < kBreathLow) up = 1;
  if (breath > kBreathHigh) up = 0;
  breath = static_cast<float>(up == 1 ? breath + kBreathStep : breath - kBreathStep);
  state.m_breath_up = up;
  state.m_breath = breath;
}

SlotScales ScaleAndCentre(int screen_h, int screen_cx, int screen_cy, float breath, float zoom,
                          SIZE left, SIZE right) {
  return {ScaleSlot(screen_h, screen_cx, screen_cy, breath, zoom, left),
          ScaleSlot(screen_h, screen_cx, screen_cy, breath, zoom, right)};
}

CPoint ViewPosition(ViewerState& state, bool left_current) {
  const int mode = state.m_mode;
  const int playback = state.m_playback;
  bool from_path = state.m_path_index < state.m_zoom_in_steps ||
                   ((mode == kModeFixed || state.m_dynam == 1) && playback == 0);
  if (state.m_record_mode == 1) from_path = false;

  const int shift_x = state.m_target_x - state.m_drag_x;
  const int shift_y = state.m_target_y - state.m_drag_y;
  CPoint position;
  if (from_path) {
    position = CPoint((state.m_path_pan_x + shift_x) * 3, (state.m_path_pan_y + shift_y) * 3);
  } else {
    const PanOffset pan = state.m_pan_table.Get(state.m_folder, state.m_picture, PanOffset{});
    position = CPoint((pan.x + shift_x) * 3, (pan.y + shift_y) * 3);
  }
  if (playback == 1 && state.m_capturing == 0 && CurrentPictureRecorded(state)) {
    position = CPoint(state.m_play_x, state.m_play_y);
  }

  if (left_current) {
    state.m_view_left_x = position.x;
    state.m_view_left_y = position.y;
  } else {
    state.m_view_right_x = position.x;
    state.m_view_right_y = position.y;
  }
  return position;
}
