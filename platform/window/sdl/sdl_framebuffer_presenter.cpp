#include <algorithm>
#include <cstdio>

#include "platform/window/client_surface.h"
#include "platform/window/sdl/sdl_presenter.h"

namespace {

// The framebuffer's pixels as the surface's, when they are laid out as the surface's are:
// 32-bit 0x00RRGGBB (the unused byte may be alpha, which the window ignores), whole pixels a row.
PixelBuffer DirectPixels(const SDL_Surface& framebuffer, int width, int height) {
  const Uint32 format = framebuffer.format->format;
  const bool xrgb = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
  const int pixel_bytes = static_cast<int>(sizeof(Pixel));
  if (!xrgb || framebuffer.w != width || framebuffer.h != height || framebuffer.pitch % pixel_bytes != 0) return {};
  return PixelBuffer{static_cast<Pixel*>(framebuffer.pixels), width, height, framebuffer.pitch / pixel_bytes};
}

class FramebufferPresenter final : public SdlPresenter {
 public:
  explicit FramebufferPresenter(SDL_Window* window) : m_window(window) {}

  void Present(ClientSurface& surface) override {
    surface.Show([&](const PixelBuffer& pixels) {
      // Valid until the window is resized; SDL makes a new one then and frees the old pixels.
      SDL_Surface* framebuffer = SDL_GetWindowSurface(m_window);
      if (!framebuffer) return PixelBuffer{};
      const PixelBuffer direct = DirectPixels(*framebuffer, surface.Width(), surface.Height());
      const bool drawn_in_place = direct.pixels && pixels.pixels == direct.pixels;
      // Pixels in a framebuffer SDL has since replaced are gone; the next frame fills the new one.
      const bool readable = pixels.pixels != m_bound;
      if (!drawn_in_place && readable) {
        SDL_ConvertPixels(std::min(framebuffer->w, pixels.width), std::min(framebuffer->h, pixels.height),
                          SDL_PIXELFORMAT_RGB888, pixels.pixels, pixels.stride * static_cast<int>(sizeof(Pixel)),
                          framebuffer->format->format, framebuffer->pixels, framebuffer->pitch);
      }
      SDL_UpdateWindowSurface(m_window);
      m_bound = direct.pixels;
      return direct;
    });
  }

 private:
  SDL_Window* m_window;
  const Pixel* m_bound = nullptr;  // the framebuffer pixels the surface was last told to draw into
};

}  // namespace

std::unique_ptr<SdlPresenter> MakeFramebufferPresenter(SDL_Window* window, int width, int height) {
  // SDL's Wayland windows have no native framebuffer.
  if (std::unique_ptr<SdlPresenter> wayland = MakeWaylandShmPresenter(window, width, height)) return wayland;
  // SDL's own hint: the native framebuffer rather than a texture of its GL renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (!SDL_GetWindowSurface(window)) {
    std::fprintf(stderr, "quenmira: the window has no framebuffer: %s\n", SDL_GetError());
    return nullptr;
  }
  return std::make_unique<FramebufferPresenter>(window);
}
