// Affine maps between logical and device coordinates, in double precision.
#pragma once

#include <cstdint>
#include <optional>

// x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy (the desktop API's XFORM layout).
struct Affine {
  double m11 = 1;
  double m12 = 0;
  double m21 = 0;
  double m22 = 1;
  double dx = 0;
  double dy = 0;
};

struct DPoint {
  double x = 0;
  double y = 0;
};

DPoint Apply(const Affine& map, double x, double y);

// The map applying `first`, then `second`.
Affine Compose(const Affine& first, const Affine& second);

// The inverse map, or nothing for a singular one.
std::optional<Affine> Invert(const Affine& map);

// Linear entries within 1e-6 of -1, 0 or 1 made exact, so float quarter turns are exact permutations.
Affine SnapQuarterTurns(const Affine& map);

// The whole-pixel offset when `map` is a pure translation by integers.
struct IntOffset {
  int x = 0;
  int y = 0;
};
std::optional<IntOffset> IntegerTranslation(const Affine& map);

// floor(v + 0.5), the desktop API's rounding of mapped coordinates, clamped to the int range.
int RoundCoordinate(double v);

// floor(v), taking values less than 1e-9 below an integer as that integer (rounding noise of exact maps).
double FloorSnapped(double v);
