// The motion model: the per-frame arithmetic that moves the picture strip, fades the brightness,
// applies the pushes from the mouse and the arrow keys, snaps in Static mode, steps the zoom along
// the zoom paths, breathes, and computes each slot's scale, centring and view position.
//
// RenderFrame calls the steps in this order:
//   PlaybackZoomHandOver, AutoAdvance, StripPush, ArrowKeys, StaticSnap, StripGeometry,
//   and later in the frame StepZoomPaths, PlaybackZoomOverride, Breathe, ScaleAndCentre,
//   ViewPosition.
// Each step reads a shared field once into a local, computes, and stores it once.
// Integer division and remainder truncate toward zero (the remainder takes the dividend's sign);
// zoom and breath steps are computed in double and stored as float; float-to-int truncates.
#pragma once

#include <functional>

#include "app/viewer_state.h"
#include "platform/types.h"

// A random number in 0..RAND_MAX, as the C library's rand() gives it.
using RandomSource = std::function<int()>;

// Seeds the C library's generator with the current time in seconds, then returns rand().
int SeededRand();

// Picture number whose table entries describe the right slot of left index L in a folder of n
// pictures: L + 1, or L itself at the last picture (the right slot shows it again there).
int RightSlotPicture(int left_index, int picture_count);

// Brightness after one fade-out step: B - Bmax/25 - s when B > 4; then 0 whenever below 5.
int FadeOutStep(int brightness, int brightness_max, int speed);
// Brightness after one fade-in step: B + Bmax/25 + s when B < Bmax; then at most Bmax.
int FadeInStep(int brightness, int brightness_max, int speed);

// Playback hand-over at the start of a frame: the recorded zoom becomes the zoom of a recorded
// current picture (m_play_zoom back to 1.5 for one not recorded); capturing stops playback.
void PlaybackZoomHandOver(ViewerState& state);

// Automatic advance (only while m_strip_auto = 1), with the brightness fade in Rand and Inside:
// runs the strip forward to the folder's last picture, back to its first, and forward again;
// in Rand, reaching the last picture jumps to folder `random() % m_folder_count` at its start.
// `left_index_prev_frame` is L of the previous frame.
void AutoAdvance(ViewerState& state, int left_index_prev_frame,
                 const RandomSource& random = SeededRand);

// The brightness fade alone (AutoAdvance runs it in modes Rand and Inside after moving R).
void BrightnessFade(ViewerState& state);

// One push from m_strip_dir (1 forward, 2 back): speed in Dynam, offset in Fixed; clears it.
void StripPush(ViewerState& state);

// Arrow keys held this frame: left moves toward the last picture, right toward the first.
void ArrowKeys(ViewerState& state, bool left_down, bool right_down);

// Static-mode wheel step (when m_static_wheel = 1): from a picture boundary, one picture back
// (m_wheel_up = 1) or on, never past the first or last; centres the pan when it moves; clears
// m_static_wheel. Between boundaries "on" reaches the next one and "back" moves by W - r.
void StaticSnap(ViewerState& state);

// Where the strip stands for one frame.
struct StripView {
  int left_index = 0;        // L = U - R / W
  int picture = 0;           // P = (W - W/2 - R + U) / W, the picture covering more of the screen
  int fraction = 0;          // f = (U - R) % W
  bool left_current = true;  // f < W/2: the left slot holds the current picture
  int neighbour_step = -1;   // +1 when R < 0, else -1
  int left_file = 0;         // |L|, the picture file of the left slot
  int right_file = 0;        // |L + step|, or |L| once U - R reaches the last picture
};

// The strip's slots from screen width W, offset R, origin U and picture count n; all zero
// when W is not positive.
StripView StripGeometry(int screen_w, int strip_offset, int strip_origin, int picture_count);

// One zoom step toward the current slot's zoom target (m_record_zoom in record mode): +0.1 while
// below it, so it may end up to one step past a target off the 0.1 grid. StepZoomPaths calls it.
void ZoomInStep(ViewerState& state);

// Zoom and path step under m_path_lock: zooms in along m_zoom_in_path or out along
// m_zoom_out_path, updating m_path_index and the pan point m_path_pan_x/y.
// Reads F, L and n from m_folder, m_left_index and m_picture_count.
void StepZoomPaths(ViewerState& state);

// During playback in modes 2..5 and Dynam: the zoom is m_play_zoom for a recorded current
// picture, 1.0 otherwise.
void PlaybackZoomOverride(ViewerState& state);

// One breathing step: m_breath rises by 0.005 per frame until above 1.2f, falls until below
// 1.1f, and so on.
void Breathe(ViewerState& state);

// Scale, centring offsets and drawn size of one slot.
struct SlotScale {
  float scale = 0.0f;
  int centre_x = 0;
  int centre_y = 0;
  int drawn_w = 0;
  int drawn_h = 0;
};
struct SlotScales {
  SlotScale left;
  SlotScale right;
};

// Scales both slots' bitmaps (sizes `left`, `right`) to the screen height H, times breath and
// zoom, and centres them on a screen of screen_cx x screen_cy (the screen metrics).
// A bitmap without a positive height (nothing loaded) gets scale 0. Conversions to int
// truncate and saturate at the int range.
SlotScales ScaleAndCentre(int screen_h, int screen_cx, int screen_cy, float breath, float zoom,
                          SIZE left, SIZE right);

// Source origin of the current slot in the view case, from the path point, the pan table or
// the playback point; stored in m_view_left_x/y when `left_current`, else m_view_right_x/y.
CPoint ViewPosition(ViewerState& state, bool left_current);
