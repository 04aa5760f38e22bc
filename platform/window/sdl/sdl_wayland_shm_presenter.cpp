// The framebuffer path on Wayland, where SDL's window has no native framebuffer: frames go into
// shared-memory buffers of the compositor's (wl_shm), attached to SDL's wl_surface.
#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "platform/window/client_surface.h"
#include "platform/window/sdl/sdl_presenter.h"

namespace {

constexpr int kBuffers = 2;

struct ShmBuffer {
  wl_buffer* buffer = nullptr;
  Pixel* pixels = nullptr;
  bool busy = false;  // attached and not yet released by the compositor
};

void OnRelease(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }
const wl_buffer_listener kBufferListener = {&OnRelease};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    *static_cast<wl_shm**>(data) = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  }
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {&OnGlobal, &OnGlobalRemove};

class WaylandShmPresenter final : public SdlPresenter {
 public:
  WaylandShmPresenter(wl_display* display, wl_surface* surface) : m_display(display), m_surface(surface) {}

  ~WaylandShmPresenter() override {
    for (ShmBuffer& b : m_buffers) {
      if (b.buffer) wl_buffer_destroy(b.buffer);
    }
    if (m_pool) wl_shm_pool_destroy(m_pool);
    if (m_shm) wl_shm_destroy(m_shm);
    if (m_registry) wl_registry_destroy(m_registry);
    if (m_memory != MAP_FAILED) munmap(m_memory, m_bytes);
    if (m_queue) wl_event_queue_destroy(m_queue);
  }

  // The buffers, made on a queue of their own so that SDL's event loop never sees their events.
  bool Make(int width, int height) {
    m_width = width;
    m_height = height;
    m_queue = wl_display_create_queue(m_display);
    m_registry = wl_display_get_registry(m_display);
    if (!m_queue || !m_registry) return false;
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_registry), m_queue);
    wl_registry_add_listener(m_registry, &kRegistryListener, &m_shm);
    if (wl_display_roundtrip_queue(m_display, m_queue) < 0 || !m_shm) return false;
    const std::size_t one = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * sizeof(Pixel);
    m_bytes = one * kBuffers;
    const int fd = memfd_create("quenmira-frames", MFD_CLOEXEC);
    if (fd < 0) return false;
    const bool sized = ftruncate(fd, static_cast<off_t>(m_bytes)) == 0;
    if (sized) m_memory = mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (m_memory != MAP_FAILED) m_pool = wl_shm_create_pool(m_shm, fd, static_cast<int32_t>(m_bytes));
    close(fd);
    if (!m_pool) return false;
    for (int i = 0; i < kBuffers; ++i) {
      ShmBuffer& b = m_buffers[static_cast<std::size_t>(i)];
      b.pixels = reinterpret_cast<Pixel*>(static_cast<unsigned char*>(m_memory) + one * static_cast<std::size_t>(i));
      b.buffer = wl_shm_pool_create_buffer(m_pool, static_cast<int32_t>(one * static_cast<std::size_t>(i)), width,
                                           height, width * static_cast<int>(sizeof(Pixel)), WL_SHM_FORMAT_XRGB8888);
      if (!b.buffer) return false;
      wl_buffer_add_listener(b.buffer, &kBufferListener, &b);
    }
    return true;
  }

  void Present(ClientSurface& surface) override {
    ShmBuffer* free = FreeBuffer();
    if (!free) {
      // Both with the compositor: its answer to a round trip carries any release it has sent.
      wl_display_roundtrip_queue(m_display, m_queue);
      free = FreeBuffer();
    }
    // Still none: the compositor holds on to them; the older one is overwritten.
    ShmBuffer& target = free ? *free : m_buffers[static_cast<std::size_t>(1 - m_last)];
    surface.Show([&](const PixelBuffer& pixels) {
      const int rows = std::min(pixels.height, m_height);
      const int columns = std::min(pixels.width, m_width);
      for (int y = 0; y < rows; ++y) std::copy_n(pixels.Row(y), columns, target.pixels + static_cast<std::ptrdiff_t>(y) * m_width);
      return PixelBuffer{};
    });
    target.busy = true;
    m_last = static_cast<int>(&target - m_buffers.data());
    wl_surface_attach(m_surface, target.buffer, 0, 0);
    wl_surface_damage(m_surface, 0, 0, m_width, m_height);
    wl_surface_commit(m_surface);
    wl_display_flush(m_display);
  }

 private:
  ShmBuffer* FreeBuffer() {
    wl_display_dispatch_queue_pending(m_display, m_queue);
    for (ShmBuffer& b : m_buffers) {
      if (!b.busy) return &b;
    }
    return nullptr;
  }

  wl_display* m_display;
  wl_surface* m_surface;
  wl_event_queue* m_queue = nullptr;
  wl_registry* m_registry = nullptr;
  wl_shm* m_shm = nullptr;
  wl_shm_pool* m_pool = nullptr;
  void* m_memory = MAP_FAILED;
  std::size_t m_bytes = 0;
  std::array<ShmBuffer, kBuffers> m_buffers{};
  int m_width = 0;
  int m_height = 0;
  int m_last = 0;
};

}  // namespace

std::unique_ptr<SdlPresenter> MakeWaylandShmPresenter(SDL_Window* window, int width, int height) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
  auto presenter = std::make_unique<WaylandShmPresenter>(info.info.wl.display, info.info.wl.surface);
  if (!presenter->Make(width, height)) {
    std::fprintf(stderr, "quenmira: no shared-memory buffers from the compositor\n");
    return nullptr;
  }
  return presenter;
}
