#include "platform/gdi/gdi_wrappers.h"

#include <gtest/gtest.h>

#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::Rows;

TEST(CDC, MemoryDcWithABitmapRestoresTheStockBitmap) {
  const int before = GdiLiveObjectCount();
  {
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(3, 1, 1, 32, nullptr));
    CBitmap* old = memory.SelectObject(&bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->GetSafeHandle(), StockBitmap());
    memory.FillSolidRect(0, 0, 2, 1, RGB(255, 0, 0));
    EXPECT_EQ(memory.GetBkColor(), RGB(255, 0, 0));
    EXPECT_EQ(gdi_test::Art(BitmapPixels(bitmap)), (Rows{"RR."}));
    EXPECT_EQ(memory.SelectObject(old), &bitmap);  // the attached wrapper comes back
    EXPECT_FALSE(memory.IsPrinting());
    EXPECT_EQ(GdiLiveObjectCount(), before + 2);
  }
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

TEST(CDC, DrawingMethodsReachTheHandleFunctions) {
  CDC screen;
  screen.CreateCompatibleDC(nullptr);
  CBitmap target;
  target.Attach(CreateCompatibleBitmap(nullptr, 4, 3));
  CBitmap* old = screen.SelectObject(&target);
  CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
  CBrush brush(RGB(0, 0, 255));
  CPen* oldPen = screen.SelectObject(&pen);
  EXPECT_EQ(oldPen->GetSafeHandle(), GetStockObject(BLACK_PEN));
  CBrush* oldBrush = screen.SelectObject(&brush);
  screen.Rectangle(0, 0, 4, 3);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(target)), (Rows{"RRRR", "RBBR", "RRRR"}));
  const RECT cell{1, 1, 3, 2};
  CBrush green(RGB(0, 255, 0));
  screen.FillRect(&cell, &green);
  screen.MoveTo(0, 0);
  screen.LineTo(2, 0);
  screen.SelectObject(oldPen);
  screen.SelectObject(oldBrush);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(target)), (Rows{"RRRR", "RGGR", "RRRR"}));

  CDC copy;
  copy.CreateCompatibleDC(&screen);
  CBitmap copied;
  copied.CreateCompatibleBitmap(&screen, 4, 3);
  CBitmap* oldCopied = copy.SelectObject(&copied);
  copy.SetStretchBltMode(COLORONCOLOR);
  EXPECT_TRUE(copy.StretchBlt(0, 0, 4, 3, &screen, 0, 0, 4, 3, SRCCOPY));
  EXPECT_TRUE(copy.BitBlt(0, 0, 1, 1, &screen, 1, 1, SRCCOPY));
  EXPECT_EQ(gdi_test::Art(BitmapPixels(copied)), (Rows{"GRRR", "RGGR", "RRRR"}));
  copy.SelectObject(oldCopied);
  screen.SelectObject(old);
  RECT box;
  EXPECT_EQ(screen.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(screen.GetDeviceCaps(BITSPIXEL), 32);
}

TEST(CDC, AttachDetachAndFromHandle) {
  HDC raw = CreateCompatibleDC(nullptr);
  {
    CDC* temporary = CDC::FromHandle(raw);
    EXPECT_EQ(temporary->GetSafeHdc(), raw);
    CDC attached;
    attached.Attach(raw);
    EXPECT_EQ(CDC::FromHandle(raw), &attached);
    EXPECT_EQ(attached.Detach(), raw);
  }
  EXPECT_TRUE(DeleteDC(raw));  // neither wrapper deleted it
  EXPECT_EQ(CDC::FromHandle(nullptr), nullptr);
}

TEST(CGdiObject, WrappersOwnTheirHandleUntilDetached) {
  const int before = GdiLiveObjectCount();
  HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
  {
    CBrush* temporary = CBrush::FromHandle(raw);  // a temporary wrapper never deletes
    EXPECT_EQ(temporary->GetSafeHandle(), raw);
  }
  {
    CBrush owner;
    owner.Attach(raw);
    EXPECT_EQ(CBrush::FromHandle(raw), &owner);
    EXPECT_EQ(owner.Detach(), raw);
  }
  EXPECT_EQ(GdiLiveObjectCount(), before + 1);
  {
    CBrush owner;
    owner.Attach(raw);
  }  // deleted with its owner
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

TEST(CGdiObject, DeletingTheHandleDirectlyLeavesTheWrapperEmpty) {
  CPen pen(PS_DASH, 1, RGB(0, 0, 0));
  HGDIOBJ handle = pen.GetSafeHandle();
  EXPECT_TRUE(DeleteObject(handle));
  EXPECT_EQ(pen.GetSafeHandle(), nullptr);
  EXPECT_FALSE(pen.DeleteObject());
}

TEST(CBitmap, ConvertsToItsHandleForTheHandleFunctions) {
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(nullptr, 2, 1);
  BITMAP info;
  EXPECT_EQ(bitmap.GetBitmap(&info), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(info.bmWidth, 2);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP old = SelectObject(dc, bitmap);  // the typed overload, through operator HBITMAP
  EXPECT_EQ(old, StockBitmap());
  EXPECT_EQ(CBitmap::FromHandle(SelectObject(dc, old)), &bitmap);
  DeleteDC(dc);
}

TEST(CFont, CreatesAFontWithTheRequest) {
  CFont font;
  ASSERT_TRUE(font.CreateFontW(16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
  EXPECT_EQ(static_cast<HFONT>(font)->request.weight, FW_BOLD);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CFont* old = dc.SelectObject(&font);
  EXPECT_EQ(old->GetSafeHandle(), GetStockObject(SYSTEM_FONT));
  dc.SelectObject(old);
  CGdiObject* stock = dc.SelectStockObject(NULL_BRUSH);
  EXPECT_EQ(stock->GetSafeHandle(), GetStockObject(WHITE_BRUSH));
}

}  // namespace
