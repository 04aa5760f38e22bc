// Thin wrappers in the style of the desktop framework's drawing classes, over the handle functions.
//
// As in that framework, a wrapper owns its handle: the destructor deletes it unless it was detached.
// FromHandle gives the wrapper attached to a handle, or else a temporary one kept per thread (stock
// objects, handles made without a wrapper); temporaries never delete their handle.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace gdi_detail {

// The per-thread temporary wrapper of type T for `handle`.
template <class T, class Handle>
T* TemporaryWrapper(Handle handle) {
  struct Release {
    void operator()(T* wrapper) const {
      wrapper->Forget();  // a temporary never deletes what it wraps
      delete wrapper;
    }
  };
  thread_local std::unordered_map<Handle, std::unique_ptr<T, Release>> wrappers;
  std::unique_ptr<T, Release>& slot = wrappers[handle];
  if (!slot) slot.reset(new T());
  slot->Forget();
  slot->Wrap(handle);
  return slot.get();
}

}  // namespace gdi_detail

class CGdiObject {
 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  virtual ~CGdiObject() { DeleteObject(); }

  HGDIOBJ GetSafeHandle() const { return m_hObject; }

  BOOL Attach(HGDIOBJ object) {
    if (!object || m_hObject) return FALSE;
    m_hObject = object;
    if (!object->stock) object->wrapper = this;
    return TRUE;
  }
  HGDIOBJ Detach() {
    HGDIOBJ object = m_hObject;
    if (object && object->wrapper == this) object->wrapper = nullptr;
    m_hObject = nullptr;
    return object;
  }
  BOOL DeleteObject() { return m_hObject ? ::DeleteObject(Detach()) : FALSE; }

  static CGdiObject* FromHandle(HGDIOBJ object) { return Find<CGdiObject>(object); }

  HGDIOBJ m_hObject = nullptr;

  // For temporary wrappers: hold or let go of a handle without owning it.
  void Wrap(HGDIOBJ object) { m_hObject = object; }
  void Forget() { m_hObject = nullptr; }

 protected:
  template <class T>
  static T* Find(HGDIOBJ object) {
    if (!object) return nullptr;
    if (T* attached = dynamic_cast<T*>(object->wrapper)) return attached;
    return gdi_detail::TemporaryWrapper<T>(object);
  }
};

class CBitmap : public CGdiObject {
 public:
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const BYTE* bits) {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
  }
  int GetBitmap(BITMAP* out) const { return ::GetObjectW(*this, static_cast<int>(sizeof(BITMAP)), out); }
  static CBitmap* FromHandle(HBITMAP bitmap) { return Find<CBitmap>(bitmap); }
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
  static CPen* FromHandle(HPEN pen) { return Find<CPen>(pen); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  static CBrush* FromHandle(HBRUSH brush) { return Find<CBrush>(brush); }
};

class CFont : public CGdiObject {
 public:
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  BOOL CreateFontW(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                   BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                   BYTE pitchAndFamily, std::string_view face) {
    return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, face));
  }
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, std::string_view face) {
    return CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                       outPrecision, clipPrecision, quality, pitchAndFamily, face);
  }
  static CFont* FromHandle(HFONT font) { return Find<CFont>(font); }
};

