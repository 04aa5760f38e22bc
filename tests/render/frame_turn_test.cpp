// Frames of turned pictures: the angle table turns the picture in view, the turned bitmaps of
// the two slots in view are cached, and a folder change empties the cache.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/kernel/event.h"
#include "tests/support/frame_rig.h"

using frame_test::FrameRig;
using frame_test::Shot;

namespace {

constexpr int kW = 1280;
constexpr int kH = 800;
constexpr Pixel kBlack = 0x000000;
constexpr Pixel kLeftHalf = 0xD02010;
constexpr Pixel kRightHalf = 0x10C040;
constexpr Pixel kA = 0x2896DC;
constexpr Pixel kB = 0xC86425;

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  return {info.bmWidth, info.bmHeight};
}

HBITMAP Cached(const FrameRig& rig, WORD key) {
  HBITMAP found = nullptr;
  return rig.dlg.m_renderer.Cache().Lookup(key, found) ? found : nullptr;
}

// Folder 0: picture 0 is 480 x 400, its left half red, its right half green; pictures 1 and 2 solid.
// Folder 1: one solid picture.
void WriteAlbum() {
  frame_test::WritePatternBitmap(FrameRig::Picture(0, 0), 480, 400,
                                 [](int x, int) { return x < 240 ? kLeftHalf : kRightHalf; });
  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 1), 480, 400, kA);
  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 2), 480, 400, kB);
  frame_test::WriteSolidBitmap(FrameRig::Picture(1, 0), 480, 400, kB);
}

}  // namespace

// Turned by 90 degrees the 480 x 400 picture becomes a 400 x 480 bitmap, drawn about 667 x 800
// from x = 306; black where the unturned picture would reach beside it.
TEST(FrameTurn, NinetyDegreesSwapsWidthAndHeight) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 0, 90);
  rig.Render();

  ASSERT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
  HBITMAP turned = Cached(rig, 0);
  ASSERT_NE(turned, nullptr);
  SIZE size = SizeOf(turned);
  EXPECT_EQ(size.cx, 400);
  EXPECT_EQ(size.cy, 480);

  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 303, kH, kBlack));
  EXPECT_TRUE(shot.All(976, 0, kW, kH, kBlack));
}

// The turned bitmap of any angle has the picture's own pixel format: 90 degrees counter-clockwise
// puts the right half on top and the left half below; at 45 degrees the box corners are black and
// the middle is the picture.
TEST(FrameTurn, TurnedPicturesKeepTheirColours) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 0, 90);
  rig.dlg.m_angle_table.Set(0, 1, 45);
  rig.Render();
  HBITMAP turned = Cached(rig, 0);
  ASSERT_NE(turned, nullptr);
  BITMAP info{};
  GetObjectW(turned, sizeof(info), &info);
  EXPECT_EQ(info.bmBitsPixel, 32);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(310, 80, 970, 390, kRightHalf));
  EXPECT_TRUE(shot.All(310, 410, 970, kH, kLeftHalf));
  EXPECT_TRUE(shot.All(0, 70, 303, kH, kBlack));
  EXPECT_TRUE(shot.All(976, 0, kW, kH, kBlack));

  rig.dlg.m_strip_offset = -kW;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 1);
  turned = Cached(rig, 1);
  ASSERT_NE(turned, nullptr);
  SIZE size = SizeOf(turned);
  PixelBuffer pixels = BitmapPixels(turned);
  EXPECT_EQ(pixels.Row(2)[2] & 0xFFFFFF, kBlack);
  EXPECT_EQ(pixels.Row(2)[size.cx - 3] & 0xFFFFFF, kBlack);
  EXPECT_EQ(pixels.Row(size.cy - 3)[2] & 0xFFFFFF, kBlack);
  EXPECT_EQ(pixels.Row(size.cy - 3)[size.cx - 3] & 0xFFFFFF, kBlack);
  EXPECT_EQ(pixels.Row(size.cy / 2)[size.cx / 2] & 0xFFFFFF, kA);
  // On screen the box is about 800 x 800 from x = 240: its corners black, its middle the picture.
  shot = rig.Read();
  EXPECT_TRUE(shot.All(250, 80, 300, 130, kBlack));
  EXPECT_TRUE(shot.All(980, 80, 1030, 130, kBlack));
  EXPECT_TRUE(shot.All(250, 740, 300, 790, kBlack));
  EXPECT_TRUE(shot.All(980, 740, 1030, 790, kBlack));
  EXPECT_TRUE(shot.All(540, 300, 740, 500, kA));

  // Between the two, both turned by 90 degrees: picture 0 on the right (from 306 + 320),
  // picture 1 on the left (from 306 + 320 - 1280 = -654 to about 12).
  rig.dlg.m_angle_table.Set(0, 1, 90);
  rig.dlg.m_strip_offset = -kW / 4;
  rig.dlg.m_cache_flush_request = 1;
  rig.Render();
  shot = rig.Read();
  EXPECT_EQ(shot.At(3, 400), kA);
  EXPECT_EQ(shot.At(40, 400), kBlack);
  EXPECT_EQ(shot.At(620, 400), kBlack);
  EXPECT_EQ(shot.At(700, 200), kRightHalf);
  EXPECT_EQ(shot.At(700, 600), kLeftHalf);
}

