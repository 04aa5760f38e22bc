// Frames of the view case: outside the plain strip (another mode, or zoomed) only the current
// picture is drawn, centred, its source rectangle taken from the view position.
#include <gtest/gtest.h>

#include "tests/support/frame_rig.h"

using frame_test::FrameRig;
using frame_test::Shot;

namespace {

constexpr int kW = 1280;
constexpr int kH = 800;
constexpr Pixel kBlack = 0x000000;
constexpr Pixel kEdge = 0xE0E040;  // the first 30 columns of picture 0
constexpr Pixel kA = 0x2896DC;
constexpr Pixel kB = 0xC86425;

void WriteAlbum() {
  frame_test::WritePatternBitmap(FrameRig::Picture(0, 0), 480, 400, [](int x, int) { return x < 30 ? kEdge : kA; });
  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 1), 480, 400, kB);
}

}  // namespace

// In Fixed mode the strip offset only picks the current picture: it does not slide.
TEST(FrameView, OutsideTheNormalModeThePictureDoesNotSlide) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_mode = kModeFixed;
  rig.dlg.m_strip_offset = -kW / 4;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 0);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kBlack));
  EXPECT_TRUE(shot.All(160, 70, 220, kH, kEdge));
  EXPECT_TRUE(shot.All(220, 70, 1120, kH, kA));
  EXPECT_TRUE(shot.All(1120, 70, kW, kH, kBlack));

  // Past the half-way point the right slot's picture is current and drawn alone, centred.
  rig.dlg.m_strip_offset = -kW / 2 - 10;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 1);
  shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kBlack));
  EXPECT_TRUE(shot.All(160, 70, 1120, kH, kB));
  EXPECT_TRUE(shot.All(1120, 70, kW, kH, kBlack));
}

// A pan of (10, 0) moves the source rectangle 30 pixels right: the first 30 columns leave the
// screen, and the last 60 screen columns map outside the bitmap and stay black.
TEST(FrameView, TheViewPositionShiftsTheSourceAndLeavesWhatLiesOutsideItBlack) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_mode = kModeFixed;
  rig.dlg.m_pan_table.Set(0, 0, PanOffset{10, 0});
  rig.Render();
  EXPECT_EQ(rig.dlg.m_view_left_x, 30);
  EXPECT_EQ(rig.dlg.m_view_left_y, 0);
  Shot shot = rig.Read();
  EXPECT_EQ(shot.Count(0, 70, kW, kH, kEdge), 0);
  EXPECT_TRUE(shot.All(160, 70, 1060, kH, kA));
  EXPECT_TRUE(shot.All(1060, 70, kW, kH, kBlack));
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kBlack));
}

// Zooming in (mode 0) steps the zoom by 0.1 a frame: the first frame draws the picture 1.1
// times the screen height, about 1056 x 880 from x = 112, y = -40.
TEST(FrameView, ZoomingInEnlargesTheCurrentPictureAboutTheCentre) {
  FrameRig rig(kW, kH);
  WriteAlbum();
  rig.Start();
  rig.dlg.m_zoom_in = 1;
  rig.dlg.m_slot = kSlotLeft;
  rig.Render();
  EXPECT_FLOAT_EQ(rig.dlg.m_zoom, 1.1f);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 110, kH, kBlack));
  EXPECT_TRUE(shot.All(114, 70, 176, kH, kEdge));
  EXPECT_TRUE(shot.All(180, 70, 1166, kH, kA));
  EXPECT_TRUE(shot.All(1170, 70, kW, kH, kBlack));
  EXPECT_EQ(shot.At(640, kH - 1), kA);

  // The zoom stops at the picture's zoom target (2.0 by default; float steps may pass it once).
  for (int i = 0; i < 20; ++i) rig.Render();
  EXPECT_GE(rig.dlg.m_zoom, 1.95f);
  EXPECT_LT(rig.dlg.m_zoom, 2.15f);
  shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, kW, kH, kA));
}
