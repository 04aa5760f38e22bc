#include "interaction/input_rules.h"

#include <cstdlib>

int StepBrightness(int brightness, bool up) {
  if (up) {
    if (brightness < 235) brightness += 30;
    if (brightness > 235) brightness = 255;
  } else {
    if (brightness > 25) brightness -= 30;
    if (brightness < 25) brightness = 0;
  }
  return brightness;
}

int SnapStripOffset(int strip_offset, int strip_origin, int screen_w) {
  if (screen_w <= 0) return strip_offset;
  int r = (strip_origin - strip_offset) % screen_w;
  // One pixel short of the next boundary, not exactly on it.
  return r < screen_w / 2 ? strip_offset + r : strip_offset + r - screen_w + 1;
}

int ZoomSteps(float zoom_target) { return std::abs(static_cast<int>((zoom_target - 1.0) / 0.1)); }

int StripPushFromMove(int last_x, int x, int strip_offset, int strip_origin, int picture_count, int screen_w,
                      bool fixed_fast) {
  long long jump = std::llabs(std::llabs(static_cast<long long>(last_x)) - std::llabs(static_cast<long long>(x)));
  if (jump >= 300) return 0;
  if (x > last_x) return strip_origin - strip_offset > 0 ? 1 : 0;
  long long reach = static_cast<long long>(picture_count - 1) * screen_w - 50;
  if (fixed_fast) reach -= screen_w / 4;
  return std::llabs(static_cast<long long>(strip_offset)) < reach ? 2 : 0;
}

bool InEdgeZone(int x, int y, int screen_w, int screen_h, int margin) {
  return y < margin || y > screen_h - margin || x < margin || x > screen_w - margin;
}

FixedChoice FixedChoiceFromRest(unsigned rest_ms, bool fixed_mode) {
  return {fixed_mode && rest_ms > 2000 ? 1 : 0, fixed_mode && rest_ms > 5000 ? 1 : 0};
}
