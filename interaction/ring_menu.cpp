#include "interaction/ring_menu.h"

#include "app/viewer_state.h"
#include "platform/kernel/time.h"
#include "platform/window/window_system.h"

namespace {

// The strict test of one item's square: every edge excluded.
bool Inside(const RingItem& item, int x, int y, int cx, int cy) {
  return cx + item.left < x && x < cx + item.right && cy + item.top < y && y < cy + item.bottom;
}

}  // namespace

int RingItemAt(int x, int y, int cx, int cy) {
  for (int i = 0; i < static_cast<int>(kRingItems.size()); ++i) {
    if (Inside(kRingItems[static_cast<std::size_t>(i)], x, y, cx, cy)) return i;
  }
  return kRingNone;
}

void RingMenuHitTest(ViewerState& state, int x, int y) {
  // The squares do not overlap, so the item under the pointer decides every test below.
  const int item = RingItemAt(x, y, state.m_screen_w / 2, state.m_screen_h / 2);

  state.m_menu_exit_hot = item == kRingExit ? 1 : 0;
  state.m_menu_search_hot = item == kRingSearch ? 1 : 0;

  if (item == kRingRotate) {
    state.m_zoom_in = 0;
    state.m_mode = kModeNormal;
    state.m_record_mode = 0;
    state.m_brightness = state.m_brightness_saved.load();
  }

  if (item == kRingRecord) {
    state.m_record_armed = 0;
    state.m_zoom_in = 1;
    state.m_record_mode = 1;
    state.m_playback = 0;
    state.m_strip_auto = 0;
  } else {
    // A held left button's zoom-in is cancelled everywhere but on Record.
    state.m_zoom_in = 0;
    state.m_record_mode = 0;
  }

  switch (item) {
    case kRingStatic:
      state.m_mode = kModeStatic;
      state.m_record_armed = 0;
      state.m_playback = 0;
      state.m_strip_auto = 0;
      break;
    case kRingDynam:
      state.m_mode = kModeDynam;
      state.m_dynam = 1;
      state.m_playback = 1;
      state.m_strip_auto = 1;
      state.m_strip_speed = 50;
      break;
    case kRingFixed:
      state.m_playback = 1;
      state.m_mode = kModeFixed;
      // The rest on Fixed is timed from the first frame after the pointer was on no mode item.
      if (state.m_fixed_timer_armed == 1) {
        state.m_tick_fixed = GetTickCount();
        state.m_fixed_timer_armed = 0;
      }
      break;
    case kRingRand:
      state.m_mode = kModeRand;
      state.m_record_armed = 0;
      state.m_playback = 1;
      state.m_strip_auto = 1;
      state.m_rand = 1;
      break;
    case kRingInside:
      state.m_mode = kModeInside;
      state.m_record_armed = 0;
      state.m_playback = 1;
      state.m_strip_auto = 1;
      state.m_rand = 0;
      break;
    default:
      state.m_mode = kModeNormal;
      state.m_dynam = 0;
      state.m_strip_speed = 5;
      state.m_rand = 0;
      state.m_fixed_timer_armed = 1;
      state.m_strip_auto = 0;
      break;
  }
}

void DrawRingMenu(ViewerState& state, HDC dc) {
  const int cx = state.m_screen_w / 2;
  const int cy = state.m_screen_h / 2;
  HGDIOBJ previous_pen = GetCurrentObject(dc, OBJ_PEN);
  HGDIOBJ previous_brush = GetCurrentObject(dc, OBJ_BRUSH);

  HPEN outline_pen = CreatePen(PS_DOT, 1, kRingOutlineColor);
  SelectObject(dc, outline_pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, cx + kRingOutline.left, cy + kRingOutline.top, cx + kRingOutline.right, cy + kRingOutline.bottom);
  SelectObject(dc, previous_pen);
  SelectObject(dc, previous_brush);
  DeleteObject(outline_pen);

  for (const RingItem& item : kRingItems) {
    HPEN pen = CreatePen(PS_DASH, kRingItemPenWidth, kRingItemPenColor);
    HBRUSH brush = CreateSolidBrush(kRingItemFillColor);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    Ellipse(dc, cx + item.left, cy + item.top, cx + item.right, cy + item.bottom);
    TextOutW(dc, cx + item.label_x, cy + item.label_y, item.label, static_cast<int>(item.label.size()));
    SelectObject(dc, previous_pen);
    SelectObject(dc, previous_brush);
    DeleteObject(pen);
    DeleteObject(brush);
  }

  POINT at{};
  GetCursorPos(&at);
  RingMenuHitTest(state, at.x, at.y);
}
