// Lines, rectangles, ellipses and rectangle fills with the DC's pen and brush.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/draw_target.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/line_geometry.h"
#include "platform/gdi/raster_loops.h"

namespace {

// A rectangle [left, right) x [top, bottom) in device pixels, wide enough for any pen offset.
struct Box {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

// How the DC's pen paints on a target.
struct Stroke {
  bool visible = true;               // false for PS_NULL
  int width = 1;
  Pixel color = 0;
  std::optional<Pixel> gap;          // gap colour of dashed lines in OPAQUE mode
  std::optional<DashPattern> dash;
};

Stroke StrokeOf(HDC dc, bool mono) {
  Stroke s;
  const HPEN pen = dc->pen;
  s.visible = pen->style != PS_NULL;
  s.width = std::max(pen->width, 1);
  s.color = TargetPixel(pen->color, mono);
  s.dash = PenDashPattern(pen->style, pen->width);
  if (dc->bkMode == OPAQUE) s.gap = TargetPixel(dc->bkColor, mono);
  return s;
}

void FillBox(const DrawTarget& t, const Box& box, Pixel color) {
  const std::int64_t left = std::max<std::int64_t>(box.left, 0);
  const std::int64_t right = std::min<std::int64_t>(box.right, t.pixels.width);
  const std::int64_t top = std::max<std::int64_t>(box.top, 0);
  const std::int64_t bottom = std::min<std::int64_t>(box.bottom, t.pixels.height);
  if (right <= left || bottom <= top) return;
  for (std::int64_t y = top; y < bottom; ++y) {
    FillRow(t.pixels.Row(static_cast<int>(y)) + left, static_cast<int>(right - left), color);
  }
}

void FillSpan(const DrawTarget& t, int y, std::int64_t left, std::int64_t right, Pixel color) {
  FillBox(t, Box{left, y, right, std::int64_t{y} + 1}, color);
}

void PutPixel(const DrawTarget& t, std::int64_t x, std::int64_t y, Pixel color) {
  if (x >= 0 && y >= 0 && x < t.pixels.width && y < t.pixels.height) {
    t.pixels.Row(static_cast<int>(y))[x] = color;
  }
}

// The colour of pattern position `position`, or nothing for a transparent gap.
std::optional<Pixel> StrokeColorAt(const Stroke& s, std::int64_t position) {
  if (!s.dash || DashIsOn(*s.dash, position)) return s.color;
  return s.gap;
}

// The line a -> b (b excluded); `position` carries the dash pattern on to the next segment.
void StrokeLine(const DrawTarget& t, POINT a, POINT b, const Stroke& s, std::int64_t& position) {
  const std::int64_t n = LineLength(a, b);
  if (n == 0) return;
  const bool xMajor = LineIsXMajor(a, b);
  const int before = s.width / 2;  // a wide pen spans the minor axis, its extra pixel above or left
  const StepRange steps = LineStepsInside(a, b, t.pixels.width, t.pixels.height, s.width);
  for (std::int64_t i = steps.begin; i < steps.end; ++i) {
    const std::optional<Pixel> color = StrokeColorAt(s, position + i);
    if (!color) continue;
    const POINT p = LinePixel(a, b, i);
    for (int k = -before; k < s.width - before; ++k) {
      PutPixel(t, xMajor ? p.x : std::int64_t{p.x} + k, xMajor ? std::int64_t{p.y} + k : p.y, *color);
    }
  }
  position += n;
}

// The device box of a logical rectangle (normalized; a rotation gives the bounds of its corners).
Box DeviceBox(HDC dc, int left, int top, int right, int bottom) {
  POINT corners[4] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
  LPtoDP(dc, corners, 4);
  Box box{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
  for (const POINT& p : corners) {
    box.left = std::min<std::int64_t>(box.left, p.x);
    box.right = std::max<std::int64_t>(box.right, p.x);
    box.top = std::min<std::int64_t>(box.top, p.y);
    box.bottom = std::max<std::int64_t>(box.bottom, p.y);
  }
  return box;
}

// The boxes a pen of width w draws along and inside the outline through box's edge pixels.
struct PenBoxes {
  Box outer;  // the outline's outside edge
  Box inner;  // inside the outline
};
PenBoxes PenBoxesOf(const Box& box, int w) {
  const std::int64_t before = w / 2;  // an even width puts the extra pixel on the top/left side
  return PenBoxes{Box{box.left - before, box.top - before, box.right - 1 - before + w, box.bottom - 1 - before + w},
                  Box{box.left - before + w, box.top - before + w, box.right - 1 - before, box.bottom - 1 - before}};
}

// The ring between outer and inner, or all of outer when inner is empty.
void FillRing(const DrawTarget& t, const Box& outer, const Box& inner, Pixel color) {
  if (inner.Empty()) {
    FillBox(t, outer, color);
    return;
  }
  FillBox(t, Box{outer.left, outer.top, outer.right, inner.top}, color);
  FillBox(t, Box{outer.left, inner.bottom, outer.right, outer.bottom}, color);
  FillBox(t, Box{outer.left, inner.top, inner.left, inner.bottom}, color);
  FillBox(t, Box{inner.right, inner.top, outer.right, inner.bottom}, color);
}

POINT Pt(std::int64_t x, std::int64_t y) {
  return POINT{static_cast<LONG>(std::clamp<std::int64_t>(x, INT32_MIN, INT32_MAX)),
               static_cast<LONG>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX))};
}

// A 1-pixel dashed outline: clockwise from the top-left pixel, each edge pixel visited once.
void DashedRectangle(const DrawTarget& t, const Box& box, const Stroke& s) {
  std::int64_t position = 0;
  const std::int64_t r = box.right - 1;
  const std::int64_t b = box.bottom - 1;
  if (r == box.left || b == box.top) {
    const POINT end = r == box.left ? Pt(box.left, box.bottom) : Pt(box.right, box.top);
    StrokeLine(t, Pt(box.left, box.top), end, s, position);
    return;
  }
  StrokeLine(t, Pt(box.left, box.top), Pt(r, box.top), s, position);
  StrokeLine(t, Pt(r, box.top), Pt(r, b), s, position);
  StrokeLine(t, Pt(r, b), Pt(box.left, b), s, position);
  StrokeLine(t, Pt(box.left, b), Pt(box.left, box.top), s, position);
}

RECT ToRect(const Box& box) {
  const POINT a = Pt(box.left, box.top);
  const POINT b = Pt(box.right, box.bottom);
  return RECT{a.x, a.y, b.x, b.y};
}

// Ellipse rows [top, bottom) of `box` inside the target.
std::pair<int, int> VisibleRows(const DrawTarget& t, const Box& box) {
  return {static_cast<int>(std::max<std::int64_t>(box.top, 0)),
          static_cast<int>(std::min<std::int64_t>(box.bottom, t.pixels.height))};
}

void FillEllipse(const DrawTarget& t, const Box& box, Pixel color) {
  const RECT r = ToRect(box);
  const auto [top, bottom] = VisibleRows(t, box);
  for (int y = top; y < bottom; ++y) {
    const RowSpan span = EllipseRowSpan(r, y);
    FillSpan(t, y, span.left, span.right, color);
  }
}

// The interior of row y of a 1-pixel-outlined ellipse: pixels whose four neighbours are in the ellipse.
RowSpan EllipseInterior(const RECT& r, int y) {
  const RowSpan here = EllipseRowSpan(r, y);
  const RowSpan above = EllipseRowSpan(r, y - 1);
  const RowSpan below = EllipseRowSpan(r, y + 1);
  if (here.Empty() || above.Empty() || below.Empty()) return RowSpan{};
  return RowSpan{std::max({here.left + 1, above.left, below.left}),
                 std::min({here.right - 1, above.right, below.right})};
}

// Row y of a 1-pixel-outlined ellipse: its outline pieces on either side of the interior.
struct EllipseRow {
  RowSpan inside;
  RowSpan outline[2];
};
EllipseRow EllipseRowParts(const RECT& r, int y) {
  const RowSpan span = EllipseRowSpan(r, y);
  const RowSpan inside = EllipseInterior(r, y);
  if (inside.Empty()) return EllipseRow{RowSpan{}, {span, RowSpan{}}};
  return EllipseRow{inside, {RowSpan{span.left, inside.left}, RowSpan{inside.right, span.right}}};
}

void ThinEllipse(const DrawTarget& t, const Box& box, const Stroke& s, std::optional<Pixel> fill) {
  const RECT r = ToRect(box);
  // Dashes follow the outline in angular order; boxes too big to collect draw their outline solid.
  const bool dashed = s.dash && box.bottom - box.top <= (1 << 16) && box.right - box.left <= (1 << 16);
  if (!dashed) {
    const auto [top, bottom] = VisibleRows(t, box);
    for (int y = top; y < bottom; ++y) {
      const EllipseRow row = EllipseRowParts(r, y);
      if (fill) FillSpan(t, y, row.inside.left, row.inside.right, *fill);
      for (const RowSpan& piece : row.outline) FillSpan(t, y, piece.left, piece.right, s.color);
    }
    return;
  }
  // The outline's pixels in angular order, counter-clockwise on screen from the rightmost.
  struct Dot {
    double angle;
    int x;
    int y;
  };
  std::vector<Dot> outline;
  const double cx = (static_cast<double>(r.left) + r.right) / 2;
  const double cy = (static_cast<double>(r.top) + r.bottom) / 2;
  for (int y = r.top; y < r.bottom; ++y) {
    const EllipseRow row = EllipseRowParts(r, y);
    if (fill) FillSpan(t, y, row.inside.left, row.inside.right, *fill);
    for (const RowSpan& piece : row.outline) {
      for (int x = piece.left; x < piece.right; ++x) {
        double angle = std::atan2(cy - (y + 0.5), (x + 0.5) - cx);
        if (angle < 0) angle += 2 * std::numbers::pi;
        outline.push_back(Dot{angle, x, y});
      }
    }
  }
  std::sort(outline.begin(), outline.end(), [](const Dot& a, const Dot& b) { return a.angle < b.angle; });
  for (std::size_t i = 0; i < outline.size(); ++i) {
    if (const std::optional<Pixel> color = StrokeColorAt(s, static_cast<std::int64_t>(i))) {
      PutPixel(t, outline[i].x, outline[i].y, *color);
    }
  }
}

std::optional<Pixel> BrushFill(HDC dc, bool mono) {
  if (dc->brush->hollow) return std::nullopt;  // NULL_BRUSH leaves the inside untouched
  return TargetPixel(dc->brush->color, mono);
}

}  // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  if (!dc || !rect || !brush) return 0;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;  // an inverted rectangle fills nothing
  return PatBltWithBrush(dc, rect->left, rect->top, std::int64_t{rect->right} - rect->left,
                         std::int64_t{rect->bottom} - rect->top, brush, PATCOPY);
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  if (!dc) return FALSE;
  const Box box = DeviceBox(dc, left, top, right, bottom);
  if (box.Empty()) return TRUE;
  return DrawOnDc(dc, [&](const DrawTarget& t) {
    const Stroke s = StrokeOf(dc, t.monochrome);
    const std::optional<Pixel> fill = BrushFill(dc, t.monochrome);
    if (!s.visible) {
      // Without a pen the filled area is one pixel smaller to the right and bottom.
      if (fill) FillBox(t, Box{box.left, box.top, box.right - 1, box.bottom - 1}, *fill);
      return;
    }
    const PenBoxes pen = PenBoxesOf(box, s.width);
    if (fill) FillBox(t, pen.inner, *fill);
    if (s.dash) {
      DashedRectangle(t, box, s);
    } else {
      FillRing(t, pen.outer, pen.inner, s.color);
    }
  }) ? TRUE : FALSE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  if (!dc) return FALSE;
  const Box box = DeviceBox(dc, left, top, right, bottom);
  if (box.Empty()) return TRUE;
  return DrawOnDc(dc, [&](const DrawTarget& t) {
    const Stroke s = StrokeOf(dc, t.monochrome);
    const std::optional<Pixel> fill = BrushFill(dc, t.monochrome);
    if (!s.visible) {
      if (fill) FillEllipse(t, Box{box.left, box.top, box.right - 1, box.bottom - 1}, *fill);
      return;
    }
    if (s.width == 1) {
      ThinEllipse(t, box, s, fill);
      return;
    }
    // A wide pen: the ring between the ellipses of its outer and inner edges.
    const PenBoxes pen = PenBoxesOf(box, s.width);
    const RECT outer = ToRect(pen.outer);
    const RECT inner = ToRect(pen.inner);
    const auto [rowsTop, rowsBottom] = VisibleRows(t, pen.outer);
    for (int y = rowsTop; y < rowsBottom; ++y) {
      const RowSpan out = EllipseRowSpan(outer, y);
      const RowSpan in = pen.inner.Empty() ? RowSpan{} : EllipseRowSpan(inner, y);
      if (in.Empty()) {
        FillSpan(t, y, out.left, out.right, s.color);
        continue;
      }
      if (fill) FillSpan(t, y, in.left, in.right, *fill);
      FillSpan(t, y, out.left, in.left, s.color);
      FillSpan(t, y, in.right, out.right, s.color);
    }
  }) ? TRUE : FALSE;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* position) {
  if (!dc || !position) return FALSE;
  *position = dc->position;
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  if (!dc) return FALSE;
  POINT ends[2] = {dc->position, POINT{x, y}};
  LPtoDP(dc, ends, 2);
  dc->position = POINT{x, y};
  return DrawOnDc(dc, [&](const DrawTarget& t) {
    const Stroke s = StrokeOf(dc, t.monochrome);
    if (!s.visible) return;
    std::int64_t position = 0;  // each LineTo starts the dash pattern afresh
    StrokeLine(t, ends[0], ends[1], s, position);
  }) ? TRUE : FALSE;
}

void FillSolidRect(HDC dc, const RECT* rect, COLORREF color) {
  if (!dc || !rect) return;
  SetBkColor(dc, color);
  BrushObject brush(false, color & kPixelMask);
  FillRect(dc, rect, &brush);
}

void FillSolidRect(HDC dc, int x, int y, int width, int height, COLORREF color) {
  const POINT end = Pt(std::int64_t{x} + width, std::int64_t{y} + height);
  const RECT rect{x, y, end.x, end.y};
  FillSolidRect(dc, &rect, color);
}
