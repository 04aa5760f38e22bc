#include "platform/gdi/world_transform.h"

#include <climits>
#include <cmath>

DPoint Apply(const Affine& map, double x, double y) {
  return DPoint{map.m11 * x + map.m21 * y + map.dx, map.m12 * x + map.m22 * y + map.dy};
}

Affine Compose(const Affine& first, const Affine& second) {
  Affine r;
  r.m11 = first.m11 * second.m11 + first.m12 * second.m21;
  r.m12 = first.m11 * second.m12 + first.m12 * second.m22;
  r.m21 = first.m21 * second.m11 + first.m22 * second.m21;
  r.m22 = first.m21 * second.m12 + first.m22 * second.m22;
  r.dx = first.dx * second.m11 + first.dy * second.m21 + second.dx;
  r.dy = first.dx * second.m12 + first.dy * second.m22 + second.dy;
  return r;
}

std::optional<Affine> Invert(const Affine& map) {
  const double det = map.m11 * map.m22 - map.m12 * map.m21;
  if (det == 0 || !std::isfinite(det)) return std::nullopt;
  Affine r;
  r.m11 = map.m22 / det;
  r.m12 = -map.m12 / det;
  r.m21 = -map.m21 / det;
  r.m22 = map.m11 / det;
  r.dx = -(map.dx * r.m11 + map.dy * r.m21);
  r.dy = -(map.dx * r.m12 + map.dy * r.m22);
  return r;
}

namespace {
double SnapUnit(double v) {
  const double r = std::round(v);
  return (std::fabs(r) <= 1 && std::fabs(v - r) < 1e-6) ? r : v;
}
}  // namespace

Affine SnapQuarterTurns(const Affine& map) {
  Affine r = map;
  r.m11 = SnapUnit(map.m11);
  r.m12 = SnapUnit(map.m12);
  r.m21 = SnapUnit(map.m21);
  r.m22 = SnapUnit(map.m22);
  return r;
}

std::optional<IntOffset> IntegerTranslation(const Affine& map) {
  if (map.m11 != 1 || map.m22 != 1 || map.m12 != 0 || map.m21 != 0) return std::nullopt;
  if (map.dx != std::floor(map.dx) || map.dy != std::floor(map.dy)) return std::nullopt;
  if (std::fabs(map.dx) > INT_MAX / 2 || std::fabs(map.dy) > INT_MAX / 2) return std::nullopt;
  return IntOffset{static_cast<int>(map.dx), static_cast<int>(map.dy)};
}

int RoundCoordinate(double v) {
  const double r = std::floor(v + 0.5);
  if (!(r > INT_MIN)) return INT_MIN;  // also NaN
  if (r >= INT_MAX) return INT_MAX;
  return static_cast<int>(r);
}

double FloorSnapped(double v) { return std::floor(v + 1e-9); }
