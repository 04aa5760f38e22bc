// The arithmetic of the input handlers, kept pure so that its edge cases can be pinned.
#pragma once

// Brightness after one wheel step with the middle button held: steps of 30, snapping to 255
// above 235 and to 0 below 25.
int StepBrightness(int brightness, bool up);

// Strip offset after a left release: snapped back to the picture boundary behind the strip
// position, or to one pixel short of the next boundary when past half a screen.
int SnapStripOffset(int strip_offset, int strip_origin, int screen_w);

// Zoom steps from 1.0 to a zoom target in steps of 0.1: |trunc((target - 1.0) / 0.1)|.
int ZoomSteps(float zoom_target);

// Strip push from a horizontal pointer move (0 none, 1 back toward the first picture, 2 on
// toward the last): moves of 300 pixels or more are jumps (re-centring) and push nothing.
int StripPushFromMove(int last_x, int x, int strip_offset, int strip_origin, int picture_count, int screen_w,
                      bool fixed_fast);

// Whether (x, y) lies in the border of `margin` pixels of a screen of the given size.
bool InEdgeZone(int x, int y, int screen_w, int screen_h, int margin);

// The Fixed sub-choice from how long the pointer rested on Fixed (unsigned milliseconds).
struct FixedChoice {
  int fast = 0;
  int special = 0;
};
FixedChoice FixedChoiceFromRest(unsigned rest_ms, bool fixed_mode);
