#include "interaction/path_interpolation.h"

#include <cstddef>
#include <cstdint>

namespace {

// from + (to - from) * i / divisor with the quotient truncated toward zero. Computed in 64 bits
// so that large deltas do not overflow; the result lies between `from` and `to`, so it fits.
LONG Between(LONG from, LONG to, std::int64_t i, std::int64_t divisor) {
  const std::int64_t delta = static_cast<std::int64_t>(to) - from;
  return static_cast<LONG>(from + delta * i / divisor);
}

// Joins the segments between neighbouring keys, writing each shared end point once.
template <class T, class Segment>
std::vector<T> JoinSegments(std::span<const T> keys, int n, Segment segment) {
  if (n < 0) n = 0;
  std::vector<T> path;
  if (keys.empty()) return path;
  const std::size_t gaps = keys.size() - 1;
  path.reserve(keys.size() + static_cast<std::size_t>(n) * gaps);
  path.push_back(keys[0]);
  for (std::size_t j = 0; j < gaps; ++j) {
    const std::vector<T> part = segment(n, keys[j], keys[j + 1]);
    path.insert(path.end(), part.begin() + 1, part.end());
  }
  return path;
}

}  // namespace

std::vector<CPoint> InterpolatePoints(int n, CPoint from, CPoint to) {
  if (n < 0) n = 0;
  const std::int64_t divisor = static_cast<std::int64_t>(n) + 1;
  std::vector<CPoint> points;
  points.reserve(static_cast<std::size_t>(divisor) + 1);
  for (std::int64_t i = 0; i <= divisor; ++i) {
    points.emplace_back(Between(from.x, to.x, i, divisor), Between(from.y, to.y, i, divisor));
  }
  return points;
}

std::vector<float> InterpolateZooms(int n, float a, float b) {
  if (n < 0) n = 0;
  const std::int64_t last = static_cast<std::int64_t>(n) + 1;
  // The divisor passes through float first, as the step count did in the original arithmetic.
  const long double divisor = static_cast<float>(last);
  const long double from = a;
  const long double delta = static_cast<long double>(b) - from;
  std::vector<float> zooms;
  zooms.reserve(static_cast<std::size_t>(last) + 1);
  for (std::int64_t i = 0; i <= last; ++i) {
    zooms.push_back(static_cast<float>(from + (delta * static_cast<long double>(i)) / divisor));
  }
  return zooms;
}

std::vector<CPoint> KeyFramePointPath(std::span<const CPoint> keys, int n) {
  return JoinSegments<CPoint>(keys, n, InterpolatePoints);
}

std::vector<float> KeyFrameZoomPath(std::span<const float> keys, int n) {
  return JoinSegments<float>(keys, n, InterpolateZooms);
}
