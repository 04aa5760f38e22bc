// Frames of the picture strip: scale to the screen height, centring, the neighbour slot, the
// last picture, brightness and unreadable picture files, read back from the window's pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/kernel/event.h"
#include "tests/support/frame_rig.h"

using frame_test::FrameRig;
using frame_test::OverBlack;
using frame_test::Shot;

namespace {

constexpr int kW = 1280;
constexpr int kH = 800;
constexpr Pixel kBlack = 0x000000;
constexpr Pixel kOverlay = 0xFFC800;  // RGB(255, 200, 0)
constexpr Pixel kA = 0x2896DC;
constexpr Pixel kB = 0xC86425;
constexpr Pixel kC = 0x30D050;
// A row below the text overlays and away from the marker.
constexpr int kRow = 400;

}  // namespace

// A 480 x 400 picture fills the 800-pixel height at scale 2: 960 wide, from x = 160 to 1119.
TEST(FrameStrip, PictureIsScaledToTheScreenHeightAndCentred) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA}, 480, 400);
  rig.Start();
  rig.Render();
  EXPECT_FLOAT_EQ(rig.dlg.m_breath, 1.0f);
  Shot shot = rig.Read();
  for (int y : {70, kRow, kH - 1}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(shot.At(0, y), kBlack);
    EXPECT_EQ(shot.At(159, y), kBlack);
    EXPECT_EQ(shot.At(160, y), kA);
    EXPECT_EQ(shot.At(640, y), kA);
    EXPECT_EQ(shot.At(1119, y), kA);
    EXPECT_EQ(shot.At(1120, y), kBlack);
    EXPECT_EQ(shot.At(kW - 1, y), kBlack);
  }
  // Top and bottom rows belong to the picture (no vertical margin).
  EXPECT_EQ(shot.At(800, 0), kA);
  EXPECT_EQ(shot.At(800, kH - 1), kA);
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kBlack));
  EXPECT_TRUE(shot.All(1120, 0, kW, kH, kBlack));
  EXPECT_TRUE(shot.All(160, 70, 1120, kH, kA));
}

TEST(FrameStrip, AWidePictureOverflowsBothEdgesAndBreathingEnlargesIt) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA}, 600, 200);  // scale 4: 2400 wide, from x = -560
  FrameRig::SolidFolder(1, {kB}, 400, 400);
  rig.Start();
  rig.Render();
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, kW, kH, kA));

  // Breathing at 1.1 (1.095f + 0.005): an 800 x 800 picture is drawn about 880 x 880, from about
  // x = 200 and y = -40 (float rounding may move an edge by a pixel).
  rig.dlg.m_folder = 1;
  rig.hold_breath = false;
  rig.dlg.m_breath = 1.095f;
  rig.dlg.m_breath_up = 1;
  rig.Render();
  EXPECT_NEAR(rig.dlg.m_breath, 1.1f, 1e-6);
  shot = rig.Read();
  EXPECT_EQ(shot.At(197, kRow), kBlack);
  EXPECT_EQ(shot.At(202, kRow), kB);
  EXPECT_EQ(shot.At(1077, kRow), kB);
  EXPECT_EQ(shot.At(1082, kRow), kBlack);
  EXPECT_EQ(shot.At(640, kH - 1), kB);
}

// As the strip offset falls the next picture enters from the left: R = -W/4 puts picture 1 at
// 160 - 960 = -800 (visible to x = 159) and picture 0 at 160 + 320 = 480.
TEST(FrameStrip, NeighbourEntersFromTheLeftAsTheOffsetFalls) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA, kB, kC}, 480, 400);
  rig.Start();
  rig.Render();
  ASSERT_EQ(WaitForSingleObject(rig.dlg.m_evt_picture_changed, 0), WAIT_TIMEOUT);

  rig.dlg.m_strip_offset = -kW / 4;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture_count, 3);
  EXPECT_EQ(rig.dlg.m_left_index, 0);
  EXPECT_EQ(rig.dlg.m_picture, 0);
  EXPECT_EQ(rig.dlg.m_neighbour_step, 1);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kB));
  EXPECT_TRUE(shot.All(160, 70, 480, kH, kBlack));
  EXPECT_TRUE(shot.All(480, 70, kW, kH, kA));
  EXPECT_EQ(WaitForSingleObject(rig.dlg.m_evt_picture_changed, 0), WAIT_TIMEOUT);

  // Past the half-way point picture 1 becomes current and the change is signalled.
  rig.dlg.m_strip_offset = -(kW / 2 + 1);
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture, 1);
  EXPECT_EQ(rig.dlg.m_left_index, 0);
  EXPECT_EQ(WaitForSingleObject(rig.dlg.m_evt_picture_changed, 0), WAIT_OBJECT_0);
  shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 481, kH, kB));
  EXPECT_TRUE(shot.All(481, 70, 801, kH, kBlack));
  EXPECT_TRUE(shot.All(801, 70, kW, kH, kA));
}

