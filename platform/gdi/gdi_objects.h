// The objects behind the drawing handles, their live count, the stock objects and selection bookkeeping.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/gdi/bitmap_levels.h"
#include "platform/gdi/font_engine.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/pixel_buffer.h"
#include "platform/gdi/world_transform.h"

class CGdiObject;
class CDC;
class ClientSurface;

enum class GdiKind : std::uint8_t { Bitmap, Pen, Brush, Font, Dc };

struct GdiObject {
  GdiObject(GdiKind objectKind, bool isStock);
  virtual ~GdiObject();
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  const GdiKind kind;
  const bool stock;                     // shared by all threads, never changed nor deleted
  int selections = 0;                   // DCs holding it (not counted for stock objects)
  bool deletePending = false;           // DeleteObject came while it was selected
  CGdiObject* wrapper = nullptr;        // the framework wrapper attached to it (never on stock objects)
};

struct BitmapObject final : GdiObject {
  BitmapObject(int w, int h, bool mono, bool isStock = false);
  BitmapObject(int w, int h, std::vector<Pixel> colorPixels);  // takes w * h top-down colour pixels
  PixelBuffer Buffer() { return PixelBuffer{pixels.data(), width, height, width}; }

  const int width;
  const int height;
  const bool monochrome;  // 1 bit per pixel to callers; stored as 0x000000 / 0xFFFFFF pixels
  std::vector<Pixel> pixels;
  std::vector<BitmapLevel> levels;  // pre-filtered half-size copies (MakeBitmapLevels), else empty
  DcObject* selectedInto = nullptr;  // a bitmap sits in at most one DC
};

struct PenObject final : GdiObject {
  PenObject(int penStyle, int penWidth, COLORREF penColor, bool isStock = false)
      : GdiObject(GdiKind::Pen, isStock), style(penStyle), width(penWidth), color(penColor) {}
  const int style;
  const int width;  // 0 and 1 both mean one pixel
  const COLORREF color;
};

struct BrushObject final : GdiObject {
  BrushObject(bool isHollow, COLORREF brushColor, bool isStock = false)
      : GdiObject(GdiKind::Brush, isStock), hollow(isHollow), color(brushColor) {}
  const bool hollow;  // NULL_BRUSH: paints nothing
  const COLORREF color;
};

struct FontObject final : GdiObject {
  FontObject(FontRequest fontRequest, bool isUnderline, bool isStrikeOut, bool isStock = false)
      : GdiObject(GdiKind::Font, isStock),
        request(std::move(fontRequest)),
        underline(isUnderline),
        strikeOut(isStrikeOut) {}
  // The engine's font, loaded on first use; null when no usable font exists.
  std::shared_ptr<const LoadedFont> Loaded() const;

  const FontRequest request;
  const bool underline;  // kept for callers; not drawn yet
  const bool strikeOut;

 private:
  mutable std::mutex m_lock;  // stock fonts are shared between threads
  mutable bool m_tried = false;
  mutable std::shared_ptr<const LoadedFont> m_loaded;
};

struct DcObject final : GdiObject {
  DcObject();
  // Device coordinates of logical (x, y): the world transform in GM_ADVANCED, then the window origin.
  Affine LogicalToDevice() const;

  ClientSurface* surface = nullptr;  // a window DC draws on its surface; a memory DC on `bitmap`
  HBITMAP bitmap = nullptr;
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF textColor = RGB(0, 0, 0);
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  int graphicsMode = GM_COMPATIBLE;
  int mapMode = MM_TEXT;
  XFORM world;
  POINT windowOrg;
  POINT position;  // MoveToEx / LineTo
  int deviceWidth = 0;  // GetDeviceCaps: the device this DC was made for (0: its bitmap's size)
  int deviceHeight = 0;
  CDC* dcWrapper = nullptr;  // the framework wrapper attached to it
};

// The 1 x 1 monochrome bitmap a fresh memory DC holds; drawing into it is ignored, as it is shared.
HBITMAP StockBitmap();

// Selection bookkeeping: `Hold` when an object goes into `dc`, `Release` when it leaves (completing a
// pending delete). Stock objects are not tracked.
void HoldSelected(HGDIOBJ object, HDC dc);
void ReleaseSelected(HGDIOBJ object);
bool IsSelected(HGDIOBJ object);

// The pixel a colour becomes on a target: itself, or on a monochrome target the nearer of black and white.
Pixel TargetPixel(COLORREF color, bool monochrome);
