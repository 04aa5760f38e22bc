#include "platform/window/present_path.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsFalse(const std::string& value) {
  const std::string lower = Lower(value);
  return lower == "0" || lower == "false";
}

}  // namespace

bool IsSoftwareRasteriser(const std::string& gl_renderer) {
  const std::string name = Lower(gl_renderer);
  for (const char* rasteriser : {"llvmpipe", "softpipe", "swrast", "software rasterizer"}) {
    if (name.find(rasteriser) != std::string::npos) return true;
  }
  return false;
}

PresentPath ChoosePresentPath(const PresentHints& hints,
                              const std::function<std::optional<std::string>()>& probe_gl_renderer) {
  if (hints.framebuffer_acceleration && !hints.framebuffer_acceleration->empty()) {
    return IsFalse(*hints.framebuffer_acceleration) ? PresentPath::kFramebuffer : PresentPath::kAccelerated;
  }
  if (hints.render_driver && !hints.render_driver->empty()) {
    return Lower(*hints.render_driver) == "software" ? PresentPath::kFramebuffer : PresentPath::kAccelerated;
  }
  const std::optional<std::string> renderer = probe_gl_renderer ? probe_gl_renderer() : std::nullopt;
  if (!renderer || IsSoftwareRasteriser(*renderer)) return PresentPath::kFramebuffer;
  return PresentPath::kAccelerated;
}
