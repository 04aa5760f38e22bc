#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/gdi.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::Rows;

BITMAP Info(HBITMAP bitmap) {
  BITMAP info;
  info.bmWidth = -1;
  GetObjectW(bitmap, sizeof(BITMAP), &info);
  return info;
}

TEST(Bitmaps, CompatibleBitmapIsThirtyTwoBitAndBlack) {
  Canvas screen(4, 4);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.dc(), 3, 2);
  ASSERT_NE(bitmap, nullptr);
  const BITMAP info = Info(bitmap);
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmPlanes, 1);
  EXPECT_EQ(info.bmWidthBytes, 12);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(bitmap)), (Rows{"...", "..."}));
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(Bitmaps, CompatibleWithAFreshMemoryDcIsMonochrome) {
  // A fresh memory DC holds the 1 x 1 monochrome stock bitmap, so a compatible bitmap is monochrome too.
  HDC fresh = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(fresh, 2, 2);
  EXPECT_EQ(Info(bitmap).bmBitsPixel, 1);
  DeleteObject(bitmap);
  DeleteDC(fresh);
  HBITMAP screenLike = CreateCompatibleBitmap(nullptr, 2, 2);
  EXPECT_EQ(Info(screenLike).bmBitsPixel, 32);
  DeleteObject(screenLike);
}

TEST(Bitmaps, DegenerateSizesAndHandlesAreSafe) {
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 0, 5);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Info(empty).bmWidth, 0);
  EXPECT_EQ(Info(empty).bmHeight, 0);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 1 << 20, 1 << 20), nullptr);
  EXPECT_EQ(CreateBitmap(-3, 2, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(3, 2, 1, 8, nullptr), nullptr);  // only 1 and 32 bits

  BITMAP info;
  info.bmWidth = 77;
  EXPECT_EQ(GetObjectW(nullptr, sizeof(BITMAP), &info), 0);
  EXPECT_EQ(info.bmWidth, 0);
  EXPECT_EQ(GetObjectW(empty, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(BitmapPixels(nullptr).width, 0);

  // Drawing into an empty bitmap does nothing.
  Canvas source(Rows{"R"});
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(empty));
  EXPECT_TRUE(BitBlt(dc, 0, 0, 5, 5, source.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(PatBlt(dc, 0, 0, 5, 5, WHITENESS));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(empty);
  EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(Bitmaps, MonochromeFromBitsWithTwoByteRows) {
  const BYTE bits[] = {0xA0, 0x00, 0x40, 0xFF};  // rows 101 / 010, each padded to two bytes
  HBITMAP mono = CreateBitmap(3, 2, 1, 1, bits);
  ASSERT_NE(mono, nullptr);
  EXPECT_EQ(Info(mono).bmBitsPixel, 1);
  EXPECT_EQ(Info(mono).bmWidthBytes, 2);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(mono)), (Rows{"#.#", ".#."}));
  DeleteObject(mono);
  HBITMAP blank = CreateBitmap(2, 1, 1, 1, nullptr);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(blank)), (Rows{".."}));
  DeleteObject(blank);
}

TEST(Bitmaps, FromPicture) {
  DecodedPicture picture{2, 1, {0xFF0000, 0xFF0000FF}};
  HBITMAP bitmap = CreateBitmapFromPicture(picture);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(bitmap)), (Rows{"RB"}));  // the unused top byte is cleared
  DeleteObject(bitmap);
  EXPECT_EQ(CreateBitmapFromPicture(DecodedPicture{2, 2, {1, 2, 3}}), nullptr);
  EXPECT_EQ(CreateBitmapFromPicture(DecodedPicture{}), nullptr);
}

class LoadImageTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = ::testing::TempDir() + "/quenmira_gdi_" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    m_paths.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const std::string& p : m_paths) std::remove(p.c_str());
  }
  // A 2 x 2 24-bit file: red green / blue white.
  static std::vector<std::uint8_t> TwoByTwo() {
    std::vector<std::uint8_t> b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0,
                                   2, 0, 0, 0, 1, 0, 24, 0};
    b.resize(54, 0);
    const std::uint8_t rows[] = {255, 0, 0, 255, 255, 255, 0, 0,   // bottom row: blue white
                                 0, 0, 255, 0, 255, 0, 0, 0};      // top row: red green
    b.insert(b.end(), std::begin(rows), std::end(rows));
    return b;
  }

 private:
  std::vector<std::string> m_paths;
};

TEST_F(LoadImageTest, LoadsAFile) {
  HBITMAP bitmap = LoadImageW(nullptr, Write("ok.bmp", TwoByTwo()), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Info(bitmap).bmBitsPixel, 32);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(bitmap)), (Rows{"RG", "B#"}));
  DeleteObject(bitmap);
}

