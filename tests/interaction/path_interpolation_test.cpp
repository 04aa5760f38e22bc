#include "interaction/path_interpolation.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<CPoint> Points(std::initializer_list<std::pair<int, int>> xy) {
  std::vector<CPoint> points;
  for (auto [x, y] : xy) points.emplace_back(x, y);
  return points;
}

std::string Show(const std::vector<CPoint>& points) {
  std::string text;
  for (const CPoint& p : points) text += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  return text;
}

}  // namespace

// ---- Point interpolation --------------------------------------------------------------------

TEST(InterpolatePoints, TableOfExamples) {
  struct Case {
    int n;
    CPoint from, to;
    std::vector<CPoint> expected;
  };
  const Case cases[] = {
      {2, {0, 0}, {10, -10}, Points({{0, 0}, {3, -3}, {6, -6}, {10, -10}})},
      // Negative deltas truncate toward zero: -10/3 = -3, -20/3 = -6.
      {2, {0, 0}, {-10, 0}, Points({{0, 0}, {-3, 0}, {-6, 0}, {-10, 0}})},
      {2, {5, 5}, {0, 0}, Points({{5, 5}, {4, 4}, {2, 2}, {0, 0}})},
      {4, {7, -3}, {-8, 12}, Points({{7, -3}, {4, 0}, {1, 3}, {-2, 6}, {-5, 9}, {-8, 12}})},
      {0, {1, 2}, {3, 4}, Points({{1, 2}, {3, 4}})},
      {3, {9, 9}, {9, 9}, Points({{9, 9}, {9, 9}, {9, 9}, {9, 9}, {9, 9}})},
      {1, {0, 0}, {1, -1}, Points({{0, 0}, {0, 0}, {1, -1}})},
      // n < 0 counts as 0.
      {-1, {1, 2}, {3, 4}, Points({{1, 2}, {3, 4}})},
      {-50, {1, 2}, {3, 4}, Points({{1, 2}, {3, 4}})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(InterpolatePoints(c.n, c.from, c.to)), Show(c.expected)) << "n = " << c.n;
  }
}

TEST(InterpolatePoints, HasNPlusTwoPointsFromStartToEnd) {
  for (int n : {0, 1, 2, 9, 10, 37}) {
    const std::vector<CPoint> points = InterpolatePoints(n, {-123, 456}, {789, -1011});
    ASSERT_EQ(points.size(), static_cast<std::size_t>(n + 2));
    EXPECT_EQ(points.front(), CPoint(-123, 456));
    EXPECT_EQ(points.back(), CPoint(789, -1011));
  }
}

TEST(InterpolatePoints, ExtremeCoordinatesDoNotOverflow) {
  // (x1 - x0) * i does not fit 32 bits here; the quotient still truncates toward zero.
  const std::vector<CPoint> points = InterpolatePoints(1, {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN});
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0], CPoint(INT_MIN, INT_MAX));
  EXPECT_EQ(points[1], CPoint(-1, 0));  // INT_MIN + 4294967295/2, INT_MAX - 4294967295/2
  EXPECT_EQ(points[2], CPoint(INT_MAX, INT_MIN));

  const std::vector<CPoint> long_path = InterpolatePoints(1000, {-2000000000, 0}, {2000000000, 0});
  EXPECT_EQ(long_path[1].x, -2000000000 + 4000000000LL / 1001);
  EXPECT_EQ(long_path[1000].x, -2000000000 + 4000000000LL * 1000 / 1001);
  EXPECT_EQ(long_path[1001].x, 2000000000);
}

// ---- Zoom interpolation ---------------------------------------------------------------------

TEST(InterpolateZooms, EndPointsAreExact) {
  const std::pair<float, float> pairs[] = {
      {1.5f, 4.6f}, {4.6f, 1.1f}, {1.0999999f, 4.4999976f}, {0.3f, 0.7f}, {2.0f, 2.0f}, {1.5f, -3.25f}};
  for (auto [a, b] : pairs) {
    for (int n : {0, 1, 2, 3, 7, 10, 100, 999}) {
      const std::vector<float> zooms = InterpolateZooms(n, a, b);
      ASSERT_EQ(zooms.size(), static_cast<std::size_t>(n + 2));
      EXPECT_EQ(zooms.front(), a) << a << " -> " << b << ", n = " << n;
      EXPECT_EQ(zooms.back(), b) << a << " -> " << b << ", n = " << n;
    }
  }
}

