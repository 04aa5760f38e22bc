#include "render/transformed_blit.h"

#include <algorithm>
#include <cmath>

#include "app/viewer_state.h"
#include "platform/window/window_system.h"
#include "resources/resource_bitmaps.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

struct BitmapSize {
  int w = 0;
  int h = 0;
};

BitmapSize SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {};
  return {info.bmWidth, info.bmHeight};
}

// The common start of a turned copy: source and destination DCs, the black box, the transform.
struct TurnedCopy {
  HDC source_dc = nullptr;
  HDC dest_dc = nullptr;
  HBITMAP result = nullptr;
  HBITMAP source_previous = nullptr;
  HBITMAP dest_previous = nullptr;
  BitmapSize size;
  TurnedBox box;

  TurnedCopy(HBITMAP source, float angle) {
    source_dc = CreateCompatibleDC(nullptr);
    dest_dc = CreateCompatibleDC(nullptr);
    size = SizeOf(source);
    float cos_a = static_cast<float>(std::cos(angle));
    float sin_a = static_cast<float>(std::sin(angle));
    box = TurnedBoundingBox(size.w, size.h, cos_a, sin_a);
    result = CreateCompatibleBitmap(nullptr, box.width, box.height);  // colour, like the screen
    source_previous = SelectObject(source_dc, source);
    dest_previous = SelectObject(dest_dc, result);
    HBRUSH black = CreateSolidBrush(0);
    HBRUSH brush_previous = SelectObject(dest_dc, black);
    PatBlt(dest_dc, 0, 0, box.width, box.height, PATCOPY);
    SelectObject(dest_dc, brush_previous);
    DeleteObject(black);
    SetGraphicsMode(dest_dc, GM_ADVANCED);
    XFORM turn;
    turn.eM11 = cos_a;
    turn.eM12 = -sin_a;
    turn.eM21 = sin_a;
    turn.eM22 = cos_a;
    turn.eDx = static_cast<float>(-box.min_x);
    turn.eDy = static_cast<float>(-box.min_y);
    SetWorldTransform(dest_dc, &turn);
  }

  HBITMAP Finish() {
    SelectObject(source_dc, source_previous);
    SelectObject(dest_dc, dest_previous);
    DeleteDC(source_dc);
    DeleteDC(dest_dc);
    return result;
  }
};

}  // namespace

TurnedBox TurnedBoundingBox(int w, int h, float cos_a, float sin_a) {
  auto trunc = [](double v) { return static_cast<int>(v); };
  int xs[4] = {0, trunc(w * cos_a), trunc(h * sin_a), trunc(w * cos_a + h * sin_a)};
  int ys[4] = {0, trunc(-w * sin_a), trunc(h * cos_a), trunc(h * cos_a - w * sin_a)};
  auto [min_x, max_x] = std::minmax_element(std::begin(xs), std::end(xs));
  auto [min_y, max_y] = std::minmax_element(std::begin(ys), std::end(ys));
  return {*min_x, *min_y, *max_x - *min_x, *max_y - *min_y};
}

float DegreesToRadians(int degrees) { return static_cast<float>(degrees / 180.0 * 3.14159); }

HBITMAP RotateBitmap(HBITMAP source, float angle) {
  TurnedCopy copy(source, angle);
  BitBlt(copy.dest_dc, 0, 0, copy.size.w, copy.size.h, copy.source_dc, 0, 0, SRCCOPY);
  HBITMAP turned = copy.Finish();
  MakeBitmapLevels(turned);
  return turned;
}

HBITMAP PlaybackBitmap(const ViewerState& state, HBITMAP source, float angle) {
  TurnedCopy copy(source, angle);
  SetStretchBltMode(copy.dest_dc, COLORONCOLOR);
  float zoom = state.m_play_zoom;
  int bw = copy.box.width;
  int bh = copy.box.height;
  StretchBlt(copy.dest_dc, static_cast<int>(bw / 2 - zoom * bw * 0.5), static_cast<int>(bh / 2 - zoom * bh * 0.5),
             static_cast<int>(zoom * copy.size.w), static_cast<int>(zoom * copy.size.h), copy.source_dc,
             state.m_play_x, state.m_play_y, copy.size.w, copy.size.h, SRCCOPY);
  HBITMAP played = copy.Finish();
  MakeBitmapLevels(played);
  return played;
}

HBITMAP MakeSpriteMask(HDC image_dc, HDC mask_dc, int width, int height) {
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  HBITMAP previous = SelectObject(mask_dc, mask);
  SetBkColor(image_dc, 0);
  BitBlt(mask_dc, 0, 0, width, height, image_dc, 0, 0, SRCCOPY);
  SetTextColor(image_dc, kWhite);
  BitBlt(image_dc, 0, 0, width, height, mask_dc, 0, 0, SRCAND);
  return previous;
}

void DrawSprite(HDC target, int x, int y, int dw, int dh, HDC mask_dc, HDC image_dc, int sw, int sh) {
  StretchBlt(target, x, y, dw, dh, mask_dc, 0, 0, sw, sh, SRCAND);
  StretchBlt(target, x, y, dw, dh, image_dc, 0, 0, sw, sh, SRCPAINT);
}

void DrawMenuPointer(const ViewerState& state, HDC target) {
  HBITMAP sight = LoadBitmapW(IDB_MENU_POINTER);
  BitmapSize size = SizeOf(sight);
  HDC image_dc = CreateCompatibleDC(target);
  HDC mask_dc = CreateCompatibleDC(target);
  HBITMAP image_previous = SelectObject(image_dc, sight);
  HBITMAP mask_previous = MakeSpriteMask(image_dc, mask_dc, size.w, size.h);

  int half_w = size.w / 2;
  int half_h = size.h / 2;
  int cx = state.m_screen_w / 2;
  int cy = state.m_screen_h / 2;
  POINT at;
  GetCursorPos(&at);
  // Each check sees the pointer as the one before left it.
  if (at.x > cx - half_w + 369) SetCursorPos(at.x = cx - half_w + 369, at.y);
  if (at.x < cx + half_w - 367) SetCursorPos(at.x = cx + half_w - 367, at.y);
  if (at.y < cy + half_h - 284) SetCursorPos(at.x, at.y = cy + half_h - 284);
  if (at.y > cy - half_h + 282) SetCursorPos(at.x, at.y = cy - half_h + 282);
  GetCursorPos(&at);
  DrawSprite(target, at.x - half_w, at.y - half_h, size.w, size.h, mask_dc, image_dc, size.w, size.h);

  HBITMAP mask = SelectObject(mask_dc, mask_previous);
  DeleteObject(mask);
  SelectObject(image_dc, image_previous);
  DeleteDC(mask_dc);
  DeleteDC(image_dc);
  DeleteObject(sight);
}