// At 45 degrees the 480 x 400 picture's box is about 622 x 622.
TEST(FrameTurn, FortyFiveDegreesSizesTheBoxToTheTurnedPicture) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 1, 45);
  rig.dlg.m_strip_offset = -kW;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 1);
  EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
  HBITMAP turned = Cached(rig, 1);
  ASSERT_NE(turned, nullptr);
  SIZE size = SizeOf(turned);
  EXPECT_NEAR(size.cx, 622, 1);
  EXPECT_NEAR(size.cy, 622, 1);
  // Drawn about 800 x 800 from x = 240: black outside it.
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 236, kH, kBlack));
  EXPECT_TRUE(shot.All(1044, 0, kW, kH, kBlack));
}

TEST(FrameTurn, TheCacheHoldsTheFolderInViewAndIsFlushedOnAFolderChange) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 0, 90);
  rig.Render();
  ASSERT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
  HBITMAP first = Cached(rig, 0);

  // Later frames draw the cached bitmap; nothing is turned again.
  rig.Render();
  rig.Render();
  EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
  EXPECT_EQ(Cached(rig, 0), first);
  EXPECT_EQ(rig.dlg.m_renderer.CachedFolder(), 0);

  // A rotation request turns the picture in view again and replaces its entry, deleting the old one.
  const int live = GdiLiveObjectCount();
  rig.dlg.m_rotating = 1;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_rotating, 0);
  EXPECT_EQ(rig.dlg.m_angle, 90);
  EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
  EXPECT_EQ(SizeOf(Cached(rig, 0)).cx, 400);
  EXPECT_EQ(GdiLiveObjectCount(), live);

  // The wheel's folder step: the cache is emptied (its bitmap deleted) and folder 1 is drawn unturned.
  rig.dlg.m_wheel_folder_step = 1;
  rig.dlg.m_wheel_up = 1;
  SetEvent(rig.dlg.m_evt_folder_step);
  rig.DriverStep();
  EXPECT_EQ(rig.dlg.m_folder, 1);
  EXPECT_EQ(rig.dlg.m_renderer.CachedFolder(), 1);
  EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 0);
  Shot shot = rig.Read();  // the big folder number covers the middle rows
  EXPECT_TRUE(shot.All(160, 80, 1120, 300, kB));
  EXPECT_TRUE(shot.All(160, 500, 1120, kH, kB));
  EXPECT_EQ(shot.At(159, 400), kBlack);

  // Back in folder 0 the picture is turned again on first view.
  rig.dlg.m_wheel_folder_step = 1;
  rig.dlg.m_wheel_up = 0;
  SetEvent(rig.dlg.m_evt_folder_step);
  rig.DriverStep();
  EXPECT_EQ(rig.dlg.m_folder, 0);
  EXPECT_EQ(rig.dlg.m_renderer.CachedFolder(), 0);
  ASSERT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
  EXPECT_EQ(SizeOf(Cached(rig, 0)).cy, 480);
  EXPECT_TRUE(rig.Read().All(0, 70, 303, kH, kBlack));

  // A flush request from the window's thread empties the cache too; the picture is turned anew.
  rig.dlg.m_cache_flush_request = 1;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_cache_flush_request, 0);
  EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 1);
}

