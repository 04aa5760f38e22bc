#include "platform/gdi/stretch_map.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::int64_t kMaxExtent = std::int64_t{1} << 30;      // stretch arithmetic stays below 2^62
constexpr std::int64_t kMaxUnitExtent = std::int64_t{1} << 40;  // shifts and fills only add

struct Normalized {
  std::int64_t start = 0;
  std::int64_t length = 0;
};

Normalized Normalize(AxisSpan span) {
  if (span.extent < 0) return Normalized{span.origin + span.extent, -span.extent};
  return Normalized{span.origin, span.extent};
}

}  // namespace

std::int64_t StretchSourceOffset(std::int64_t d, std::int64_t sw, std::int64_t dw, StretchAxis axis) {
  // Enlarging: the destination pixel's centre mapped into the source, a tie going to the lower pixel.
  if (dw >= sw) return ((2 * d + 1) * sw - 1) / (2 * dw);
  // Shrinking: the last column of each group wins, but the first row.
  if (axis == StretchAxis::Horizontal) return ((2 * d + 2) * sw - dw) / (2 * dw);
  return (2 * d * sw + dw) / (2 * dw);
}

AxisMap ClipAxis(AxisSpan dst, int size) {
  AxisMap map;
  const Normalized d = Normalize(dst);
  if (d.length <= 0 || d.length > kMaxUnitExtent || std::abs(d.start) > kMaxUnitExtent) return map;
  map.begin = static_cast<int>(std::clamp<std::int64_t>(d.start, 0, size));
  map.end = static_cast<int>(std::clamp<std::int64_t>(d.start + d.length, 0, size));
  map.unit = true;
  if (map.end < map.begin) map.end = map.begin;
  return map;
}

AxisMap MapAxis(AxisSpan dst, int dstSize, AxisSpan src, int srcSize, StretchAxis axis) {
  AxisMap map;
  const Normalized d = Normalize(dst);
  const Normalized s = Normalize(src);
  if (d.length <= 0 || s.length <= 0) return map;
  if (d.length > kMaxUnitExtent || s.length > kMaxUnitExtent) return map;
  if (std::abs(d.start) > kMaxUnitExtent || std::abs(s.start) > kMaxUnitExtent) return map;
  const bool mirror = (dst.extent < 0) != (src.extent < 0);
  // Destination offsets inside the destination surface.
  std::int64_t first = std::max<std::int64_t>(0, -d.start);
  std::int64_t last = std::min<std::int64_t>(d.length, std::int64_t{dstSize} - d.start);

  if (!mirror && d.length == s.length) {
    // Source offsets inside the source surface too.
    first = std::max(first, -s.start);
    last = std::min(last, std::int64_t{srcSize} - s.start);
    if (last <= first) return map;
    map.unit = true;
    map.begin = static_cast<int>(d.start + first);
    map.end = static_cast<int>(d.start + last);
    map.offset = static_cast<int>(s.start - d.start);
    return map;
  }

  if (d.length > kMaxExtent || s.length > kMaxExtent) return map;
  // A destination one pixel long from a longer source first shortens the source by one.
  const std::int64_t sw = (d.length == 1 && s.length > 1) ? s.length - 1 : s.length;
  std::vector<int> indices;
  std::int64_t firstInside = -1;
  for (std::int64_t i = first; i < last; ++i) {
    std::int64_t offset = StretchSourceOffset(i, sw, d.length, axis);
    if (mirror) offset = s.length - 1 - offset;  // mirrored within the whole source span
    const std::int64_t index = s.start + offset;
    if (index < 0 || index >= srcSize) {
      if (firstInside >= 0) break;  // the mapping is monotonic: nothing further comes back inside
      continue;
    }
    if (firstInside < 0) firstInside = i;
    indices.push_back(static_cast<int>(index));
  }
  if (indices.empty()) return map;
  map.begin = static_cast<int>(d.start + firstInside);
  map.end = map.begin + static_cast<int>(indices.size());
  map.source = std::move(indices);
  return map;
}
