#include "platform/gdi/stretch_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int64_t> Offsets(std::int64_t sw, std::int64_t dw, StretchAxis axis) {
  std::vector<std::int64_t> out;
  for (std::int64_t d = 0; d < dw; ++d) out.push_back(StretchSourceOffset(d, sw, dw, axis));
  return out;
}

std::vector<int> Sources(const AxisMap& map) {
  std::vector<int> out;
  for (int d = map.begin; d < map.end; ++d) out.push_back(map.SourceOf(d));
  return out;
}

TEST(StretchSourceOffset, PerAxisTables) {
  struct Case {
    std::int64_t sw, dw;
    StretchAxis axis;
    std::vector<std::int64_t> expected;
  };
  const auto H = StretchAxis::Horizontal;
  const auto V = StretchAxis::Vertical;
  const Case cases[] = {
      {3, 3, H, {0, 1, 2}},
      {2, 4, H, {0, 0, 1, 1}},
      {2, 4, V, {0, 0, 1, 1}},
      {2, 3, H, {0, 0, 1}},  // the middle pixel's centre falls on the edge: the lower pixel wins
      {1, 5, V, {0, 0, 0, 0, 0}},
      {4, 2, H, {1, 3}},     // shrinking across: the last column of each group
      {4, 2, V, {0, 2}},     // shrinking down: the first row of each group
      {5, 3, H, {1, 2, 4}},
      {5, 3, V, {0, 2, 3}},
      {1000, 1, H, {999}},
      {1000, 1, V, {0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Offsets(c.sw, c.dw, c.axis), c.expected)
        << c.sw << " -> " << c.dw << (c.axis == H ? " across" : " down");
  }
}

TEST(StretchSourceOffset, StaysInsideTheSourceForLargeExtents) {
  const std::int64_t big = std::int64_t{1} << 30;
  for (auto axis : {StretchAxis::Horizontal, StretchAxis::Vertical}) {
    for (std::int64_t dw : {std::int64_t{1}, std::int64_t{7}, big}) {
      for (std::int64_t sw : {std::int64_t{1}, std::int64_t{3}, big}) {
        for (std::int64_t d : {std::int64_t{0}, dw / 2, dw - 1}) {
          const std::int64_t s = StretchSourceOffset(d, sw, dw, axis);
          EXPECT_GE(s, 0);
          EXPECT_LT(s, sw);
        }
      }
    }
  }
}

TEST(MapAxis, EqualExtentsAreAUnitShiftClippedOnBothSides) {
  // Destination 8 wide, source 5 wide: destination [-2, 6) from source [1, 9).
  const AxisMap map = MapAxis({-2, 8}, 8, {1, 8}, 5, StretchAxis::Horizontal);
  EXPECT_TRUE(map.unit);
  EXPECT_EQ(map.begin, 0);  // destination -2, -1 are off the target
  EXPECT_EQ(map.end, 2);    // source 5 and beyond are off the source
  EXPECT_EQ(Sources(map), (std::vector<int>{3, 4}));
}

TEST(MapAxis, NegativeExtentsOnBothSidesDoNotMirror) {
  const AxisMap map = MapAxis({4, -3}, 10, {3, -3}, 10, StretchAxis::Horizontal);
  EXPECT_EQ(map.begin, 1);
  EXPECT_EQ(Sources(map), (std::vector<int>{0, 1, 2}));
}

TEST(MapAxis, OppositeSignsMirror) {
  EXPECT_EQ(Sources(MapAxis({0, 3}, 10, {3, -3}, 10, StretchAxis::Horizontal)), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(Sources(MapAxis({3, -3}, 10, {0, 3}, 10, StretchAxis::Horizontal)), (std::vector<int>{2, 1, 0}));
  // Mirrored enlarging: 2 -> 4 reversed.
  EXPECT_EQ(Sources(MapAxis({0, -4}, 10, {4, 2}, 10, StretchAxis::Vertical)).size(), 0u);  // all off-target
  const AxisMap m = MapAxis({4, -4}, 10, {4, 2}, 10, StretchAxis::Vertical);
  EXPECT_EQ(m.begin, 0);
  EXPECT_EQ(Sources(m), (std::vector<int>{5, 5, 4, 4}));
}

TEST(MapAxis, OnePixelDestinationShortensTheSource) {
  // Source 4 long, shortened to 3: across takes offset 2, down offset 0.
  EXPECT_EQ(Sources(MapAxis({0, 1}, 5, {10, 4}, 20, StretchAxis::Horizontal)), (std::vector<int>{12}));
  EXPECT_EQ(Sources(MapAxis({0, 1}, 5, {10, 4}, 20, StretchAxis::Vertical)), (std::vector<int>{10}));
  // Mirrored, the offset is taken from the far end of the whole source span.
  EXPECT_EQ(Sources(MapAxis({0, 1}, 5, {14, -4}, 20, StretchAxis::Horizontal)), (std::vector<int>{11}));
}

TEST(MapAxis, DestinationPixelsMappingOutsideTheSourceAreLeftOut) {
  // Enlarging 4 -> 8 where the source starts one pixel before the bitmap: the first two destination
  // pixels (from source -1) are not written.
  const AxisMap map = MapAxis({0, 8}, 8, {-1, 4}, 3, StretchAxis::Horizontal);
  EXPECT_EQ(map.begin, 2);
  EXPECT_EQ(Sources(map), (std::vector<int>{0, 0, 1, 1, 2, 2}));
}

TEST(MapAxis, EmptyForZeroOrAbsurdExtents) {
  EXPECT_TRUE(MapAxis({0, 0}, 8, {0, 4}, 8, StretchAxis::Horizontal).Empty());
  EXPECT_TRUE(MapAxis({0, 4}, 8, {0, 0}, 8, StretchAxis::Horizontal).Empty());
  EXPECT_TRUE(MapAxis({0, std::int64_t{1} << 31}, 8, {0, 4}, 8, StretchAxis::Horizontal).Empty());
  EXPECT_TRUE(MapAxis({INT32_MIN, INT32_MAX}, 8, {0, 4}, 8, StretchAxis::Horizontal).Empty());
  EXPECT_TRUE(MapAxis({100, 4}, 8, {0, 4}, 8, StretchAxis::Horizontal).Empty());
  EXPECT_TRUE(MapAxis({0, 4}, 8, {100, 4}, 8, StretchAxis::Horizontal).Empty());
}

TEST(MapAxis, HugeDestinationOnlyVisitsTheTarget) {
  const AxisMap map = MapAxis({-(std::int64_t{1} << 29), std::int64_t{1} << 30}, 16, {0, 2}, 2,
                              StretchAxis::Horizontal);
  EXPECT_EQ(map.begin, 0);
  EXPECT_EQ(map.end, 16);
  EXPECT_EQ(map.SourceOf(0), 1);  // the target sits at the start of the second half
}

TEST(ClipAxis, NormalizesAndClips) {
  const AxisMap a = ClipAxis({2, -5}, 10);
  EXPECT_EQ(a.begin, 0);
  EXPECT_EQ(a.end, 2);
  const AxisMap b = ClipAxis({8, 5}, 10);
  EXPECT_EQ(b.begin, 8);
  EXPECT_EQ(b.end, 10);
  EXPECT_TRUE(ClipAxis({12, 5}, 10).Empty());
}

}  // namespace
