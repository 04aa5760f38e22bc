#include "platform/gdi/draw_target.h"

#include <algorithm>

#include "platform/gdi/gdi_objects.h"
#include "platform/window/client_surface.h"

bool DrawOnDc(HDC dc, const std::function<void(const DrawTarget&)>& draw) {
  if (!dc) return false;
  if (dc->surface) {
    dc->surface->Update([&](const PixelBuffer& pixels) { draw(DrawTarget{pixels, false}); });
    return true;
  }
  if (!dc->bitmap || dc->bitmap->stock) return true;
  draw(DrawTarget{dc->bitmap->Buffer(), dc->bitmap->monochrome});
  return true;
}

BlitSource::BlitSource(HDC src, HDC dst) : m_src(src) {
  if (!src || !src->surface) return;
  if (dst && dst->surface == src->surface) {
    m_sameSurface = true;
    return;
  }
  src->surface->Read([&](const PixelBuffer& pixels) {
    m_snapshot.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y) {
      std::copy_n(pixels.Row(y), pixels.width, m_snapshot.data() + static_cast<std::size_t>(y) * pixels.width);
    }
    m_snapshotView = DrawTarget{PixelBuffer{m_snapshot.data(), pixels.width, pixels.height, pixels.width}, false};
  });
}

DrawTarget BlitSource::Resolve(const DrawTarget& target) const {
  if (!m_src) return DrawTarget{};
  if (m_sameSurface) return target;
  if (m_src->surface) return m_snapshotView;
  if (!m_src->bitmap) return DrawTarget{};
  // The stock bitmap is read but never written, so its shared pixels are safe to read.
  return DrawTarget{m_src->bitmap->Buffer(), m_src->bitmap->monochrome};
}
