// Pixel geometry of pen strokes and ellipses: dash patterns, line pixels, ellipse rows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/types.h"

// Alternating on and off run lengths of a 1-pixel pen, in pixels along the line's major axis.
struct DashPattern {
  std::array<int, 6> runs{};
  int count = 0;   // runs used, even: on, off, on, off...
  int period = 0;  // sum of the runs
};

// The pattern of a pen style, or nothing for a solid line; wider pens are always solid.
std::optional<DashPattern> PenDashPattern(int style, int width);

// Whether the pixel at `position` (counted from the start of the shape) is in an on run.
bool DashIsOn(const DashPattern& pattern, std::int64_t position);

// Pixels of the line from a to b, b excluded: one per step along the major axis.
std::int64_t LineLength(POINT a, POINT b);
// Pixel `i` (0 <= i < LineLength) of the line; the minor coordinate rounds half towards b.
POINT LinePixel(POINT a, POINT b, std::int64_t i);
bool LineIsXMajor(POINT a, POINT b);

// The steps [begin, end) of a line whose major coordinate, widened by `margin` on each side, lies in
// [0, size) of that axis: the only steps that can touch a target of that size.
struct StepRange {
  std::int64_t begin = 0;
  std::int64_t end = 0;
};
StepRange LineStepsInside(POINT a, POINT b, int width, int height, int margin);

// The columns [left, right) on row y of the ellipse inscribed in the box [left, right) x [top, bottom):
// pixels whose centre lies inside the ellipse through the box's edges. Empty (left == right) outside it.
struct RowSpan {
  int left = 0;
  int right = 0;
  bool Empty() const { return right <= left; }
};
RowSpan EllipseRowSpan(const RECT& box, int y);
