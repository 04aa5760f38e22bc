// The off-screen buffer (CMemDC) and the transparent sprite, on memory DCs.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "render/mem_dc.h"
#include "render/transformed_blit.h"
#include "tests/platform/gdi/gdi_test_support.h"

using gdi_test::Canvas;
using gdi_test::Rows;

namespace {

constexpr Pixel kNearBlack = 0x010101;

}  // namespace

// Only the area is copied to the target when the buffer ends, and only then; the buffer
// starts in the target's background colour, and its logical coordinates are the target's.
TEST(FrameMemDC, CopiesExactlyItsAreaWhenItEnds) {
  Canvas target(Rows(6, std::string(12, 'C')));
  SetBkColor(target.dc(), RGB(255, 0, 0));
  const int live = GdiLiveObjectCount();
  {
    RECT area{3, 1, 9, 5};
    CMemDC buffer(target.dc(), &area);
    EXPECT_EQ(buffer.Area().left, 3);
    FillSolidRect(buffer, 5, 2, 2, 2, RGB(0, 255, 0));
    FillSolidRect(buffer, 0, 4, 12, 2, RGB(0, 0, 255));  // reaches outside the area
    EXPECT_EQ(target.Art(), Rows(6, std::string(12, 'C')));  // nothing shows before the end
  }
  EXPECT_EQ(target.Art(), (Rows{
                              "CCCCCCCCCCCC",
                              "CCCRRRRRRCCC",
                              "CCCRRGGRRCCC",
                              "CCCRRGGRRCCC",
                              "CCCBBBBBBCCC",
                              "CCCCCCCCCCCC",
                          }));
  EXPECT_EQ(GdiLiveObjectCount(), live);
}

TEST(FrameMemDC, WithoutAnAreaCoversTheTargetsClipBox) {
  Canvas target(Rows(3, std::string(5, 'C')));
  SetBkColor(target.dc(), RGB(255, 255, 0));
  {
    CMemDC buffer(target.dc(), nullptr);
    FillSolidRect(buffer, 1, 1, 1, 1, RGB(255, 0, 255));
  }
  EXPECT_EQ(target.Art(), (Rows{"YYYYY", "YMYYY", "YYYYY"}));
}

// A kept bitmap of the area's size is drawn into and left alive; covered by the caller it is
// not filled first. A kept bitmap of another size is not used.
TEST(FrameMemDC, UsesAKeptBufferOfTheAreasSizeWithoutFillingIt) {
  Canvas target(Rows(4, std::string(8, 'C')));
  SetBkColor(target.dc(), RGB(255, 0, 0));
  HBITMAP kept = CreateCompatibleBitmap(nullptr, 4, 2);
  gdi_test::Paint(BitmapPixels(kept), {"GGBB", "YYMM"});
  const int live = GdiLiveObjectCount();
  {
    RECT area{2, 1, 6, 3};
    CMemDC buffer(target.dc(), &area, kept, CMemDC::Start::kCoveredByCaller);
    EXPECT_EQ(buffer.Buffer(), kept);
    EXPECT_EQ(GetBkColor(buffer), RGB(255, 0, 0));
  }
  EXPECT_EQ(target.Art(), (Rows{"CCCCCCCC", "CCGGBBCC", "CCYYMMCC", "CCCCCCCC"}));
  EXPECT_EQ(GdiLiveObjectCount(), live);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(kept)), (Rows{"GGBB", "YYMM"}));

  {
    RECT area{0, 0, 3, 3};
    CMemDC buffer(target.dc(), &area, kept);
    EXPECT_NE(buffer.Buffer(), kept);
  }
  EXPECT_EQ(target.Art(), (Rows{"RRRCCCCC", "RRRGBBCC", "RRRYMMCC", "CCCCCCCC"}));
  EXPECT_EQ(GdiLiveObjectCount(), live);
  DeleteObject(kept);
}

