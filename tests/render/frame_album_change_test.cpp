// The album changing under a running viewer: pictures deleted, added half-written or whole, and
// a folder removed while frames are drawn and the wheel steps between folders. The tables keep
// their start-up sizes, the view stays inside the album the tables know, and the screen shows
// black or album pictures, never anything else.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "album/album_paths.h"
#include "app/record_file.h"
#include "render/overlays.h"
#include "tests/support/frame_rig.h"

namespace fs = std::filesystem;
using frame_test::FrameRig;
using frame_test::Shot;

namespace {

constexpr int kW = 640;
constexpr int kH = 400;
constexpr int kOverlayRows = 70;  // the counters and the date line above the pictures
constexpr int kBigNumberHeight = 150;
constexpr Pixel kBlack = 0x000000;

// Every picture colour the test ever writes.
const std::vector<Pixel> kFolder0 = {0x2896DC, 0xC86425, 0x30D050, 0x8040A0};
const std::vector<Pixel> kFolder1 = {0xD02020, 0x20D0D0, 0xE0E040};
const std::vector<Pixel> kFolder2 = {0x404080, 0x80C040};
constexpr Pixel kAdded = 0xF0A0F0;

// Screen pixels below the overlays, outside rows [skip_top, skip_bottom), that are neither black
// nor a picture colour.
int StrayPixels(const Shot& shot, int skip_top, int skip_bottom) {
  std::set<Pixel> allowed = {kBlack, kAdded};
  for (const auto* folder : {&kFolder0, &kFolder1, &kFolder2}) allowed.insert(folder->begin(), folder->end());
  int stray = 0;
  for (int y = kOverlayRows; y < shot.height; ++y) {
    if (y >= skip_top && y < skip_bottom) continue;
    for (int x = 0; x < shot.width; ++x) stray += allowed.count(shot.At(x, y)) ? 0 : 1;
  }
  return stray;
}

class AlbumChange : public ::testing::Test {
 protected:
  void SetUp() override {
    FrameRig::SolidFolder(0, kFolder0, 60, 40);
    FrameRig::SolidFolder(1, kFolder1, 40, 60);
    FrameRig::SolidFolder(2, kFolder2, 50, 50);
    rig.Start();
    ASSERT_EQ(rig.dlg.m_folder_count, 3);
  }

  // One render-thread pass with the strip at `offset`, then the invariants.
  void Pass(int offset) {
    rig.dlg.m_strip_offset = offset;
    rig.ticks.Advance(10);
    rig.DriverStep();
    ++frames;
    const int folder = rig.dlg.m_folder;
    ASSERT_GE(folder, 0);
    ASSERT_LT(folder, 3);
    ASSERT_EQ(rig.dlg.m_folder_count, 3);
    for (const AlbumTable<int>* table : {&rig.dlg.m_angle_table, &rig.dlg.m_steps_table, &rig.dlg.m_key_x}) {
      ASSERT_EQ(table->FolderCount(), 3);
      ASSERT_EQ(table->PictureCount(0), 4);
      ASSERT_EQ(table->PictureCount(1), 3);
      ASSERT_EQ(table->PictureCount(2), 2);
    }
    // The big folder number after a step covers the middle rows for a moment.
    const bool big_number = !ComposeOverlayTexts(rig.dlg, 0, GetTickCount(), nullptr).big_number.empty();
    const int skip_top = big_number ? (kH - kBigNumberHeight) / 2 - 5 : 0;
    const int skip_bottom = big_number ? (kH + kBigNumberHeight) / 2 + 5 : 0;
    ASSERT_EQ(StrayPixels(rig.Read(), skip_top, skip_bottom), 0) << "frame " << frames << " in folder " << folder;
  }

  // The wheel, as the handler leaves it for the render thread.
  void Wheel(bool up) {
    rig.dlg.m_wheel_folder_step = 1;
    rig.dlg.m_wheel_up = up ? 1 : 0;
    SetEvent(rig.dlg.m_evt_folder_step);
  }

