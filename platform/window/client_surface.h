// The window's client area as 32-bit pixels, shared by every thread that draws.
//
// Any thread may draw into it; each drawing call is one completed update, made under the
// surface lock so that two threads' frames never mix. After an update the window's thread
// is asked to present the surface (at once when the update ran on the window's thread).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/gdi/pixel_buffer.h"

class ClientSurface {
 public:
  ClientSurface(int width, int height);

  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // Runs `draw` on the pixels under the surface lock, then requests a present.
  void Update(const std::function<void(const PixelBuffer&)>& draw);

  // Runs `read` on the pixels under the surface lock (presenting, screenshots in tests).
  void Read(const std::function<void(const PixelBuffer&)>& read) const;

  // Number of updates so far; a presenter compares it with the last one it showed.
  std::uint64_t Generation() const { return m_generation.load(std::memory_order_acquire); }

  // Called after every update, on the updating thread (the backend installs it).
  void SetUpdateListener(std::function<void()> listener);

 private:
  int m_width;
  int m_height;
  std::vector<Pixel> m_pixels;
  mutable std::mutex m_lock;
  std::atomic<std::uint64_t> m_generation{0};
  std::function<void()> m_listener;  // set before any drawing thread starts
};