// Pure black sprite pixels leave the target as it was; every other colour, (1, 1, 1) too, is drawn.
TEST(FrameSprite, PureBlackIsTransparentAndEverythingElseIsDrawn) {
  Canvas image({"R..G", ".#..", "B..."});
  BitmapPixels(image.bitmap()).Row(1)[2] = kNearBlack;
  BitmapPixels(image.bitmap()).Row(2)[3] = kNearBlack;
  Canvas target(Rows(5, std::string(8, 'C')));
  const int live = GdiLiveObjectCount();

  HDC mask_dc = CreateCompatibleDC(image.dc());
  HBITMAP previous = MakeSpriteMask(image.dc(), mask_dc, 4, 3);
  EXPECT_EQ(gdi_test::Art(BitmapPixels(static_cast<HBITMAP>(GetCurrentObject(mask_dc, OBJ_BITMAP)))),
            (Rows{".##.", "#..#", ".##."}));
  DrawSprite(target.dc(), 2, 1, 4, 3, mask_dc, image.dc(), 4, 3);
  DeleteObject(SelectObject(mask_dc, previous));
  DeleteDC(mask_dc);
  EXPECT_EQ(GdiLiveObjectCount(), live);

  const PixelBuffer out = target.pixels();
  EXPECT_EQ(target.Art()[0], "CCCCCCCC");
  EXPECT_EQ(out.Row(1)[2], 0xFF0000u);
  EXPECT_EQ(out.Row(1)[3], 0x00FFFFu);
  EXPECT_EQ(out.Row(1)[4], 0x00FFFFu);
  EXPECT_EQ(out.Row(1)[5], 0x00FF00u);
  EXPECT_EQ(out.Row(2)[2], 0x00FFFFu);
  EXPECT_EQ(out.Row(2)[3], 0xFFFFFFu);
  EXPECT_EQ(out.Row(2)[4], kNearBlack);
  EXPECT_EQ(out.Row(2)[5], 0x00FFFFu);
  EXPECT_EQ(out.Row(3)[2], 0x0000FFu);
  EXPECT_EQ(out.Row(3)[5], kNearBlack);
  EXPECT_EQ(target.Art()[4], "CCCCCCCC");
  EXPECT_EQ(out.Row(3)[0], 0x00FFFFu);
  EXPECT_EQ(out.Row(3)[7], 0x00FFFFu);
}

// Stretched to twice its size the sprite keeps black transparent, pixel for pixel.
TEST(FrameSprite, StretchedSpriteKeepsItsTransparency) {
  Canvas image({"R.", ".G"});
  Canvas target(Rows(6, std::string(6, 'Y')));
  HDC mask_dc = CreateCompatibleDC(image.dc());
  HBITMAP previous = MakeSpriteMask(image.dc(), mask_dc, 2, 2);
  DrawSprite(target.dc(), 1, 1, 4, 4, mask_dc, image.dc(), 2, 2);
  DeleteObject(SelectObject(mask_dc, previous));
  DeleteDC(mask_dc);
  EXPECT_EQ(target.Art(), (Rows{
                              "YYYYYY",
                              "YRRYYY",
                              "YRRYYY",
                              "YYYGGY",
                              "YYYGGY",
                              "YYYYYY",
                          }));
}

// The marker the renderer bounces below the centre is all black: it never changes the frame.
TEST(FrameSprite, AnAllBlackSpriteChangesNothing) {
  Canvas image(Rows(3, std::string(4, '.')));
  Canvas target({"RGBY", "CM#1", "2345"});
  HDC mask_dc = CreateCompatibleDC(image.dc());
  HBITMAP previous = MakeSpriteMask(image.dc(), mask_dc, 4, 3);
  DrawSprite(target.dc(), 0, 0, 4, 3, mask_dc, image.dc(), 4, 3);
  DeleteObject(SelectObject(mask_dc, previous));
  DeleteDC(mask_dc);
  EXPECT_EQ(target.Art(), (Rows{"RGBY", "CM#1", "2345"}));
}