TEST(FrameStrip, LastPictureIsShownOnceAndNothingOfTheLastFrameRemains) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA, kB, kC}, 480, 400);
  rig.Start();

  rig.dlg.m_strip_offset = -2 * kW;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_left_index, 2);
  EXPECT_EQ(rig.dlg.m_picture, 2);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 160, kH, kBlack));
  EXPECT_TRUE(shot.All(160, 70, 1120, kH, kC));
  EXPECT_TRUE(shot.All(1120, 70, kW, kH, kBlack));

  // Pushed a quarter past the last picture: it moves right, and its repeat in the right slot
  // (which would reach x = 159) is not drawn.
  rig.dlg.m_strip_offset = -2 * kW - kW / 4;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_left_index, 2);
  shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 480, kH, kBlack));
  EXPECT_TRUE(shot.All(480, 70, kW, kH, kC));
}

// Pushed back before the first picture (R > 0) the neighbour step is -1 and the right slot,
// picture |0 - 1| = 1, is not drawn: picture 0 moves left and the right part stays black.
TEST(FrameStrip, StripPushedBeforeTheFirstPictureShowsNoNeighbour) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA, kB}, 480, 400);
  rig.Start();
  rig.dlg.m_strip_offset = kW / 4;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_neighbour_step, -1);
  EXPECT_EQ(rig.dlg.m_picture, 0);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 800, kH, kA));
  EXPECT_TRUE(shot.All(800, 70, kW, kH, kBlack));
}

// The picture layer is blended over black at the brightness: (c * a + 127) / 255 per channel;
// only the low 8 bits of the brightness count. The overlays are drawn after it, at full colour.
TEST(FrameStrip, BrightnessScalesEveryChannelWithRounding) {
  FrameRig rig(kW, kH);
  constexpr Pixel kColor = 0xC86425;  // 200, 100, 37
  FrameRig::SolidFolder(0, {kColor}, 480, 400);
  rig.Start();
  struct Case {
    int brightness;
    Pixel expected;
  };
  const Case cases[] = {{0, 0x000000},        {1, 0x010000},   {128, 0x643213}, {254, 0xC76425},
                        {255, kColor},        {0x180, 0x643213}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.brightness);
    EXPECT_EQ(OverBlack(kColor, c.brightness & 0xFF), c.expected);
    rig.dlg.m_brightness = c.brightness;
    rig.Render();
    Shot shot = rig.Read();
    EXPECT_EQ(shot.At(160, kRow), c.expected);
    EXPECT_EQ(shot.At(1119, kH - 1), c.expected);
    EXPECT_EQ(shot.At(159, kRow), kBlack);
    EXPECT_GT(shot.Count(0, 0, 60, 30, kOverlay), 0);
  }
  // Each channel on its own, over a range of values.
  for (Pixel color : {Pixel{0xFF0000}, Pixel{0x00FF00}, Pixel{0x0000FF}, Pixel{0x7F8081}, Pixel{0x010203}}) {
    frame_test::WriteSolidBitmap(FrameRig::Picture(0, 0), 480, 400, color);
    for (int alpha : {0, 1, 127, 128, 254, 255}) {
      rig.dlg.m_brightness = alpha;
      rig.Render();
      EXPECT_EQ(rig.Read().At(640, kRow), OverBlack(color, alpha)) << std::hex << color << " at " << std::dec << alpha;
    }
  }
}

