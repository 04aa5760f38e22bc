// Which display systems the window is opened on, and how long a refused connection is retried.
//
// Only a real display counts: X11 where DISPLAY names one, Wayland where WAYLAND_DISPLAY does,
// or the user's own choice of SDL video driver. A display server may refuse a connection now
// and then (while other clients connect, or before a desktop session is ready), so every driver
// is tried again for about three seconds before the start gives up.
#pragma once

#include <string>
#include <vector>

// The environment a plan is made from; an unset variable is an empty string.
struct DisplayEnvironment {
  std::string display;          // DISPLAY
  std::string wayland_display;  // WAYLAND_DISPLAY
  std::string video_driver;     // SDL_VIDEODRIVER, the user's own driver choice
};

struct DisplayPlan {
  // SDL video driver names, tried in this order at every attempt; empty: nothing to try.
  std::vector<std::string> drivers;
  int attempts = 0;
  int retry_interval_ms = 0;  // pause between two attempts
  // The one line printed when no attempt reached a display.
  std::string failure_message;
};

constexpr int kDisplayRetryWindowMs = 3000;
constexpr int kDisplayRetryIntervalMs = 200;

DisplayPlan PlanDisplays(const DisplayEnvironment& environment);
