#include "render/mem_dc.h"

CMemDC::CMemDC(HDC target, const RECT* area, HBITMAP reuse, Start start) : m_target_dc(target) {
  if (area) {
    m_area = *area;
  } else {
    GetClipBox(target, &m_area);
  }
  m_dc = CreateCompatibleDC(target);
  POINT corners[2] = {{m_area.left, m_area.top}, {m_area.right, m_area.bottom}};
  LPtoDP(target, corners, 2);
  int width = corners[1].x - corners[0].x;
  int height = corners[1].y - corners[0].y;
  BITMAP reused{};
  if (reuse && GetObjectW(reuse, sizeof(reused), &reused) && reused.bmWidth == width && reused.bmHeight == height &&
      reused.bmBitsPixel == 32) {
    m_buffer_bitmap = reuse;
  } else {
    m_buffer_bitmap = CreateCompatibleBitmap(target, width, height);
    m_owns_buffer = true;
  }
  m_prev_bitmap = SelectObject(m_dc, m_buffer_bitmap);
  SetMapMode(m_dc, GetMapMode(target));
  DPtoLP(target, corners, 2);
  SetWindowOrgEx(m_dc, m_area.left, m_area.top, nullptr);
  if (start == Start::kFilled) {
    FillSolidRect(m_dc, &m_area, GetBkColor(target));
  } else {
    SetBkColor(m_dc, GetBkColor(target));
  }
}

CMemDC::~CMemDC() {
  BitBlt(m_target_dc, m_area.left, m_area.top, m_area.right - m_area.left, m_area.bottom - m_area.top, m_dc,
         m_area.left, m_area.top, SRCCOPY);
  SelectObject(m_dc, m_prev_bitmap);
  DeleteDC(m_dc);
  if (m_owns_buffer) DeleteObject(m_buffer_bitmap);
}
