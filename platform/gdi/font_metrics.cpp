#include "platform/gdi/font_metrics.h"

#include <cstdlib>

int ScaleFontUnits(int units, int ppem, int unitsPerEm) {
  if (unitsPerEm <= 0) return 0;
  const std::int64_t product = static_cast<std::int64_t>(std::abs(units)) * ppem;
  const auto scaled = static_cast<int>((2 * product + unitsPerEm) / (2 * std::int64_t{unitsPerEm}));
  return units < 0 ? -scaled : scaled;
}

FontCellMetrics MetricsForEmHeight(int ppem, int unitsPerEm, int winAscent, int winDescent) {
  FontCellMetrics m;
  m.ppem = ppem < 1 ? 1 : ppem;
  m.ascent = ScaleFontUnits(winAscent, m.ppem, unitsPerEm);
  m.descent = ScaleFontUnits(winDescent, m.ppem, unitsPerEm);
  return m;
}

FontCellMetrics MetricsForCellHeight(int height, int unitsPerEm, int winAscent, int winDescent) {
  const std::int64_t cell_units = std::int64_t{winAscent} + winDescent;
  if (cell_units <= 0 || unitsPerEm <= 0) return {};
  int ppem = static_cast<int>(std::int64_t{unitsPerEm} * height / cell_units);
  FontCellMetrics m = MetricsForEmHeight(ppem, unitsPerEm, winAscent, winDescent);
  while (m.ppem > 1 && m.CellHeight() > height) {
    m = MetricsForEmHeight(m.ppem - 1, unitsPerEm, winAscent, winDescent);
  }
  return m;
}

std::int64_t HorizontalScaleForWidth(int width, int avgCharWidth, int ppem, int unitsPerEm) {
  constexpr std::int64_t kOne = 0x10000;
  if (width <= 0) return kOne;
  const int average_px = ScaleFontUnits(avgCharWidth, ppem, unitsPerEm);
  if (average_px <= 0) return kOne;
  return (std::int64_t{width} * kOne * 2 + average_px) / (2 * std::int64_t{average_px});
}
