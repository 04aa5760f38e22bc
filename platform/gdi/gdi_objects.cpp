#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

#include <atomic>

#include "platform/gdi/gdi_wrappers.h"
#include "platform/gdi/raster_loops.h"

namespace {

std::atomic<int> g_liveObjects{0};

struct StockObjects {
  BrushObject white{false, RGB(255, 255, 255), true};
  BrushObject lightGray{false, RGB(192, 192, 192), true};
  BrushObject gray{false, RGB(128, 128, 128), true};
  BrushObject darkGray{false, RGB(64, 64, 64), true};
  BrushObject black{false, RGB(0, 0, 0), true};
  BrushObject hollow{true, RGB(0, 0, 0), true};
  PenObject whitePen{PS_SOLID, 0, RGB(255, 255, 255), true};
  PenObject blackPen{PS_SOLID, 0, RGB(0, 0, 0), true};
  PenObject nullPen{PS_NULL, 0, RGB(0, 0, 0), true};
  FontObject systemFont{FontRequest{"System", 16, 0, FW_BOLD, false}, false, false, true};
  FontObject guiFont{FontRequest{"MS Shell Dlg", 13, 0, FW_NORMAL, false}, false, false, true};
  BitmapObject bitmap{1, 1, true, true};
};

StockObjects& Stock() {
  static StockObjects* const objects = new StockObjects();  // never destroyed: DCs may outlive statics
  return *objects;
}

}  // namespace

GdiObject::GdiObject(GdiKind objectKind, bool isStock) : kind(objectKind), stock(isStock) {
  if (!stock) g_liveObjects.fetch_add(1, std::memory_order_relaxed);
}

GdiObject::~GdiObject() {
  if (wrapper) wrapper->m_hObject = nullptr;
  if (!stock) g_liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

BitmapObject::BitmapObject(int w, int h, bool mono, bool isStock)
    : GdiObject(GdiKind::Bitmap, isStock),
      width(w > 0 && h > 0 ? w : 0),
      height(w > 0 && h > 0 ? h : 0),
      monochrome(mono),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

BitmapObject::BitmapObject(int w, int h, std::vector<Pixel> colorPixels)
    : GdiObject(GdiKind::Bitmap, false), width(w), height(h), monochrome(false), pixels(std::move(colorPixels)) {}

std::shared_ptr<const LoadedFont> FontObject::Loaded() const {
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_tried) {
    m_tried = true;
    m_loaded = FontEngine::Instance().Load(request);
  }
  return m_loaded;
}

DcObject::DcObject() : GdiObject(GdiKind::Dc, false) {
  bitmap = StockBitmap();
  pen = &Stock().blackPen;
  brush = &Stock().white;
  font = &Stock().systemFont;
}

Affine DcObject::LogicalToDevice() const {
  Affine map;
  if (graphicsMode == GM_ADVANCED) {
    map = Affine{world.eM11, world.eM12, world.eM21, world.eM22, world.eDx, world.eDy};
  }
  map.dx -= windowOrg.x;
  map.dy -= windowOrg.y;
  return map;
}

HBITMAP StockBitmap() { return &Stock().bitmap; }

int GdiLiveObjectCount() { return g_liveObjects.load(std::memory_order_relaxed); }

HGDIOBJ GetStockObject(int index) {
  StockObjects& s = Stock();
  switch (index) {
    case WHITE_BRUSH: return &s.white;
    case LTGRAY_BRUSH: return &s.lightGray;
    case GRAY_BRUSH: return &s.gray;
    case DKGRAY_BRUSH: return &s.darkGray;
    case BLACK_BRUSH: return &s.black;
    case NULL_BRUSH: return &s.hollow;
    case WHITE_PEN: return &s.whitePen;
    case BLACK_PEN: return &s.blackPen;
    case NULL_PEN: return &s.nullPen;
    case SYSTEM_FONT: return &s.systemFont;
    case DEFAULT_GUI_FONT: return &s.guiFont;
    default: return nullptr;
  }
}

bool IsSelected(HGDIOBJ object) {
  if (object->kind == GdiKind::Bitmap) return static_cast<HBITMAP>(object)->selectedInto != nullptr;
  return object->selections > 0;
}

void HoldSelected(HGDIOBJ object, HDC dc) {
  if (!object || object->stock) return;
  if (object->kind == GdiKind::Bitmap) {
    static_cast<HBITMAP>(object)->selectedInto = dc;
  } else {
    ++object->selections;
  }
}

void ReleaseSelected(HGDIOBJ object) {
  if (!object || object->stock) return;
  if (object->kind == GdiKind::Bitmap) {
    static_cast<HBITMAP>(object)->selectedInto = nullptr;
  } else {
    --object->selections;
  }
  if (object->deletePending && !IsSelected(object)) delete object;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object || object->kind == GdiKind::Dc) return FALSE;
  if (object->stock) return TRUE;  // deleting a stock object succeeds and does nothing
  if (object->wrapper) {
    object->wrapper->m_hObject = nullptr;
    object->wrapper = nullptr;
  }
  if (IsSelected(object)) {
    object->deletePending = true;  // deleted when its DC lets go of it
    return TRUE;
  }
  delete object;
  return TRUE;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_NULL) return nullptr;
  return new PenObject(style, width < 0 ? 0 : width, color & kPixelMask);
}

HBRUSH CreateSolidBrush(COLORREF color) { return new BrushObject(false, color & kPixelMask); }

Pixel TargetPixel(COLORREF color, bool monochrome) {
  const Pixel p = PixelFromColor(color);
  return monochrome ? NearestMono(p) : p;
}
