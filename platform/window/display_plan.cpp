#include "platform/window/display_plan.h"

namespace {

// "NAME=value (driver)", naming one thing that was tried.
std::string Tried(const char* variable, const std::string& value, const char* driver) {
  std::string text = std::string(variable) + "=" + value;
  if (driver) text += std::string(" (") + driver + ")";
  return text;
}

}  // namespace

DisplayPlan PlanDisplays(const DisplayEnvironment& environment) {
  DisplayPlan plan;
  std::vector<std::string> tried;
  if (!environment.video_driver.empty()) {
    // The user's choice is taken as it is: SDL reads a comma-separated list itself.
    plan.drivers.push_back(environment.video_driver);
    tried.push_back(Tried("SDL_VIDEODRIVER", environment.video_driver, nullptr));
  } else {
    // X11 first, as SDL itself prefers: there the program can place the pointer.
    if (!environment.display.empty()) {
      plan.drivers.push_back("x11");
      tried.push_back(Tried("DISPLAY", environment.display, "x11"));
    }
    if (!environment.wayland_display.empty()) {
      plan.drivers.push_back("wayland");
      tried.push_back(Tried("WAYLAND_DISPLAY", environment.wayland_display, "wayland"));
    }
  }

  plan.failure_message = "quenmira: no display: tried ";
  if (plan.drivers.empty()) {
    // The environment does not change while the program runs: nothing is worth retrying.
    plan.failure_message += "nothing, neither DISPLAY nor WAYLAND_DISPLAY is set";
    return plan;
  }
  plan.attempts = kDisplayRetryWindowMs / kDisplayRetryIntervalMs + 1;
  plan.retry_interval_ms = kDisplayRetryIntervalMs;
  for (std::size_t i = 0; i < tried.size(); ++i) plan.failure_message += (i ? ", " : "") + tried[i];
  plan.failure_message += " for " + std::to_string(kDisplayRetryWindowMs / 1000) + " s";
  return plan;
}
