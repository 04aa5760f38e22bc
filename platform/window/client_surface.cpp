#include "platform/window/client_surface.h"

ClientSurface::ClientSurface(int width, int height)
    : m_width(width > 0 ? width : 0),
      m_height(height > 0 ? height : 0),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0) {}

void ClientSurface::Update(const std::function<void(const PixelBuffer&)>& draw) {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    draw(PixelBuffer{m_pixels.data(), m_width, m_height, m_width});
    m_generation.fetch_add(1, std::memory_order_release);
  }
  if (m_listener) m_listener();
}

void ClientSurface::Read(const std::function<void(const PixelBuffer&)>& read) const {
  std::lock_guard<std::mutex> hold(m_lock);
  read(PixelBuffer{const_cast<Pixel*>(m_pixels.data()), m_width, m_height, m_width});
}

void ClientSurface::SetUpdateListener(std::function<void()> listener) { m_listener = std::move(listener); }
