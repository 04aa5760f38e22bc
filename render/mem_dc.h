// An off-screen drawing surface for one frame: everything is drawn into its buffer and the
// buffer is copied to the target in one step when it ends, so the screen never flickers.
#pragma once

#include "platform/gdi/gdi.h"

class CMemDC {
 public:
  // How the buffer starts: filled with the target's background colour, or left as it is
  // because the caller writes every pixel of the area before anything reads it.
  enum class Start { kFilled, kCoveredByCaller };

  // Builds a buffer for `target` over `area`, or over the target's clip box when null.
  // `reuse` is a bitmap the caller keeps between frames; it is used when it has the area's
  // size (no allocation per frame), otherwise a buffer bitmap is made and deleted here.
  CMemDC(HDC target, const RECT* area, HBITMAP reuse = nullptr, Start start = Start::kFilled);
  ~CMemDC();  // copies the buffer to the target
  CMemDC(const CMemDC&) = delete;
  CMemDC& operator=(const CMemDC&) = delete;

  HDC GetSafeHdc() const { return m_dc; }
  operator HDC() const { return m_dc; }  // NOLINT: used wherever a DC is expected
  const RECT& Area() const { return m_area; }
  HBITMAP Buffer() const { return m_buffer_bitmap; }

 private:
  HBITMAP m_buffer_bitmap = nullptr;
  HBITMAP m_prev_bitmap = nullptr;
  HDC m_target_dc = nullptr;
  HDC m_dc = nullptr;
  RECT m_area{};
  bool m_owns_buffer = false;
};
