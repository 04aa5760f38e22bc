#include "platform/window/client_surface.h"

ClientSurface::ClientSurface(int width, int height)
    : m_width(width > 0 ? width : 0),
      m_height(height > 0 ? height : 0),
      m_own(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0),
      m_target(OwnPixels()) {}

PixelBuffer ClientSurface::OwnPixels() const {
  return PixelBuffer{const_cast<Pixel*>(m_own.data()), m_width, m_height, m_width};
}

void ClientSurface::Update(const std::function<void(const PixelBuffer&)>& draw) {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    draw(m_target);
    m_generation.fetch_add(1, std::memory_order_release);
  }
  if (m_listener) m_listener();
}

void ClientSurface::Read(const std::function<void(const PixelBuffer&)>& read) const {
  std::lock_guard<std::mutex> hold(m_lock);
  read(m_target);
}

void ClientSurface::Show(const std::function<PixelBuffer(const PixelBuffer&)>& show) {
  std::lock_guard<std::mutex> hold(m_lock);
  const PixelBuffer next = show(m_target);
  const bool external = next.pixels != nullptr && next.width == m_width && next.height == m_height &&
                        next.stride >= m_width;
  if (external) {
    if (next.pixels == m_target.pixels && next.stride == m_target.stride) return;
    std::vector<Pixel>().swap(m_own);
    m_target = next;
    return;
  }
  if (m_own.empty()) {
    m_own.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0);
    m_target = OwnPixels();
  }
}

void ClientSurface::SetUpdateListener(std::function<void()> listener) { m_listener = std::move(listener); }
