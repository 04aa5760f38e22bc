#include "platform/window/display_plan.h"

#include <gtest/gtest.h>

using Drivers = std::vector<std::string>;

TEST(DisplayPlan, AnX11DisplayIsTriedOnX11Only) {
  const DisplayPlan plan = PlanDisplays({":0", "", ""});
  EXPECT_EQ(plan.drivers, Drivers{"x11"});
  EXPECT_EQ(plan.failure_message, "quenmira: no display: tried DISPLAY=:0 (x11) for 3 s");
}

TEST(DisplayPlan, AWaylandDisplayIsTriedOnWaylandOnly) {
  const DisplayPlan plan = PlanDisplays({"", "wayland-1", ""});
  EXPECT_EQ(plan.drivers, Drivers{"wayland"});
  EXPECT_EQ(plan.failure_message, "quenmira: no display: tried WAYLAND_DISPLAY=wayland-1 (wayland) for 3 s");
}

TEST(DisplayPlan, WithBothX11ComesFirstAndTheLineNamesBoth) {
  const DisplayPlan plan = PlanDisplays({":1", "wayland-0", ""});
  EXPECT_EQ(plan.drivers, (Drivers{"x11", "wayland"}));
  EXPECT_EQ(plan.failure_message,
            "quenmira: no display: tried DISPLAY=:1 (x11), WAYLAND_DISPLAY=wayland-0 (wayland) for 3 s");
}

TEST(DisplayPlan, TheUsersOwnDriverChoiceIsTheOnlyOneTried) {
  const DisplayPlan plan = PlanDisplays({":0", "wayland-0", "wayland,x11"});
  EXPECT_EQ(plan.drivers, Drivers{"wayland,x11"});
  EXPECT_EQ(plan.failure_message, "quenmira: no display: tried SDL_VIDEODRIVER=wayland,x11 for 3 s");
}

TEST(DisplayPlan, RetriesForThreeSecondsAtTwoHundredMilliseconds) {
  const DisplayPlan plan = PlanDisplays({":0", "", ""});
  EXPECT_EQ(plan.retry_interval_ms, 200);
  EXPECT_EQ(plan.attempts, 16);
  EXPECT_EQ((plan.attempts - 1) * plan.retry_interval_ms, 3000);
}

TEST(DisplayPlan, WithoutAnyDisplayNothingIsTriedOrRetried) {
  const DisplayPlan plan = PlanDisplays({"", "", ""});
  EXPECT_TRUE(plan.drivers.empty());
  EXPECT_EQ(plan.attempts, 0);
  EXPECT_EQ(plan.failure_message, "quenmira: no display: tried nothing, neither DISPLAY nor WAYLAND_DISPLAY is set");
}
