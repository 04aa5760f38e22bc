#include "render/picture_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gdi/gdi.h"
#include "tests/support/frame_rig.h"
#include "tests/support/headless_session.h"

namespace {

// A file rewritten between the two slots' loads of one frame (a one-picture folder shows it
// in both): the first slot's bitmap stays whole until the frame ends, then goes.
TEST(PictureFiles, BitmapHandedOutStaysValidWhenItsFileChangesInTheSameFrame) {
  HeadlessSession session(64, 64);
  const std::filesystem::path path = "pictures/0.bmp";
  frame_test::WriteSolidBitmap(path, 6, 4, 0x112233u);
  const int before = GdiLiveObjectCount();
  {
    PictureFiles files;
    HBITMAP first = files.Load(path.string());
    ASSERT_NE(first, nullptr);
    frame_test::WriteSolidBitmap(path, 9, 5, 0x445566u);
    HBITMAP second = files.Load(path.string());
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);

    // Still drawable: its size and pixels are those of the file as it was.
    BITMAP info{};
    ASSERT_NE(GetObjectW(first, sizeof(info), &info), 0);
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 4);
    const PixelBuffer old_pixels = BitmapPixels(first);
    EXPECT_EQ(old_pixels.Row(3)[5], 0x112233u);
    EXPECT_EQ(BitmapPixels(second).Row(4)[8], 0x445566u);
    EXPECT_EQ(GdiLiveObjectCount() - before, 2);

    files.EndFrame();
    EXPECT_EQ(GdiLiveObjectCount() - before, 1);
    EXPECT_EQ(files.Load(path.string()), second);
  }
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

// A file that changed since an earlier frame is read again and its old bitmap goes at once.
TEST(PictureFiles, FileChangedSinceAnEarlierFrameReplacesItsBitmap) {
  HeadlessSession session(64, 64);
  const std::filesystem::path path = "pictures/1.bmp";
  frame_test::WriteSolidBitmap(path, 6, 4, 0x112233u);
  const int before = GdiLiveObjectCount();
  PictureFiles files;
  ASSERT_NE(files.Load(path.string()), nullptr);
  files.EndFrame();
  frame_test::WriteSolidBitmap(path, 7, 4, 0x445566u);
  HBITMAP now = files.Load(path.string());
  ASSERT_NE(now, nullptr);
  EXPECT_EQ(BitmapPixels(now).Row(0)[6], 0x445566u);
  EXPECT_EQ(GdiLiveObjectCount() - before, 1);
  files.Clear();
  EXPECT_EQ(GdiLiveObjectCount(), before);
}

}  // namespace