// Unreadable picture files leave their slot black; the frame and its overlays go on.
TEST(FrameStrip, CorruptPictureFilesLeaveTheirSlotBlack) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA}, 480, 400);
  std::vector<std::uint8_t> valid = frame_test::SolidBitmapBytes(480, 400, kB);
  // 1: truncated in the middle of the pixels.
  frame_test::WriteBytes(FrameRig::Picture(0, 1), std::vector<std::uint8_t>(valid.begin(), valid.begin() + 54 + 1000));
  // 2: garbage.
  std::vector<std::uint8_t> garbage(5000);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 131 + 7);
  frame_test::WriteBytes(FrameRig::Picture(0, 2), garbage);
  // 3: an absurd size in an otherwise valid header.
  std::vector<std::uint8_t> absurd = valid;
  for (std::size_t at : {std::size_t{18}, std::size_t{22}}) {
    absurd[at] = 0xFF;
    absurd[at + 1] = 0xFF;
    absurd[at + 2] = 0xFF;
    absurd[at + 3] = 0x7F;
  }
  frame_test::WriteBytes(FrameRig::Picture(0, 3), absurd);
  // 4: empty.
  frame_test::WriteBytes(FrameRig::Picture(0, 4), {});
  // 5: pixel data said to start past the end of the file.
  std::vector<std::uint8_t> far = valid;
  far[10] = 0xF0;
  far[11] = 0xFF;
  far[12] = 0xFF;
  far[13] = 0x0F;
  frame_test::WriteBytes(FrameRig::Picture(0, 5), far);
  // 6: negative width.
  std::vector<std::uint8_t> negative = valid;
  negative[18] = 0x20;
  negative[19] = 0xFE;
  negative[20] = 0xFF;
  negative[21] = 0xFF;
  frame_test::WriteBytes(FrameRig::Picture(0, 6), negative);
  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 7), 480, 400, kC);
  rig.Start();

  for (int p = 1; p <= 6; ++p) {
    SCOPED_TRACE(p);
    rig.dlg.m_strip_offset = -p * kW;
    rig.Render();
    EXPECT_EQ(rig.dlg.m_picture, p);
    EXPECT_EQ(rig.dlg.m_picture_count, 8);
    Shot shot = rig.Read();
    EXPECT_TRUE(shot.All(0, 70, kW, kH, kBlack));
    EXPECT_GT(shot.Count(0, 0, 60, 30, kOverlay), 0);
  }
  // A readable neighbour beside a corrupt picture is drawn; the corrupt slot stays black.
  rig.dlg.m_strip_offset = -kW / 4;
  rig.Render();
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, 480, kH, kBlack));
  EXPECT_TRUE(shot.All(480, 70, kW, kH, kA));
  rig.dlg.m_strip_offset = -7 * kW;
  rig.Render();
  EXPECT_TRUE(rig.Read().All(160, 70, 1120, kH, kC));
}

// A picture changed on disk shows on the next frame.
TEST(FrameStrip, APictureRewrittenOnDiskShowsOnTheNextFrame) {
  FrameRig rig(kW, kH);
  FrameRig::SolidFolder(0, {kA}, 480, 400);
  rig.Start();
  rig.Render();
  EXPECT_EQ(rig.Read().At(640, kRow), kA);
  frame_test::WriteSolidBitmap(FrameRig::Picture(0, 0), 240, 200, kB);
  rig.Render();
  Shot shot = rig.Read();
  EXPECT_EQ(shot.At(160, kRow), kB);
  EXPECT_EQ(shot.At(159, kRow), kBlack);
}

// With no picture at all the frame shows black and the overlays.
TEST(FrameStrip, AnEmptyFolderShowsOnlyTheOverlays) {
  FrameRig rig(kW, kH);
  frame_test::WriteSolidBitmap("album/1/0.bmp", 4, 4, kA);
  std::filesystem::create_directories("album/0");
  rig.Start();
  rig.dlg.m_folder_count = 2;
  rig.Render();
  EXPECT_EQ(rig.dlg.m_picture_count, 0);
  Shot shot = rig.Read();
  EXPECT_TRUE(shot.All(0, 70, kW, kH, kBlack));
  EXPECT_GT(shot.Count(0, 0, 60, 30, kOverlay), 0);
}
