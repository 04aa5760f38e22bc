#include "platform/window/sdl/sdl_display.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/window/display_plan.h"

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// One attempt over the plan's drivers; a driver named explicitly never falls back to another.
bool TryDrivers(const DisplayPlan& plan) {
  for (const std::string& driver : plan.drivers) {
    if (SDL_VideoInit(driver.c_str()) == 0) return true;
  }
  return false;
}

}  // namespace

bool ConnectSdlDisplay() {
  const DisplayPlan plan =
      PlanDisplays({Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"), Variable("SDL_VIDEODRIVER")});
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "quenmira: cannot start SDL's events: %s\n", SDL_GetError());
    return false;
  }
  for (int attempt = 0; attempt < plan.attempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(plan.retry_interval_ms));
    if (TryDrivers(plan)) return true;
  }
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  std::fprintf(stderr, "%s\n", plan.failure_message.c_str());
  return false;
}

void DisconnectSdlDisplay() {
  SDL_VideoQuit();
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}
