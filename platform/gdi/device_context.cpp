// Device contexts: creation, object selection, drawing state and coordinate mapping.
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/raster_loops.h"
#include "platform/window/client_surface.h"

namespace {

Affine AffineFromXform(const XFORM& x) { return Affine{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }

XFORM XformFromAffine(const Affine& a) {
  return XFORM{static_cast<float>(a.m11), static_cast<float>(a.m12), static_cast<float>(a.m21),
               static_cast<float>(a.m22), static_cast<float>(a.dx),  static_cast<float>(a.dy)};
}

bool IsFinite(const XFORM& x) {
  return std::isfinite(x.eM11) && std::isfinite(x.eM12) && std::isfinite(x.eM21) && std::isfinite(x.eM22) &&
         std::isfinite(x.eDx) && std::isfinite(x.eDy);
}

bool IsIdentity(const XFORM& x) {
  return x.eM11 == 1 && x.eM12 == 0 && x.eM21 == 0 && x.eM22 == 1 && x.eDx == 0 && x.eDy == 0;
}

// The device size a DC draws on: its surface, or its selected bitmap.
SIZE DeviceSize(HDC dc) {
  if (dc->surface) return SIZE{dc->surface->Width(), dc->surface->Height()};
  return SIZE{dc->bitmap ? dc->bitmap->width : 0, dc->bitmap ? dc->bitmap->height : 0};
}

// Replaces the DC's object in `slot` by `object`, keeping the selection counts.
template <class Handle>
Handle Swap(HDC dc, Handle& slot, Handle object) {
  Handle previous = slot;
  HoldSelected(object, dc);
  slot = object;
  ReleaseSelected(previous);
  return previous;
}

BOOL MapPoints(HDC dc, POINT* points, int count, bool toDevice) {
  if (!dc || (count > 0 && !points)) return FALSE;
  Affine map = dc->LogicalToDevice();
  if (!toDevice) {
    const std::optional<Affine> inverse = Invert(map);
    if (!inverse) return FALSE;
    map = *inverse;
  }
  for (int i = 0; i < count; ++i) {
    const DPoint p = Apply(map, points[i].x, points[i].y);
    points[i] = POINT{RoundCoordinate(p.x), RoundCoordinate(p.y)};
  }
  return TRUE;
}

}  // namespace

HDC CreateCompatibleDC(HDC dc) {
  HDC memory = new DcObject();
  if (dc) {
    const SIZE device = dc->deviceWidth > 0 ? SIZE{dc->deviceWidth, dc->deviceHeight} : DeviceSize(dc);
    memory->deviceWidth = device.cx;
    memory->deviceHeight = device.cy;
  }
  return memory;
}

HDC CreateSurfaceDC(ClientSurface& surface) {
  HDC dc = new DcObject();
  dc->surface = &surface;
  dc->bitmap = nullptr;
  return dc;
}

BOOL DeleteDC(HDC dc) {
  if (!dc) return FALSE;
  // The DC lets go of its objects; those deleted while selected go now.
  ReleaseSelected(dc->bitmap);
  ReleaseSelected(dc->pen);
  ReleaseSelected(dc->brush);
  ReleaseSelected(dc->font);
  delete dc;
  return TRUE;
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap) {
  // Only a memory DC holds a bitmap, and a bitmap sits in one DC at a time.
  if (!dc || !bitmap || dc->surface) return nullptr;
  if (bitmap->selectedInto && bitmap->selectedInto != dc) return nullptr;
  if (bitmap == dc->bitmap) return bitmap;
  return Swap(dc, dc->bitmap, bitmap);
}

HPEN SelectObject(HDC dc, HPEN pen) { return dc && pen ? Swap(dc, dc->pen, pen) : nullptr; }
HBRUSH SelectObject(HDC dc, HBRUSH brush) { return dc && brush ? Swap(dc, dc->brush, brush) : nullptr; }
HFONT SelectObject(HDC dc, HFONT font) { return dc && font ? Swap(dc, dc->font, font) : nullptr; }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!dc || !object) return nullptr;
  switch (object->kind) {
    case GdiKind::Bitmap: return SelectObject(dc, static_cast<HBITMAP>(object));
    case GdiKind::Pen: return SelectObject(dc, static_cast<HPEN>(object));
    case GdiKind::Brush: return SelectObject(dc, static_cast<HBRUSH>(object));
    case GdiKind::Font: return SelectObject(dc, static_cast<HFONT>(object));
    case GdiKind::Dc: return nullptr;
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, int kind) {
  if (!dc) return nullptr;
  switch (kind) {
    case OBJ_PEN: return dc->pen;
    case OBJ_BRUSH: return dc->brush;
    case OBJ_FONT: return dc->font;
    case OBJ_BITMAP: return dc->bitmap;
    default: return nullptr;
  }
}

