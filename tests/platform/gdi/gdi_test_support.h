// Helpers for the raster layer's tests: tiny bitmaps drawn and compared as character pictures.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi_test {

// '.' black, '#' white, R G B Y C M primaries and mixes, '0'..'9' greys 0x10..0xA0; anything else is '?'.
inline Pixel PixelOf(char c) {
  switch (c) {
    case '.': return 0x000000;
    case '#': return 0xFFFFFF;
    case 'R': return 0xFF0000;
    case 'G': return 0x00FF00;
    case 'B': return 0x0000FF;
    case 'Y': return 0xFFFF00;
    case 'C': return 0x00FFFF;
    case 'M': return 0xFF00FF;
    default: break;
  }
  if (c >= '0' && c <= '9') return 0x101010u * static_cast<Pixel>(c - '0' + 1);
  return 0x123456;
}

inline char CharOf(Pixel p) {
  for (char c : std::string(".#RGBYCM0123456789")) {
    if (PixelOf(c) == p) return c;
  }
  return '?';
}

// Rows of characters, one per pixel, top row first.
inline std::vector<std::string> Art(const PixelBuffer& pixels) {
  std::vector<std::string> rows;
  for (int y = 0; y < pixels.height; ++y) {
    std::string row;
    for (int x = 0; x < pixels.width; ++x) row += CharOf(pixels.Row(y)[x]);
    rows.push_back(row);
  }
  return rows;
}

inline void Paint(const PixelBuffer& pixels, const std::vector<std::string>& rows) {
  for (int y = 0; y < pixels.height && y < static_cast<int>(rows.size()); ++y) {
    for (int x = 0; x < pixels.width && x < static_cast<int>(rows[y].size()); ++x) {
      pixels.Row(y)[x] = PixelOf(rows[y][x]);
    }
  }
}

// A memory DC with a bitmap of its own; everything is freed on destruction.
class Canvas {
 public:
  Canvas(int width, int height, bool monochrome = false) {
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = monochrome ? CreateBitmap(width, height, 1, 1, nullptr) : CreateCompatibleBitmap(nullptr, width, height);
    m_previous = SelectObject(m_dc, static_cast<HGDIOBJ>(m_bitmap));
  }
  explicit Canvas(const std::vector<std::string>& rows, bool monochrome = false)
      : Canvas(rows.empty() ? 0 : static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), monochrome) {
    Paint(pixels(), rows);
  }
  ~Canvas() {
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return m_dc; }
  HBITMAP bitmap() const { return m_bitmap; }
  PixelBuffer pixels() const { return BitmapPixels(m_bitmap); }
  std::vector<std::string> Art() const { return gdi_test::Art(pixels()); }
  Pixel At(int x, int y) const { return pixels().Row(y)[x]; }

 private:
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_previous = nullptr;
};

using Rows = std::vector<std::string>;

}  // namespace gdi_test
