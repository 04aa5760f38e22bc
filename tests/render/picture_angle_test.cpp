#include "render/picture_angle.h"

#include <gtest/gtest.h>

#include <climits>

TEST(PictureAngle, AnyNumberOfTurnsIsReadWithinOneTurnItsSignKept) {
  struct Case {
    int degrees;
    int within;
  };
  for (const Case c : {Case{0, 0}, {10, 10}, {350, 350}, {-350, -350}, {360, 0}, {-360, 0}, {370, 10},
                       {-730, -10}, {3600, 0}, {725, 5}, {INT_MAX, 127}, {INT_MIN, -128}}) {
    EXPECT_EQ(WithinOneTurn(c.degrees), c.within) << c.degrees;
  }
}

TEST(PictureAngle, WheelStepsTurnByTenAndAFullTurnIsNone) {
  struct Case {
    int degrees;
    bool forward;
    int after;
  };
  for (const Case c : {Case{0, true, 10}, {0, false, -10}, {340, true, 350}, {350, true, 0}, {-350, false, 0},
                       {-10, true, 0}, {10, false, 0}, {350, false, 340}, {370, true, 20}, {INT_MAX, true, 137}}) {
    EXPECT_EQ(StepAngle(c.degrees, c.forward), c.after) << c.degrees << " " << c.forward;
  }
  int angle = 0;
  for (int turn = 0; turn < 37; ++turn) angle = StepAngle(angle, true);
  EXPECT_EQ(angle, 10);
  for (int turn = 0; turn < 74; ++turn) angle = StepAngle(angle, false);
  EXPECT_EQ(angle, -10);
}