int GetClipBox(HDC dc, RECT* box) {
  if (!dc || !box) return ERROR;
  const SIZE size = DeviceSize(dc);
  const std::optional<Affine> toLogical = Invert(dc->LogicalToDevice());
  if (!toLogical) return ERROR;
  // The device area's bounds in logical coordinates.
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (int corner = 0; corner < 4; ++corner) {
    const DPoint p = Apply(*toLogical, (corner & 1) ? size.cx : 0, (corner & 2) ? size.cy : 0);
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  *box = RECT{RoundCoordinate(minX), RoundCoordinate(minY), RoundCoordinate(maxX), RoundCoordinate(maxY)};
  return size.cx > 0 && size.cy > 0 ? SIMPLEREGION : NULLREGION;
}

int GetDeviceCaps(HDC dc, int index) {
  if (!dc) return 0;
  const SIZE own = DeviceSize(dc);
  switch (index) {
    // A memory DC reports the device it was made compatible with, as the desktop API does.
    case HORZRES: return dc->deviceWidth > 0 ? dc->deviceWidth : own.cx;
    case VERTRES: return dc->deviceHeight > 0 ? dc->deviceHeight : own.cy;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

int SetBkMode(HDC dc, int mode) {
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->bkMode, mode);
}
int GetBkMode(HDC dc) { return dc ? dc->bkMode : 0; }

COLORREF SetBkColor(HDC dc, COLORREF color) {
  return dc ? std::exchange(dc->bkColor, color & kPixelMask) : CLR_INVALID;
}
COLORREF GetBkColor(HDC dc) { return dc ? dc->bkColor : CLR_INVALID; }

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return dc ? std::exchange(dc->textColor, color & kPixelMask) : CLR_INVALID;
}
COLORREF GetTextColor(HDC dc) { return dc ? dc->textColor : CLR_INVALID; }

int SetStretchBltMode(HDC dc, int mode) {
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return std::exchange(dc->stretchMode, mode);
}
int GetStretchBltMode(HDC dc) { return dc ? dc->stretchMode : 0; }

int SetGraphicsMode(HDC dc, int mode) {
  if (!dc || (mode != GM_COMPATIBLE && mode != GM_ADVANCED)) return 0;
  // Going back to GM_COMPATIBLE fails while the world transform is not the identity.
  if (mode == GM_COMPATIBLE && !IsIdentity(dc->world)) return 0;
  return std::exchange(dc->graphicsMode, mode);
}
int GetGraphicsMode(HDC dc) { return dc ? dc->graphicsMode : 0; }

BOOL SetWorldTransform(HDC dc, const XFORM* xform) {
  if (!dc || !xform || dc->graphicsMode != GM_ADVANCED || !IsFinite(*xform)) return FALSE;
  if (!Invert(AffineFromXform(*xform))) return FALSE;  // a singular transform is refused
  dc->world = *xform;
  return TRUE;
}

BOOL GetWorldTransform(HDC dc, XFORM* xform) {
  if (!dc || !xform) return FALSE;
  *xform = dc->world;
  return TRUE;
}

BOOL ModifyWorldTransform(HDC dc, const XFORM* xform, DWORD mode) {
  if (!dc || dc->graphicsMode != GM_ADVANCED) return FALSE;
  if (mode == MWT_IDENTITY) {
    dc->world = XFORM{};
    return TRUE;
  }
  if (!xform || (mode != MWT_LEFTMULTIPLY && mode != MWT_RIGHTMULTIPLY)) return FALSE;
  const Affine current = AffineFromXform(dc->world);
  const Affine change = AffineFromXform(*xform);
  // Left-multiplying applies the new transform first.
  const Affine result = mode == MWT_LEFTMULTIPLY ? Compose(change, current) : Compose(current, change);
  const XFORM stored = XformFromAffine(result);
  if (!IsFinite(stored) || !Invert(AffineFromXform(stored))) return FALSE;
  dc->world = stored;
  return TRUE;
}

int SetMapMode(HDC dc, int mode) {
  if (!dc || mode != MM_TEXT) return 0;  // only MM_TEXT is supported
  return std::exchange(dc->mapMode, mode);
}
int GetMapMode(HDC dc) { return dc ? dc->mapMode : 0; }

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous) {
  if (!dc) return FALSE;
  if (previous) *previous = dc->windowOrg;
  dc->windowOrg = POINT{x, y};
  return TRUE;
}

BOOL GetWindowOrgEx(HDC dc, POINT* origin) {
  if (!dc || !origin) return FALSE;
  *origin = dc->windowOrg;
  return TRUE;
}

BOOL LPtoDP(HDC dc, POINT* points, int count) { return MapPoints(dc, points, count, true); }
BOOL DPtoLP(HDC dc, POINT* points, int count) { return MapPoints(dc, points, count, false); }