class CDC {
 public:
  CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
  }

  HDC m_hDC = nullptr;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  BOOL IsPrinting() const { return FALSE; }

  BOOL Attach(HDC dc) {
    if (!dc || m_hDC) return FALSE;
    m_hDC = dc;
    dc->dcWrapper = this;
    return TRUE;
  }
  HDC Detach() {
    HDC dc = m_hDC;
    if (dc && dc->dcWrapper == this) dc->dcWrapper = nullptr;
    m_hDC = nullptr;
    return dc;
  }
  BOOL CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }
  BOOL DeleteDC() { return m_hDC ? ::DeleteDC(Detach()) : FALSE; }
  static CDC* FromHandle(HDC dc) {
    if (!dc) return nullptr;
    if (dc->dcWrapper) return dc->dcWrapper;
    return gdi_detail::TemporaryWrapper<CDC>(dc);
  }
  void Wrap(HDC dc) { m_hDC = dc; }
  void Forget() { m_hDC = nullptr; }

  CBitmap* SelectObject(CBitmap* bitmap) { return CBitmap::FromHandle(::SelectObject(m_hDC, Handle<HBITMAP>(bitmap))); }
  CPen* SelectObject(CPen* pen) { return CPen::FromHandle(::SelectObject(m_hDC, Handle<HPEN>(pen))); }
  CBrush* SelectObject(CBrush* brush) { return CBrush::FromHandle(::SelectObject(m_hDC, Handle<HBRUSH>(brush))); }
  CFont* SelectObject(CFont* font) { return CFont::FromHandle(::SelectObject(m_hDC, Handle<HFONT>(font))); }
  CGdiObject* SelectObject(CGdiObject* object) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, object ? object->m_hObject : nullptr));
  }
  CGdiObject* SelectStockObject(int index) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
  }

  BOOL BitBlt(int x, int y, int width, int height, CDC* src, int srcX, int srcY, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, srcX, srcY, rop);
  }
  BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int srcX, int srcY, int srcWidth, int srcHeight,
                  DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, srcX, srcY, srcWidth, srcHeight, rop);
  }
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }
  BOOL AlphaBlend(int x, int y, int width, int height, CDC* src, int srcX, int srcY, int srcWidth, int srcHeight,
                  BLENDFUNCTION blend) {
    return ::AlphaBlend(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, srcX, srcY, srcWidth, srcHeight,
                        blend);
  }

  void FillRect(const RECT* rect, CBrush* brush) { ::FillRect(m_hDC, rect, Handle<HBRUSH>(brush)); }
  void FillSolidRect(const RECT* rect, COLORREF color) { ::FillSolidRect(m_hDC, rect, color); }
  void FillSolidRect(int x, int y, int width, int height, COLORREF color) {
    ::FillSolidRect(m_hDC, x, y, width, height, color);
  }
  BOOL Rectangle(int left, int top, int right, int bottom) { return ::Rectangle(m_hDC, left, top, right, bottom); }
  BOOL Rectangle(const RECT* r) { return r ? ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom) : FALSE; }
  BOOL Ellipse(int left, int top, int right, int bottom) { return ::Ellipse(m_hDC, left, top, right, bottom); }
  BOOL Ellipse(const RECT* r) { return r ? ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom) : FALSE; }
  CPoint MoveTo(int x, int y) {
    POINT previous;
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous.x, previous.y);
  }
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }

  BOOL TextOut(int x, int y, std::string_view text) { return ::TextOutW(m_hDC, x, y, text, -1); }
  BOOL TextOut(int x, int y, std::string_view text, int length) { return ::TextOutW(m_hDC, x, y, text, length); }
  SIZE GetTextExtent(std::string_view text) const {
    SIZE size;
    ::GetTextExtentPoint32W(m_hDC, text, -1, &size);
    return size;
  }

  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int GetBkMode() const { return ::GetBkMode(m_hDC); }
  COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
  int GetStretchBltMode() const { return ::GetStretchBltMode(m_hDC); }
  int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
  int GetMapMode() const { return ::GetMapMode(m_hDC); }
  CPoint SetWindowOrg(int x, int y) {
    POINT previous;
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return CPoint(previous.x, previous.y);
  }
  void LPtoDP(POINT* points, int count = 1) const { ::LPtoDP(m_hDC, points, count); }
  void DPtoLP(POINT* points, int count = 1) const { ::DPtoLP(m_hDC, points, count); }
  int GetClipBox(RECT* box) const { return ::GetClipBox(m_hDC, box); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

 private:
  template <class H, class W>
  static H Handle(W* wrapper) {
    return wrapper ? static_cast<H>(wrapper->m_hObject) : nullptr;
  }
};

inline BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}