// The wheel with the right button held, 37 times one way: the picture shows 370 degrees, which is
// 10, and the table holds 10; 74 times back leaves it at -10 (a full turn is no turn).
TEST(FrameTurn, TurnsPastAFullCircleStayWithinOneTurnInTheTable) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_menu_shown = 1;
  auto turn = [&](int times, bool forward) {
    for (int i = 0; i < times; ++i) {
      rig.dlg.m_wheel_up = forward ? 1 : 0;
      rig.dlg.m_rotating = 1;
      rig.Render();
      ASSERT_EQ(rig.dlg.m_rotating, 0);
    }
  };
  turn(36, true);
  EXPECT_EQ(rig.dlg.m_angle_table.Get(0, 0, -1), 0);
  turn(1, true);
  EXPECT_EQ(rig.dlg.m_angle_table.Get(0, 0, -1), 10);
  EXPECT_EQ(rig.dlg.m_angle, 10);
  turn(74, false);
  EXPECT_EQ(rig.dlg.m_angle_table.Get(0, 0, -1), -10);
  EXPECT_EQ(rig.dlg.m_angle, -10);
}

// Between two pictures both slots may be turned: each is cached under its own picture number.
TEST(FrameTurn, BothSlotsAreTurnedWhenBothAreInView) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 0, 90);
  rig.dlg.m_angle_table.Set(0, 1, 180);
  rig.dlg.m_strip_offset = -kW / 4;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 2);
  EXPECT_EQ(SizeOf(Cached(rig, 0)).cx, 400);
  SIZE size = SizeOf(Cached(rig, 1));
  EXPECT_EQ(size.cx, 480);
  EXPECT_EQ(size.cy, 400);
}

// A recorded picture in playback (zoom 1, playback point 0, 0) is drawn from its playback bitmap,
// which copies the picture unchanged.
TEST(FrameTurn, ARecordedPictureInPlaybackLooksLikeThePicture) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_recorded_table.Set(0, 1, 1);
  rig.dlg.m_playback = 1;
  rig.dlg.m_play_zoom = 1.0f;
  rig.dlg.m_strip_offset = -kW;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 1);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(160, 70, 1120, kH, kA));
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kBlack));
}

// Sliding along a folder of three turned pictures keeps the turned bitmaps of the two slots in
// view only: a picture that left the view is turned again when it comes back.
TEST(FrameTurn, TheCacheHoldsTheTwoSlotsInViewOnly) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  for (int picture = 0; picture < 3; ++picture) rig.dlg.m_angle_table.Set(0, picture, 90);
  for (int slot = 0; slot < 3; ++slot) {
    rig.dlg.m_strip_offset = -(slot * kW + kW / 3);  // slot and slot + 1 in view
    rig.Render();
    EXPECT_LE(rig.dlg.m_renderer.Cache().GetCount(), 2) << "slot " << slot;
    EXPECT_NE(Cached(rig, static_cast<WORD>(rig.dlg.m_left_index)), nullptr) << "slot " << slot;
  }
  rig.dlg.m_strip_offset = -(2 * kW + kW / 3);
  rig.Render();
  EXPECT_EQ(Cached(rig, 0), nullptr);
}

// The renderer keeps only the files of the frame in view: a turned picture whose file left that
// cache while another picture was shown is read and turned again from the new file bitmap when
// it comes back, and a rotation request then turns that same bitmap, not one deleted before.
TEST(FrameTurn, APictureBackInViewIsTurnedFromItsFileReadAgain) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 0, 90);
  rig.Render();
  ASSERT_NE(Cached(rig, 0), nullptr);

  // Picture 2 alone in view for two frames: picture 0's file and turned bitmaps are let go.
  rig.dlg.m_strip_offset = -2 * kW;
  rig.Render();
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 2);
  EXPECT_EQ(Cached(rig, 0), nullptr);
  EXPECT_TRUE(rig.Read().All(160, 80, 1120, 300, kB));

  rig.dlg.m_strip_offset = 0;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 0);
  ASSERT_NE(Cached(rig, 0), nullptr);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(310, 80, 970, 390, kRightHalf));
  EXPECT_TRUE(shot.All(310, 410, 970, kH, kLeftHalf));

  // A rotation request on the next frame turns the file bitmap read for this view.
  rig.dlg.m_rotating = 1;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_rotating, 0);
  EXPECT_EQ(SizeOf(Cached(rig, 0)).cy, 480);
  shot = rig.Read();
  EXPECT_TRUE(shot.All(310, 80, 970, 390, kRightHalf));
  EXPECT_TRUE(shot.All(310, 410, 970, kH, kLeftHalf));
}
