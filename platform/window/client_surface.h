// The window's client area as 32-bit pixels, shared by every thread that draws.
//
// Any thread may draw into it; each drawing call is one completed update, made under the
// surface lock so that two threads' frames never mix. After an update the window's thread
// is asked to present the surface (at once when the update ran on the window's thread).
//
// The pixels live in the surface's own buffer or, where the display system lets the program
// write the window's framebuffer directly, in that framebuffer: then a frame drawn into the
// surface is already where the display system takes it from.
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

  // Window's thread, presenting: runs `show` on the pixels under the surface lock. `show` puts
  // them on screen and returns where updates are to draw from now on: a framebuffer of the
  // display system's of the surface's size, or an empty buffer for the surface's own pixels.
  // Moving out of the own pixels frees them (`show` has put them on screen); moving back starts
  // black.
  void Show(const std::function<PixelBuffer(const PixelBuffer&)>& show);

  // Number of updates so far; a presenter compares it with the last one it showed.
  std::uint64_t Generation() const { return m_generation.load(std::memory_order_acquire); }

  // Called after every update, on the updating thread (the backend installs it).
  void SetUpdateListener(std::function<void()> listener);

 private:
  PixelBuffer OwnPixels() const;

  int m_width;
  int m_height;
  std::vector<Pixel> m_own;  // empty while the surface draws into a framebuffer
  PixelBuffer m_target;      // where the pixels are now, under m_lock
  mutable std::mutex m_lock;
  std::atomic<std::uint64_t> m_generation{0};
  std::function<void()> m_listener;  // set before any drawing thread starts
};
