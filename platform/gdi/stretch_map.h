// Which source pixel each destination pixel of a blit takes, one axis at a time (nearest neighbour).
#pragma once

#include <cstdint>
#include <vector>

enum class StretchAxis { Horizontal, Vertical };

// Offset into a source of length `sw` for destination offset `d` (0 <= d < dw) of a destination of length
// `dw`, both positive and at most 2^30.
std::int64_t StretchSourceOffset(std::int64_t d, std::int64_t sw, std::int64_t dw, StretchAxis axis);

// An origin and a signed extent as a blit takes them; a negative extent covers [origin + extent, origin).
struct AxisSpan {
  std::int64_t origin = 0;
  std::int64_t extent = 0;
};

// One axis of a blit: the destination pixels [begin, end) to write and the source pixel for each. Every
// listed destination pixel lies inside the destination and maps inside the source; the others are left alone.
struct AxisMap {
  int begin = 0;
  int end = 0;
  bool unit = false;    // source = destination + offset (no stretch, no mirror): `source` stays empty
  int offset = 0;
  std::vector<int> source;  // otherwise the source index of destination begin + i

  int Count() const { return end - begin; }
  bool Empty() const { return end <= begin; }
  int SourceOf(int d) const { return unit ? d + offset : source[static_cast<std::size_t>(d - begin)]; }
};

// Maps destination span `dst` inside [0, dstSize) onto source span `src` inside [0, srcSize). Opposite signs
// of the two extents mirror. Stretches of more than 2^30 pixels, and any extent past 2^40, give an empty map.
AxisMap MapAxis(AxisSpan dst, int dstSize, AxisSpan src, int srcSize, StretchAxis axis);

// The destination pixels [begin, end) of `dst` inside [0, size), for fills that read no source.
AxisMap ClipAxis(AxisSpan dst, int size);
