// A thousand frames leave no GDI object behind: the strip moving across turned pictures,
// rotation requests, brightness changes and folder steps, in a cycle that repeats every
// 30 frames, so equal phases must hold equal counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "render/picture_files.h"
#include "tests/support/frame_rig.h"

using frame_test::FrameRig;

namespace {

constexpr int kW = 320;
constexpr int kH = 200;
constexpr int kPeriod = 30;

// One frame of the cycle: folder 0 for 15 frames with the strip running across its three
// pictures, then folder 1 for 15 frames; the folder steps come through the driver.
void CycleFrame(FrameRig& rig, int frame) {
  const int phase = frame % kPeriod;
  if (phase == 0 || phase == 15) {
    rig.dlg.m_wheel_folder_step = 1;
    rig.dlg.m_wheel_up = phase == 15 ? 1 : 0;
    SetEvent(rig.dlg.m_evt_folder_step);
    rig.dlg.m_brightness_saved = 255;
  }
  rig.dlg.m_strip_offset = phase < 15 ? -phase * kW / 5 : -(phase - 15) * kW / 10;
  if (phase == 7 || phase == 22) rig.dlg.m_rotating = 1;
  rig.dlg.m_brightness = phase == 20 ? 100 : 255;
  rig.ticks.Advance(10);
  rig.DriverStep();
}

}  // namespace

TEST(FrameLeak, AThousandFramesHoldAsManyObjectsAsTheTenth) {
  const int before = GdiLiveObjectCount();
  {
    FrameRig rig(kW, kH);
    FrameRig::SolidFolder(0, {0x2896DC, 0xC86425, 0x30D050}, 48, 40);
    FrameRig::SolidFolder(1, {0x804020, 0x102030}, 40, 48);
    rig.Start();
    rig.dlg.m_angle_table.Set(0, 1, 90);
    rig.dlg.m_angle_table.Set(1, 0, 30);
    rig.dlg.m_angle_table.Set(1, 1, 200);

    std::vector<int> at_phase_ten;
    int most = 0;
    int turned_frames = 0;
    int folder_one_frames = 0;
    for (int frame = 0; frame < 1000; ++frame) {
      if (frame % kPeriod == 10) at_phase_ten.push_back(GdiLiveObjectCount());
      CycleFrame(rig, frame);
      most = std::max(most, GdiLiveObjectCount());
      turned_frames += rig.dlg.m_renderer.Cache().GetCount() > 0 ? 1 : 0;
      folder_one_frames += rig.dlg.m_folder == 1 ? 1 : 0;
    }
    at_phase_ten.push_back(GdiLiveObjectCount());  // after frame 999: phase 10 again

    // The cycle really turned pictures and changed folders.
    EXPECT_GT(turned_frames, 300);
    EXPECT_GT(folder_one_frames, 400);
    EXPECT_LT(folder_one_frames, 600);
    ASSERT_GE(at_phase_ten.size(), 2u);
    for (std::size_t i = 1; i < at_phase_ten.size(); ++i) {
      EXPECT_EQ(at_phase_ten[i], at_phase_ten[0]) << "cycle " << i;
    }
    // Kept between frames: the frame buffer, the marker, the two slots' file bitmaps and their
    // turned bitmaps.
    EXPECT_LE(most - before, 6);

    rig.dlg.m_renderer.Release();
    EXPECT_EQ(rig.dlg.m_renderer.Cache().GetCount(), 0);
    EXPECT_EQ(GdiLiveObjectCount(), before);
  }
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

// The renderer's cache keeps one frame's files: the two slots in view.
TEST(FrameLeak, APictureFileCacheOfOneFrameHoldsTheTwoSlotsOnly) {
  HeadlessSession session(64, 64);
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) {
    paths.push_back("pictures/" + std::to_string(i) + ".bmp");
    frame_test::WriteSolidBitmap(paths.back(), 4 + i, 3, 0x102030u * static_cast<Pixel>(i + 1));
  }
  const int before = GdiLiveObjectCount();
  {
    PictureFiles files(1);
    for (int frame = 0; frame < 40; ++frame) {
      HBITMAP left = files.Load(paths[static_cast<std::size_t>(frame / 3 % 5)]);
      ASSERT_NE(left, nullptr);
      ASSERT_NE(files.Load(paths[static_cast<std::size_t>((frame / 3 + 1) % 5)]), nullptr);
      files.EndFrame();
      EXPECT_EQ(files.Count(), 2);
      EXPECT_EQ(GdiLiveObjectCount() - before, 2);
      // Still in view next frame: the same bitmap, not read again.
      if (frame % 3 != 2) {
        EXPECT_EQ(files.Load(paths[static_cast<std::size_t>(frame / 3 % 5)]), left);
      }
    }
    files.EndFrame();
  }
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

// The file cache keeps the bitmaps of this frame and the one before, no more, however many
// different files pass through it; an unchanged file is not read again.
TEST(FrameLeak, PictureFileCacheHoldsOnlyTheLastTwoFramesFiles) {
  HeadlessSession session(64, 64);
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    paths.push_back("pictures/" + std::to_string(i) + ".bmp");
    frame_test::WriteSolidBitmap(paths.back(), 4 + i, 3, 0x102030u * static_cast<Pixel>(i + 1));
  }
  const int before = GdiLiveObjectCount();
  {
    PictureFiles files;
    int most = 0;
    for (int frame = 0; frame < 1000; ++frame) {
      HBITMAP left = files.Load(paths[static_cast<std::size_t>(frame / 3 % 12)]);
      HBITMAP right = files.Load(paths[static_cast<std::size_t>((frame / 3 + 1) % 12)]);
      ASSERT_NE(left, nullptr);
      ASSERT_NE(right, nullptr);
      EXPECT_EQ(files.Load(paths[static_cast<std::size_t>(frame / 3 % 12)]), left);
      files.EndFrame();
      most = std::max(most, files.Count());
      EXPECT_EQ(GdiLiveObjectCount() - before, files.Count());
    }
    EXPECT_LE(most, 4);
    // A missing file gives null and still takes no more room.
    EXPECT_EQ(files.Load("pictures/missing.bmp"), nullptr);
    files.EndFrame();
    files.EndFrame();
    files.EndFrame();
    EXPECT_EQ(files.Count(), 0);
  }
  EXPECT_EQ(GdiLiveObjectCount(), before);
}
