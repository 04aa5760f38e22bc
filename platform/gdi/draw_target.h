// Where a DC's drawing lands: the bitmap selected into a memory DC or a window DC's client surface.
#pragma once

#include <functional>
#include <vector>

#include "platform/gdi/gdi.h"

struct DrawTarget {
  PixelBuffer pixels;
  bool monochrome = false;
};

// Runs `draw` once on the DC's pixels: on a window DC inside one ClientSurface::Update, so that one
// drawing call is one update. A memory DC holding the shared stock bitmap draws nothing. Returns false
// for a null DC.
bool DrawOnDc(HDC dc, const std::function<void(const DrawTarget&)>& draw);

// The pixels a blit reads from `src` while drawing on `dst`.
class BlitSource {
 public:
  // Call before DrawOnDc(dst): a window surface other than the destination's is copied now, outside
  // the destination's lock, so that two surfaces' locks are never held together.
  BlitSource(HDC src, HDC dst);
  BlitSource(const BlitSource&) = delete;
  BlitSource& operator=(const BlitSource&) = delete;
  // Call inside DrawOnDc(dst), with the destination's pixels.
  DrawTarget Resolve(const DrawTarget& target) const;

 private:
  HDC m_src;
  bool m_sameSurface = false;  // the source is the destination's own surface: read it in place
  std::vector<Pixel> m_snapshot;
  DrawTarget m_snapshotView;
};