TEST_F(LoadImageTest, RequestedSizeAndMonochrome) {
  const std::string path = Write("size.bmp", TwoByTwo());
  HBITMAP big = LoadImageW(nullptr, path, IMAGE_BITMAP, 4, 2, LR_LOADFROMFILE);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(big)), (Rows{"RRGG", "BB##"}));
  DeleteObject(big);
  HBITMAP mono = LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_MONOCHROME);
  EXPECT_EQ(Info(mono).bmBitsPixel, 1);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(mono)), (Rows{"..", ".#"}));
  DeleteObject(mono);
}

TEST_F(LoadImageTest, MissingTruncatedOrUnsupportedGiveNull) {
  EXPECT_EQ(LoadImageW(nullptr, "/nonexistent/quenmira.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  std::vector<std::uint8_t> cut = TwoByTwo();
  cut.resize(cut.size() - 1);
  EXPECT_EQ(LoadImageW(nullptr, Write("cut.bmp", cut), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, Write("ok2.bmp", TwoByTwo()), IMAGE_BITMAP, 0, 0, 0), nullptr);  // not from a file
  EXPECT_EQ(LoadImageW(nullptr, ::testing::TempDir(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);  // a folder
}

TEST(GdiObjects, LiveCountFollowsCreationAndDeletion) {
  const int before = GdiLiveObjectCount();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 2, 2);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HFONT font = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  EXPECT_EQ(GdiLiveObjectCount(), before + 5);
  GetStockObject(BLACK_BRUSH);  // stock objects are not counted
  EXPECT_EQ(GdiLiveObjectCount(), before + 5);
  DeleteObject(bitmap);
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteObject(font);
  DeleteDC(dc);
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

TEST(GdiObjects, DeletingASelectedObjectWaitsForItsDc) {
  const int before = GdiLiveObjectCount();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 2, 2);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  SelectObject(dc, bitmap);
  SelectObject(dc, pen);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(GdiLiveObjectCount(), before + 3);  // still drawn with
  EXPECT_TRUE(PatBlt(dc, 0, 0, 2, 2, WHITENESS));
  SelectObject(dc, GetStockObject(BLACK_PEN));  // the pen goes now
  EXPECT_EQ(GdiLiveObjectCount(), before + 2);
  DeleteDC(dc);  // and the bitmap with its DC
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

TEST(GdiObjects, StockObjectsSurviveDeletion) {
  HGDIOBJ brush = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), brush);
  EXPECT_EQ(GetStockObject(999), nullptr);
  for (int index :
       {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN, SYSTEM_FONT, DEFAULT_GUI_FONT}) {
    EXPECT_NE(GetStockObject(index), nullptr) << index;
  }
}

TEST(GdiObjects, ABitmapSitsInOneDcAtATime) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 1, 1);
  EXPECT_NE(SelectObject(a, bitmap), nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  SelectObject(a, CreateCompatibleBitmap(nullptr, 1, 1));  // a lets go of `bitmap`...
  EXPECT_NE(SelectObject(b, bitmap), nullptr);             // ...so b may take it
  DeleteObject(SelectObject(a, StockBitmap()));
  SelectObject(b, StockBitmap());
  DeleteObject(bitmap);
  DeleteDC(a);
  DeleteDC(b);
}

TEST(GdiObjects, ThreadsDrawWithTheirOwnObjectsConcurrently) {
  const int before = GdiLiveObjectCount();
  std::atomic<int> wrong{0};
  auto work = [&](COLORREF color) {
    for (int i = 0; i < 300; ++i) {
      HDC dc = CreateCompatibleDC(nullptr);
      HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 8, 8);
      HBRUSH brush = CreateSolidBrush(color);
      HGDIOBJ oldBitmap = SelectObject(dc, static_cast<HGDIOBJ>(bitmap));
      const RECT all{0, 0, 8, 8};
      FillRect(dc, &all, brush);
      SelectObject(dc, GetStockObject(NULL_BRUSH));  // stock objects are shared between the threads
      Rectangle(dc, 1, 1, 7, 7);
      if (BitmapPixels(bitmap).Row(4)[4] != PixelFromColor(color)) ++wrong;
      SelectObject(dc, oldBitmap);
      DeleteObject(bitmap);
      DeleteObject(brush);
      DeleteDC(dc);
    }
  };
  std::thread first(work, RGB(255, 0, 0));
  std::thread second(work, RGB(0, 0, 255));
  first.join();
  second.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

}  // namespace