TEST(InterpolateZooms, InnerValuesAreRoundedOnceToFloat) {
  EXPECT_EQ(InterpolateZooms(1, 1.0f, 2.0f), (std::vector<float>{1.0f, 1.5f, 2.0f}));
  const std::vector<float> thirds = InterpolateZooms(2, 0.0f, 1.0f);
  EXPECT_EQ(thirds[1], static_cast<float>(1.0L / 3.0L));
  EXPECT_EQ(thirds[2], static_cast<float>(2.0L / 3.0L));
  const std::vector<float> down = InterpolateZooms(3, 2.5f, 1.5f);
  EXPECT_EQ(down, (std::vector<float>{2.5f, 2.25f, 2.0f, 1.75f, 1.5f}));
}

TEST(InterpolateZooms, NegativeNCountsAsZero) {
  EXPECT_EQ(InterpolateZooms(-1, 1.5f, 3.0f), (std::vector<float>{1.5f, 3.0f}));
  EXPECT_EQ(InterpolateZooms(INT_MIN, 1.5f, 3.0f), (std::vector<float>{1.5f, 3.0f}));
}

// ---- Key-frame paths ------------------------------------------------------------------------

TEST(KeyFramePointPath, PassesThroughEveryKeyFrameAtJTimesNPlusOne) {
  const std::vector<CPoint> keys = Points({{0, 0}, {100, -50}, {-30, 70}, {-30, 70}, {999, 1}});
  for (int n : {0, 1, 2, 5, 10, 33}) {
    const std::vector<CPoint> path = KeyFramePointPath(keys, n);
    const std::size_t big_n = keys.size();
    ASSERT_EQ(path.size(), big_n + static_cast<std::size_t>(n) * (big_n - 1)) << "n = " << n;
    for (std::size_t j = 0; j < big_n; ++j) {
      EXPECT_EQ(path[j * (n + 1)], keys[j]) << "n = " << n << ", j = " << j;
    }
  }
}

TEST(KeyFramePointPath, EachStretchIsThePointInterpolationOfItsKeys) {
  const std::vector<CPoint> keys = Points({{0, 0}, {10, -10}, {-10, 0}});
  const std::vector<CPoint> path = KeyFramePointPath(keys, 2);
  EXPECT_EQ(Show(path), Show(Points({{0, 0}, {3, -3}, {6, -6}, {10, -10}, {4, -7}, {-3, -4}, {-10, 0}})));

  const std::vector<CPoint> three = Points({{5, 7}, {-40, 90}, {123, -8}});
  const std::vector<CPoint> dense = KeyFramePointPath(three, 10);
  ASSERT_EQ(dense.size(), 23u);
  for (std::size_t j = 0; j + 1 < three.size(); ++j) {
    const std::vector<CPoint> segment = InterpolatePoints(10, three[j], three[j + 1]);
    for (std::size_t i = 0; i < segment.size(); ++i) EXPECT_EQ(dense[j * 11 + i], segment[i]);
  }
}

TEST(KeyFramePointPath, NoneOrOneKeyFrame) {
  EXPECT_TRUE(KeyFramePointPath({}, 10).empty());
  const CPoint one[] = {{4, -4}};
  EXPECT_EQ(Show(KeyFramePointPath(one, 10)), "(4,-4)");
  EXPECT_EQ(Show(KeyFramePointPath(one, -3)), "(4,-4)");
}

TEST(KeyFramePointPath, NegativeNJoinsTheKeysDirectly) {
  const std::vector<CPoint> keys = Points({{1, 1}, {2, 2}, {3, 3}});
  EXPECT_EQ(Show(KeyFramePointPath(keys, -7)), Show(keys));
  EXPECT_EQ(Show(KeyFramePointPath(keys, 0)), Show(keys));
}

TEST(KeyFrameZoomPath, PassesThroughEveryKeyZoom) {
  const std::vector<float> keys{1.5f, 2.7f, 1.1f, 4.6f};
  for (int n : {0, 1, 4, 10}) {
    const std::vector<float> path = KeyFrameZoomPath(keys, n);
    ASSERT_EQ(path.size(), keys.size() + static_cast<std::size_t>(n) * (keys.size() - 1));
    for (std::size_t j = 0; j < keys.size(); ++j) EXPECT_EQ(path[j * (n + 1)], keys[j]);
    for (std::size_t j = 0; j + 1 < keys.size(); ++j) {
      const std::vector<float> segment = InterpolateZooms(n, keys[j], keys[j + 1]);
      for (std::size_t i = 0; i < segment.size(); ++i) EXPECT_EQ(path[j * (n + 1) + i], segment[i]);
    }
  }
}

TEST(KeyFrameZoomPath, NoneOrOneKeyZoom) {
  EXPECT_TRUE(KeyFrameZoomPath({}, 10).empty());
  const float one[] = {2.5f};
  EXPECT_EQ(KeyFrameZoomPath(one, 10), std::vector<float>{2.5f});
}
