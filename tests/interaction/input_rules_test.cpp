#include "interaction/input_rules.h"

#include <gtest/gtest.h>

#include <vector>

TEST(StepBrightness, EightTurnsGoFromFullToBlackAndBack) {
  std::vector<int> down;
  int b = 255;
  for (int i = 0; i < 8; ++i) down.push_back(b = StepBrightness(b, false));
  EXPECT_EQ(down, (std::vector<int>{225, 195, 165, 135, 105, 75, 45, 0}));
  std::vector<int> up;
  for (int i = 0; i < 8; ++i) up.push_back(b = StepBrightness(b, true));
  EXPECT_EQ(up, (std::vector<int>{30, 60, 90, 120, 150, 180, 210, 255}));
  EXPECT_EQ(StepBrightness(255, true), 255);
  EXPECT_EQ(StepBrightness(0, false), 0);
}

TEST(SnapStripOffset, LandsOnABoundaryOrOnePixelShortOfTheNext) {
  const int w = 1280;
  struct Case {
    int offset, expected;
  } cases[] = {
      {0, 0},                 // already on picture 0
      {-100, 0},              // back to picture 0
      {-639, 0},              // just under half way
      {-640, -1279},          // half way: one pixel short of picture 1
      {-1279, -1279},         // one short stays
      {-1280, -1280},         // exactly on picture 1
      {-3 * w - 700, -4 * w + 1},
      {150, 0},               // pushed back past the first picture
  };
  for (const Case& c : cases) EXPECT_EQ(SnapStripOffset(c.offset, 0, w), c.expected) << c.offset;
  EXPECT_EQ(SnapStripOffset(-77, 0, 0), -77);  // no screen: nothing to snap to
}

TEST(ZoomSteps, TruncatesTheTenthsBetweenOneAndTheTarget) {
  EXPECT_EQ(ZoomSteps(2.0f), 10);
  EXPECT_EQ(ZoomSteps(1.0f), 0);
  EXPECT_EQ(ZoomSteps(1.15f), 1);
  EXPECT_EQ(ZoomSteps(0.5f), 5);  // below 1.0 counts by its distance
}

TEST(StripPushFromMove, JumpsOfThreeHundredPixelsPushNothing) {
  const int w = 1000;
  // Moving right pushes back only while the strip is past the first picture.
  EXPECT_EQ(StripPushFromMove(500, 510, -10, 0, 5, w, false), 1);
  EXPECT_EQ(StripPushFromMove(500, 510, 0, 0, 5, w, false), 0);
  // Moving left, or straight down, pushes on while pictures remain.
  EXPECT_EQ(StripPushFromMove(500, 490, 0, 0, 5, w, false), 2);
  EXPECT_EQ(StripPushFromMove(500, 500, 0, 0, 5, w, false), 2);
  EXPECT_EQ(StripPushFromMove(500, 490, -3949, 0, 5, w, false), 2);
  EXPECT_EQ(StripPushFromMove(500, 490, -3950, 0, 5, w, false), 0);
  EXPECT_EQ(StripPushFromMove(500, 490, -3699, 0, 5, w, true), 2);  // fast Fixed stops a quarter earlier
  EXPECT_EQ(StripPushFromMove(500, 490, -3700, 0, 5, w, true), 0);
  EXPECT_EQ(StripPushFromMove(500, 201, -10, 0, 5, w, false), 2);
  EXPECT_EQ(StripPushFromMove(500, 200, -10, 0, 5, w, false), 0);   // a 300-pixel jump
  EXPECT_EQ(StripPushFromMove(100, 900, -10, 0, 5, w, false), 0);
  EXPECT_EQ(StripPushFromMove(0, 0, 0, 0, 0, w, false), 0);          // an empty folder
}

TEST(InEdgeZone, TheHundredPixelBorder) {
  EXPECT_TRUE(InEdgeZone(99, 400, 1280, 800, 100));
  EXPECT_FALSE(InEdgeZone(100, 400, 1280, 800, 100));
  EXPECT_FALSE(InEdgeZone(1180, 700, 1280, 800, 100));
  EXPECT_TRUE(InEdgeZone(1181, 400, 1280, 800, 100));
  EXPECT_TRUE(InEdgeZone(640, 701, 1280, 800, 100));
}

TEST(FixedChoiceFromRest, TwoAndFiveSecondsOfRest) {
  EXPECT_EQ(FixedChoiceFromRest(2000, true).fast, 0);
  EXPECT_EQ(FixedChoiceFromRest(2001, true).fast, 1);
  EXPECT_EQ(FixedChoiceFromRest(2001, true).special, 0);
  EXPECT_EQ(FixedChoiceFromRest(5001, true).special, 1);
  EXPECT_EQ(FixedChoiceFromRest(9000, false).fast, 0);
}
