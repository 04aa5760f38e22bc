// The two ways the SDL window shows the client surface; the backend picks one at open.
#pragma once

#include <SDL.h>

#include <memory>

class ClientSurface;

class SdlPresenter {
 public:
  virtual ~SdlPresenter() = default;
  // Window's thread: puts the surface on screen.
  virtual void Present(ClientSurface& surface) = 0;
};

// SDL's accelerated renderer with vsync: the surface is copied into a streaming texture.
// Null when no accelerated renderer can be made.
std::unique_ptr<SdlPresenter> MakeRendererPresenter(SDL_Window* window, int width, int height);

// The window's native framebuffer (shared memory with the display server); the surface draws
// straight into it when its pixel format and row pitch match, else it is copied in once.
// On Wayland, the compositor's shared-memory buffers. Null when the window has no framebuffer.
std::unique_ptr<SdlPresenter> MakeFramebufferPresenter(SDL_Window* window, int width, int height);

// Wayland's shared-memory buffers (wl_shm), the surface copied in once a frame; null on
// another display system.
std::unique_ptr<SdlPresenter> MakeWaylandShmPresenter(SDL_Window* window, int width, int height);
