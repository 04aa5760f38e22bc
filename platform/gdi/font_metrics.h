// The desktop API's font size arithmetic: from a requested cell height to a pixel size.
#pragma once

#include <cstdint>

// Sizes of a font at one pixel size.
struct FontCellMetrics {
  int ppem = 0;     // pixels per em
  int ascent = 0;   // pixels above the baseline
  int descent = 0;  // pixels below the baseline

  int CellHeight() const { return ascent + descent; }
  bool operator==(const FontCellMetrics&) const = default;
};

// round(units * ppem / unitsPerEm), halves away from zero.
int ScaleFontUnits(int units, int ppem, int unitsPerEm);

// Metrics for a cell height in pixels: ppem = unitsPerEm * height / (winAscent + winDescent),
// truncated, then one less while the rounded ascent plus descent exceeds the height. At least 1;
// all zero when the font states no vertical extent.
FontCellMetrics MetricsForCellHeight(int height, int unitsPerEm, int winAscent, int winDescent);

// Metrics for an em height in pixels (a negative height in the desktop API's font request).
FontCellMetrics MetricsForEmHeight(int ppem, int unitsPerEm, int winAscent, int winDescent);

// Horizontal scale, 16.16 fixed point, that makes the font's average character width
// (round(xAvgCharWidth * ppem / unitsPerEm) pixels) `width` pixels. 1.0 when width is 0 or
// the font states no average width.
std::int64_t HorizontalScaleForWidth(int width, int avgCharWidth, int ppem, int unitsPerEm);