  // The strip run across the whole folder and past both of its ends.
  void RunAcross(int pictures) {
    for (int offset = kW; offset >= -(pictures + 1) * kW; offset -= kW / 4) Pass(offset);
  }

  FrameRig rig{kW, kH};
  int frames = 0;
};

}  // namespace

TEST_F(AlbumChange, PicturesDeletedAndAddedInTheFolderInView) {
  RunAcross(4);
  // The picture in view and the last one go; the strip still runs across four slots.
  fs::remove(FrameRig::Picture(0, 1));
  fs::remove(FrameRig::Picture(0, 3));
  RunAcross(4);
  // New pictures: one half-written, then whole, beyond the tables and in a gap.
  std::vector<std::uint8_t> bytes = frame_test::SolidBitmapBytes(60, 40, kAdded);
  frame_test::WriteBytes(FrameRig::Picture(0, 4), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  RunAcross(6);
  frame_test::WriteBytes(FrameRig::Picture(0, 4), bytes);
  frame_test::WriteBytes(FrameRig::Picture(0, 5), bytes);
  frame_test::WriteBytes(FrameRig::Picture(0, 1), bytes);
  RunAcross(6);
  // Pictures past the tables keep nothing: a turn asked for there is not stored.
  rig.dlg.m_strip_offset = -5 * kW;
  rig.dlg.m_rotating = 1;
  Pass(-5 * kW);
  EXPECT_EQ(rig.dlg.m_angle_table.Get(0, 5, -1), -1);
}

TEST_F(AlbumChange, AFolderDeletedWhileInViewAndWhileWheeling) {
  Wheel(true);
  Pass(0);
  ASSERT_EQ(rig.dlg.m_folder, 1);
  fs::remove_all(FolderPath(kAlbumDir, 1));
  RunAcross(3);
  EXPECT_EQ(rig.dlg.m_picture_count, 0);
  // The census now ends before folder 1: the wheel cannot go further up, but back down it can.
  Wheel(true);
  Pass(0);
  EXPECT_EQ(rig.dlg.m_folder, 1);
  Wheel(false);
  Pass(0);
  EXPECT_EQ(rig.dlg.m_folder, 0);
  // Folder 1 back with more pictures, and a new folder 3 the tables never held.
  FrameRig::SolidFolder(1, {kAdded, kAdded, kAdded, kAdded, kAdded}, 40, 60);
  FrameRig::SolidFolder(3, {kAdded}, 40, 60);
  for (int step = 0; step < 8; ++step) {
    Wheel(step < 5);
    Pass(-(step % 3) * kW / 2);
  }
  RunAcross(5);
}

TEST_F(AlbumChange, TheRecordFileKeepsTheStartUpTablesAfterTheAlbumChanged) {
  fs::remove(FrameRig::Picture(0, 3));
  fs::remove_all(FolderPath(kAlbumDir, 2));
  FrameRig::SolidFolder(1, {kAdded, kAdded, kAdded, kAdded, kAdded, kAdded}, 40, 60);
  FrameRig::SolidFolder(3, {kAdded}, 40, 60);
  RunAcross(4);
  rig.dlg.StoreRecordFile();
  // Folder 0 as the disk has it now (3), folder 1 at its table size (3), folder 2 empty.
  const int counts[] = {3, 3, 0};
  std::uintmax_t expected = 4 + 8 + 4 * 3;
  for (int n : counts) expected += 4 + 624 * static_cast<std::uintmax_t>(n);
  EXPECT_EQ(fs::file_size(rig.dlg.RecordFilePath()), expected);
  // So the next start sees the change and keeps only what still fits.
  std::vector<std::uint8_t> bytes(expected);
  std::ifstream(rig.dlg.RecordFilePath(), std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(expected));
  const int now[] = {3, 6};
  EXPECT_FALSE(ParseRecordFile(bytes, now).fits);
}
