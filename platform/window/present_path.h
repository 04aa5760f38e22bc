// How frames reach the screen, chosen by what showing a frame costs on this machine.
//
// A GL renderer that is a software rasteriser spends several times a frame's copy on showing
// it; there the window's own framebuffer (shared memory with the display server) is cheaper.
// A real GPU keeps the accelerated renderer, synchronised to the display's refresh.
#pragma once

#include <functional>
#include <optional>
#include <string>

enum class PresentPath {
  kFramebuffer,  // the window's native framebuffer, written by the CPU
  kAccelerated,  // the display system's accelerated renderer, with vsync
};

// The display library's own settings for this choice, as the user set them (nullopt: unset).
struct PresentHints {
  std::optional<std::string> framebuffer_acceleration;  // "0"/"false" turns acceleration off
  std::optional<std::string> render_driver;             // "software" means no acceleration
};

// True for the names GL drivers give their CPU rasterisers.
bool IsSoftwareRasteriser(const std::string& gl_renderer);

// The user's hints decide when they say anything; otherwise `probe_gl_renderer` is asked once
// for the GL renderer name (nullopt: no GL context can be made).
PresentPath ChoosePresentPath(const PresentHints& hints,
                              const std::function<std::optional<std::string>()>& probe_gl_renderer);
