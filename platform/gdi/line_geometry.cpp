#include "platform/gdi/line_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/gdi_types.h"

std::optional<DashPattern> PenDashPattern(int style, int width) {
  if (width > 1) return std::nullopt;  // wide cosmetic pens are not dashed
  switch (style) {
    case PS_DASH: return DashPattern{{18, 6}, 2, 24};
    case PS_DOT: return DashPattern{{3, 3}, 2, 6};
    case PS_DASHDOT: return DashPattern{{9, 6, 3, 6}, 4, 24};
    case PS_DASHDOTDOT: return DashPattern{{9, 3, 3, 3, 3, 3}, 6, 24};
    default: return std::nullopt;
  }
}

bool DashIsOn(const DashPattern& pattern, std::int64_t position) {
  if (pattern.period <= 0) return true;
  std::int64_t at = position % pattern.period;
  if (at < 0) at += pattern.period;
  for (int i = 0; i < pattern.count; ++i) {
    if (at < pattern.runs[static_cast<std::size_t>(i)]) return i % 2 == 0;
    at -= pattern.runs[static_cast<std::size_t>(i)];
  }
  return false;
}

std::int64_t LineLength(POINT a, POINT b) {
  return std::max(std::llabs(std::int64_t{b.x} - a.x), std::llabs(std::int64_t{b.y} - a.y));
}

bool LineIsXMajor(POINT a, POINT b) {
  return std::llabs(std::int64_t{b.x} - a.x) >= std::llabs(std::int64_t{b.y} - a.y);
}

POINT LinePixel(POINT a, POINT b, std::int64_t i) {
  const std::int64_t dx = std::int64_t{b.x} - a.x;
  const std::int64_t dy = std::int64_t{b.y} - a.y;
  const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  if (n == 0) return a;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t minor = std::llabs(xMajor ? dy : dx);
  // floor((2 i minor + n) / 2n): the exact minor offset rounded, half towards b; long double past 2^30.
  std::int64_t offset = 0;
  if (n < (std::int64_t{1} << 30)) {
    offset = (2 * i * minor + n) / (2 * n);
  } else {
    offset = static_cast<std::int64_t>(std::floor((2.0L * i * minor + n) / (2.0L * n)));
  }
  const std::int64_t majorStep = xMajor ? (dx < 0 ? -1 : 1) : (dy < 0 ? -1 : 1);
  const std::int64_t minorStep = xMajor ? (dy < 0 ? -1 : 1) : (dx < 0 ? -1 : 1);
  if (xMajor) return POINT{static_cast<LONG>(a.x + majorStep * i), static_cast<LONG>(a.y + minorStep * offset)};
  return POINT{static_cast<LONG>(a.x + minorStep * offset), static_cast<LONG>(a.y + majorStep * i)};
}

StepRange LineStepsInside(POINT a, POINT b, int width, int height, int margin) {
  const std::int64_t n = LineLength(a, b);
  const bool xMajor = LineIsXMajor(a, b);
  const std::int64_t start = xMajor ? a.x : a.y;
  const std::int64_t step = xMajor ? (b.x < a.x ? -1 : 1) : (b.y < a.y ? -1 : 1);
  const std::int64_t low = -std::int64_t{margin};
  const std::int64_t high = std::int64_t{xMajor ? width : height} + margin;  // exclusive
  // start + step * i in [low, high)
  std::int64_t first = 0;
  std::int64_t last = n;
  if (step > 0) {
    first = std::max(first, low - start);
    last = std::min(last, high - start);
  } else {
    first = std::max(first, start - high + 1);
    last = std::min(last, start - low + 1);
  }
  if (last < first) last = first;
  return StepRange{first, last};
}

RowSpan EllipseRowSpan(const RECT& box, int y) {
  if (y < box.top || y >= box.bottom || box.right <= box.left) return RowSpan{};
  // Doubled coordinates about the box centre: X = 2x + 1 - (left + right), radii A = width, B = height.
  const double a = static_cast<double>(box.right) - box.left;
  const double b = static_cast<double>(box.bottom) - box.top;
  const double yy = 2.0 * y + 1 - (static_cast<double>(box.top) + box.bottom);
  const double limit = a * a * (b * b - yy * yy);  // inside when X^2 B^2 <= limit
  if (limit < 0) return RowSpan{};
  // X has the parity of A + 1; find the largest such X with X^2 B^2 <= limit.
  const std::int64_t parity = (static_cast<std::int64_t>(a) + 1) & 1;
  std::int64_t x = static_cast<std::int64_t>(std::floor(std::sqrt(limit) / b));
  if ((x & 1) != parity) --x;
  auto fits = [&](std::int64_t v) { return static_cast<double>(v) * v * b * b <= limit; };
  while (fits(x + 2)) x += 2;
  while (x >= 0 && !fits(x)) x -= 2;
  if (x < 0) return RowSpan{};
  const std::int64_t twiceCentre = std::int64_t{box.left} + box.right - 1;  // 2 * column of the centre
  return RowSpan{static_cast<int>((twiceCentre - x) / 2), static_cast<int>((twiceCentre + x) / 2 + 1)};
}
