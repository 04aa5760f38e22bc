#include <cstdio>

#include "platform/window/client_surface.h"
#include "platform/window/sdl/sdl_presenter.h"

namespace {

class RendererPresenter final : public SdlPresenter {
 public:
  RendererPresenter(SDL_Renderer* renderer, SDL_Texture* texture) : m_renderer(renderer), m_texture(texture) {}
  ~RendererPresenter() override {
    SDL_DestroyTexture(m_texture);
    SDL_DestroyRenderer(m_renderer);
  }

  void Present(ClientSurface& surface) override {
    surface.Show([this](const PixelBuffer& pixels) {
      SDL_UpdateTexture(m_texture, nullptr, pixels.pixels, pixels.stride * static_cast<int>(sizeof(Pixel)));
      return PixelBuffer{};
    });
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
  }

 private:
  SDL_Renderer* m_renderer;
  SDL_Texture* m_texture;
};

}  // namespace

std::unique_ptr<SdlPresenter> MakeRendererPresenter(SDL_Window* window, int width, int height) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) return nullptr;
  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!texture) {
    std::fprintf(stderr, "quenmira: cannot create the screen buffer: %s\n", SDL_GetError());
    SDL_DestroyRenderer(renderer);
    return nullptr;
  }
  return std::make_unique<RendererPresenter>(renderer, texture);
}
