#include <gtest/gtest.h>

#include <cmath>

#include "platform/gdi/gdi.h"
#include "platform/window/client_surface.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::Canvas;

TEST(DeviceContext, FreshMemoryDcDefaults) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
  EXPECT_EQ(GetGraphicsMode(dc), GM_COMPATIBLE);
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  // It holds the 1 x 1 monochrome stock bitmap.
  BITMAP info;
  GetObjectW(static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP)), sizeof(info), &info);
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmHeight, 1);
  EXPECT_EQ(info.bmBitsPixel, 1);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 1);
  // Drawing on the shared stock bitmap is ignored.
  EXPECT_TRUE(PatBlt(dc, 0, 0, 1, 1, WHITENESS));
  EXPECT_EQ(BitmapPixels(static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP))).Row(0)[0], 0u);
  DeleteDC(dc);
}

TEST(DeviceContext, SettersReturnThePreviousValueAndRefuseNonsense) {
  Canvas c(2, 2);
  HDC dc = c.dc();
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255));
  EXPECT_EQ(SetBkColor(dc, 0xFF0A0B0C), RGB(1, 2, 3));
  EXPECT_EQ(GetBkColor(dc), 0x000A0B0Cu);  // the top byte is dropped
  EXPECT_EQ(SetTextColor(dc, RGB(9, 9, 9)), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(dc), RGB(9, 9, 9));
  EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc, 0), 0);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
  EXPECT_EQ(SetMapMode(dc, 8), 0);  // only MM_TEXT
  EXPECT_EQ(SetBkMode(nullptr, OPAQUE), 0);
  EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 2);
  EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
}

TEST(DeviceContext, SelectObjectReturnsThePreviousOfEachKind) {
  Canvas c(2, 2);
  HPEN pen = CreatePen(PS_DOT, 1, RGB(1, 1, 1));
  HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
  HFONT font = CreateFontW(10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  EXPECT_EQ(SelectObject(c.dc(), pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(c.dc(), brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(c.dc(), font), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(c.dc(), GetStockObject(NULL_PEN)), pen);
  EXPECT_EQ(SelectObject(c.dc(), GetStockObject(BLACK_BRUSH)), brush);
  EXPECT_EQ(SelectObject(c.dc(), GetStockObject(DEFAULT_GUI_FONT)), font);
  EXPECT_EQ(SelectObject(c.dc(), static_cast<HGDIOBJ>(nullptr)), nullptr);
  EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteObject(font);
}

TEST(DeviceContext, WorldTransformNeedsAdvancedMode) {
  Canvas c(2, 2);
  const XFORM shift{1, 0, 0, 1, 5, 6};
  EXPECT_FALSE(SetWorldTransform(c.dc(), &shift));
  EXPECT_EQ(SetGraphicsMode(c.dc(), GM_ADVANCED), GM_COMPATIBLE);
  EXPECT_TRUE(SetWorldTransform(c.dc(), &shift));
  const XFORM singular{1, 1, 1, 1, 0, 0};
  EXPECT_FALSE(SetWorldTransform(c.dc(), &singular));
  const XFORM endless{1, 0, 0, 1, INFINITY, 0};
  EXPECT_FALSE(SetWorldTransform(c.dc(), &endless));
  // Back to GM_COMPATIBLE only once the transform is the identity again.
  EXPECT_EQ(SetGraphicsMode(c.dc(), GM_COMPATIBLE), 0);
  EXPECT_TRUE(ModifyWorldTransform(c.dc(), nullptr, MWT_IDENTITY));
  EXPECT_EQ(SetGraphicsMode(c.dc(), GM_COMPATIBLE), GM_ADVANCED);
}

TEST(DeviceContext, ModifyWorldTransformMultipliesOnEitherSide) {
  Canvas c(2, 2);
  SetGraphicsMode(c.dc(), GM_ADVANCED);
  const XFORM scale{2, 0, 0, 2, 0, 0};
  const XFORM shift{1, 0, 0, 1, 10, 0};
  SetWorldTransform(c.dc(), &scale);
  ModifyWorldTransform(c.dc(), &shift, MWT_LEFTMULTIPLY);  // shift first, then scale
  POINT p{1, 1};
  LPtoDP(c.dc(), &p, 1);
  EXPECT_EQ(p.x, 22);
  SetWorldTransform(c.dc(), &scale);
  ModifyWorldTransform(c.dc(), &shift, MWT_RIGHTMULTIPLY);  // scale first, then shift
  p = POINT{1, 1};
  LPtoDP(c.dc(), &p, 1);
  EXPECT_EQ(p.x, 12);
  XFORM now;
  GetWorldTransform(c.dc(), &now);
  EXPECT_EQ(now.eDx, 10);
}

TEST(DeviceContext, PointMappingWithWindowOriginAndTransform) {
  Canvas c(10, 10);
  POINT previous{-1, -1};
  SetWindowOrgEx(c.dc(), 3, -2, &previous);
  EXPECT_EQ(previous.x, 0);
  POINT pts[2] = {{3, -2}, {0, 0}};
  LPtoDP(c.dc(), pts, 2);
  EXPECT_EQ(pts[0].x, 0);
  EXPECT_EQ(pts[0].y, 0);
  EXPECT_EQ(pts[1].x, -3);
  EXPECT_EQ(pts[1].y, 2);
  DPtoLP(c.dc(), pts, 2);
  EXPECT_EQ(pts[1].x, 0);
  EXPECT_EQ(pts[1].y, 0);
  SetGraphicsMode(c.dc(), GM_ADVANCED);
  const XFORM half{0.5f, 0, 0, 0.5f, 0, 0};
  SetWorldTransform(c.dc(), &half);
  POINT q{9, 9};
  LPtoDP(c.dc(), &q, 1);  // 4.5 - 3 = 1.5 rounds up to 2; 4.5 + 2 = 6.5 to 7
  EXPECT_EQ(q.x, 2);
  EXPECT_EQ(q.y, 7);
  POINT origin;
  GetWindowOrgEx(c.dc(), &origin);
  EXPECT_EQ(origin.x, 3);
}

TEST(DeviceContext, ClipBoxIsTheDeviceInLogicalCoordinates) {
  Canvas c(6, 4);
  SetWindowOrgEx(c.dc(), 10, 20, nullptr);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 16);
  EXPECT_EQ(box.bottom, 24);
  EXPECT_EQ(GetClipBox(nullptr, &box), ERROR);
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 0, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, empty);
  EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
  DeleteDC(dc);
  DeleteObject(empty);
}

TEST(DeviceContext, MemoryDcReportsTheDeviceItWasMadeFor) {
  ClientSurface surface(320, 200);
  HDC window = CreateSurfaceDC(surface);
  HDC memory = CreateCompatibleDC(window);
  EXPECT_EQ(GetDeviceCaps(memory, HORZRES), 320);
  EXPECT_EQ(GetDeviceCaps(memory, VERTRES), 200);
  EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSY), 96);
  RECT box;
  GetClipBox(window, &box);
  EXPECT_EQ(box.right, 320);
  DeleteDC(memory);
  DeleteDC(window);
  EXPECT_FALSE(DeleteDC(nullptr));
}

}  // namespace
