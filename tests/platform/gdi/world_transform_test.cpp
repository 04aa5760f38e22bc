#include "platform/gdi/world_transform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

namespace {

TEST(Affine, ApplyUsesTheXformLayout) {
  const Affine m{2, 3, 5, 7, 11, 13};  // x' = 2x + 5y + 11, y' = 3x + 7y + 13
  const DPoint p = Apply(m, 1, 10);
  EXPECT_EQ(p.x, 63);
  EXPECT_EQ(p.y, 86);
}

TEST(Affine, ComposeAppliesTheFirstMapFirst) {
  const Affine scale{2, 0, 0, 2, 0, 0};
  const Affine shift{1, 0, 0, 1, 10, 0};
  const DPoint a = Apply(Compose(scale, shift), 1, 1);
  EXPECT_EQ(a.x, 12);
  const DPoint b = Apply(Compose(shift, scale), 1, 1);
  EXPECT_EQ(b.x, 22);
}

TEST(Affine, InvertUndoesAndRefusesSingularMaps) {
  const Affine m{0, 1, -1, 0, 5, 7};
  const std::optional<Affine> inverse = Invert(m);
  ASSERT_TRUE(inverse);
  const DPoint p = Apply(*inverse, Apply(m, 3, 4).x, Apply(m, 3, 4).y);
  EXPECT_DOUBLE_EQ(p.x, 3);
  EXPECT_DOUBLE_EQ(p.y, 4);
  EXPECT_FALSE(Invert(Affine{1, 2, 2, 4, 0, 0}));
}

TEST(Affine, SnapQuarterTurnsMakesFloatRotationsExact) {
  const float c = static_cast<float>(std::cos(std::numbers::pi / 2));
  const float s = static_cast<float>(std::sin(std::numbers::pi / 2));
  const Affine snapped = SnapQuarterTurns(Affine{c, s, -s, c, 0.5, 0});
  EXPECT_EQ(snapped.m11, 0);
  EXPECT_EQ(snapped.m12, 1);
  EXPECT_EQ(snapped.m21, -1);
  EXPECT_EQ(snapped.dx, 0.5);  // translations are kept
  const Affine turned = SnapQuarterTurns(Affine{0.7071, 0.7071, -0.7071, 0.7071, 0, 0});
  EXPECT_EQ(turned.m11, 0.7071);
}

TEST(Affine, IntegerTranslationOnlyForWholePixelShifts) {
  EXPECT_TRUE(IntegerTranslation(Affine{1, 0, 0, 1, -3, 4}));
  EXPECT_EQ(IntegerTranslation(Affine{1, 0, 0, 1, -3, 4})->x, -3);
  EXPECT_FALSE(IntegerTranslation(Affine{1, 0, 0, 1, 0.5, 0}));
  EXPECT_FALSE(IntegerTranslation(Affine{2, 0, 0, 1, 0, 0}));
  EXPECT_FALSE(IntegerTranslation(Affine{1, 0, 0, 1, 3e9, 0}));
}

TEST(Rounding, CoordinatesRoundHalfUpAndClamp) {
  const struct {
    double v;
    int expected;
  } cases[] = {{0.5, 1},   {-0.5, 0},       {1.49, 1},        {-1.5, -1},
               {-1.51, -2}, {1e12, INT_MAX}, {-1e12, INT_MIN}, {NAN, INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(RoundCoordinate(c.v), c.expected) << c.v;
}

TEST(Rounding, FloorSnappedTreatsNoiseBelowAnIntegerAsTheInteger) {
  const struct {
    double v;
    double expected;
  } cases[] = {{2.0 - 1e-12, 2}, {2.0 - 1e-6, 1}, {2.0 + 1e-12, 2}, {-0.5, -1}, {-1e-12, 0}, {3.5, 3}};
  for (const auto& c : cases) EXPECT_EQ(FloorSnapped(c.v), c.expected) << c.v;
}

}  // namespace
