// The ring menu: nine circles drawn into the frame while the right button is held, and the
// hit test that sets the viewing-mode fields from the pointer on every frame.
#pragma once

#include <array>
#include <string_view>

#include "platform/gdi/gdi.h"

struct ViewerState;

// Items, in drawing order (the index into kRingItems).
enum RingItemIndex : int {
  kRingNone = -1,
  kRingExit = 0,
  kRingSearch,
  kRingRecord,
  kRingStatic,
  kRingRotate,
  kRingInside,
  kRingDynam,
  kRingRand,
  kRingFixed,
};

// One item: its label, its circle's bounding square and its label origin, as offsets from the
// screen centre. The square is also the hit region, open on all four sides.
struct RingItem {
  std::string_view label;
  int left;
  int top;
  int right;
  int bottom;
  int label_x;
  int label_y;
};

inline constexpr std::array<RingItem, 9> kRingItems{{
    {"Exit", -25, -145, 25, -95, -13, -127},
    {"Search", -25, 95, 25, 145, -22, 112},
    {"Record", -195, -25, -145, 25, -194, -8},
    {"Static", 145, -25, 195, 25, 152, -8},
    {"Rotate", -25, -25, 25, 25, -21, -8},
    {"Inside", -135, -115, -85, -65, -130, -98},
    {"Dynam", 85, -115, 135, -65, 88, -98},
    {"Rand", -135, 65, -85, 115, -128, 82},
    {"Fixed", 85, 65, 135, 115, 92, 82},
}};

// The dotted outline around the items: its bounding box as offsets from the screen centre.
inline constexpr RECT kRingOutline{-200, -150, 200, 150};
inline constexpr COLORREF kRingOutlineColor = RGB(255, 55, 0);
inline constexpr COLORREF kRingItemPenColor = RGB(255, 255, 0);
inline constexpr COLORREF kRingItemFillColor = RGB(0, 255, 0);
inline constexpr int kRingItemPenWidth = 3;

// The item whose open square holds (x, y) for a ring centred on (cx, cy), or kRingNone. A point
// on a square's edge is in none.
int RingItemAt(int x, int y, int cx, int cy);

// Writes the menu's fields for the pointer at (x, y), screen coordinates, in the fixed order:
// the Exit and Search hot flags, Rotate, Record, then the mode items. Only the Fixed timer
// depends on earlier frames.
void RingMenuHitTest(ViewerState& state, int x, int y);

// Render thread, once per frame while the menu is shown: draws the ring into `dc` around the
// screen centre, then hit-tests the pointer read with GetCursorPos. The DC's pen and brush are
// restored and every object it creates is deleted before it returns; the labels use the DC's
// font, text colour and background mode.
void DrawRingMenu(ViewerState& state, HDC dc);
