// Dense paths by linear interpolation: between two points or two zooms, and through a list of
// key frames. Point arithmetic truncates toward zero; zooms are computed in extended precision
// and stored as float.
#pragma once

#include <span>
#include <vector>

#include "platform/types.h"

// n + 2 points from `from` to `to`: point i = from + (to - from) * i / (n + 1), truncating toward
// zero; point 0 is `from`, point n + 1 is `to`. n < 0 counts as 0.
std::vector<CPoint> InterpolatePoints(int n, CPoint from, CPoint to);

// n + 2 zooms from a to b: value i = a + ((b - a) * i) / float(n + 1), in long double, stored as
// float. n < 0 counts as 0.
std::vector<float> InterpolateZooms(int n, float a, float b);

// The point segments between neighbouring key frames joined end to start, each shared end once:
// N + n(N - 1) points, point j(n + 1) is key frame j. No key frames give an empty path, one gives
// that key frame alone. n < 0 counts as 0.
std::vector<CPoint> KeyFramePointPath(std::span<const CPoint> keys, int n);

// The same over zooms: N + n(N - 1) values, value j(n + 1) is key zoom j.
std::vector<float> KeyFrameZoomPath(std::span<const float> keys, int n);
