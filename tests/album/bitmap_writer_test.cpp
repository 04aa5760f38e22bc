#include "album/bitmap_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/window/message_box.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

HBITMAP MakeBitmap(int width, int height, std::vector<Pixel> pixels) {
  return CreateBitmapFromPicture(DecodedPicture{width, height, std::move(pixels)});
}

// Entries of `folder` (names only), to see that no temporary file stays behind.
std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

class BitmapWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { TakeShownMessages(); }
  void TearDown() override { SetBitmapWriteLimitForTesting(-1); }
  HeadlessSession session_;
};

void ExpectHeader(const std::vector<std::uint8_t>& b, int width, int height, std::uint32_t file_size) {
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Le(b, 0, 2), 19778u);
  EXPECT_EQ(Le(b, 2, 4), file_size);
  EXPECT_EQ(Le(b, 6, 2), 0u);
  EXPECT_EQ(Le(b, 8, 2), 0u);
  EXPECT_EQ(Le(b, 10, 4), 54u);
  EXPECT_EQ(Le(b, 14, 4), 40u);
  EXPECT_EQ(Le(b, 18, 4), static_cast<std::uint32_t>(width));
  EXPECT_EQ(Le(b, 22, 4), static_cast<std::uint32_t>(height));
  EXPECT_EQ(Le(b, 26, 2), 1u);
  EXPECT_EQ(Le(b, 28, 2), 24u);
  for (std::size_t at : {30u, 34u, 38u, 42u, 46u, 50u}) EXPECT_EQ(Le(b, at, 4), 0u) << "field at " << at;
}

TEST_F(BitmapWriterTest, ThreeByTwoIsSeventyEightBytesBottomRowFirstPadded) {
  HBITMAP bitmap = MakeBitmap(3, 2, {0x112233, 0x445566, 0x778899,    // top row
                                     0xAABBCC, 0xDDEEFF, 0x010203});  // bottom row
  ASSERT_EQ(WriteBitmapFile(bitmap, "three.bmp"), 1);
  const std::vector<std::uint8_t> b = ReadBytes("three.bmp");
  ASSERT_EQ(b.size(), 78u);
  ExpectHeader(b, 3, 2, 78);
  const std::vector<std::uint8_t> rows{0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x03, 0x02, 0x01, 0, 0, 0,
                                       0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.end()), rows);
  EXPECT_TRUE(TakeShownMessages().empty());
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, FourByOneIsSixtySixBytesWithNoPadding) {
  HBITMAP bitmap = MakeBitmap(4, 1, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  ASSERT_EQ(WriteBitmapFile(bitmap, "four.bmp"), 1);
  const std::vector<std::uint8_t> b = ReadBytes("four.bmp");
  ASSERT_EQ(b.size(), 66u);
  ExpectHeader(b, 4, 1, 66);
  const std::vector<std::uint8_t> row{0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.end()), row);
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, SizesFollowTheRowRule) {
  EXPECT_EQ(BitmapRowBytes(1), 4u);
  EXPECT_EQ(BitmapRowBytes(3), 12u);
  EXPECT_EQ(BitmapRowBytes(4), 12u);
  EXPECT_EQ(BitmapRowBytes(5), 16u);
  EXPECT_EQ(BitmapFileBytes(622, 875), 54u + 1868u * 875u);
  EXPECT_EQ(BitmapFileBytes(0, 5), 54u);
}

TEST_F(BitmapWriterTest, NullBitmapOrEmptyPathSaysWrongParamAndWritesNothing) {
  EXPECT_EQ(WriteBitmapFile(nullptr, "none.bmp"), 0);
  HBITMAP bitmap = MakeBitmap(1, 1, {0});
  EXPECT_EQ(WriteBitmapFile(bitmap, ""), 0);
  EXPECT_EQ(TakeShownMessages(), (std::vector<std::string>{"wrong param", "wrong param"}));
  EXPECT_TRUE(Entries(".").empty());
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, MissingFolderGivesZeroWithoutMessage) {
  HBITMAP bitmap = MakeBitmap(2, 2, {1, 2, 3, 4});
  EXPECT_EQ(WriteBitmapFile(bitmap, "no/such/folder/x.bmp"), 0);
  EXPECT_TRUE(TakeShownMessages().empty());
  EXPECT_TRUE(Entries(".").empty());
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  std::ofstream("old.bmp") << "previous content that is longer than the new file will be, by far, yes";
  HBITMAP bitmap = MakeBitmap(1, 1, {0x00ABCDEF});
  ASSERT_EQ(WriteBitmapFile(bitmap, "old.bmp"), 1);
  EXPECT_EQ(ReadBytes("old.bmp").size(), 58u);
  EXPECT_EQ(Entries("."), std::vector<std::string>{"old.bmp"});
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, FullDiskGivesZeroAndKeepsTheOldFile) {
  std::ofstream("keep.bmp") << "old";
  HBITMAP bitmap = MakeBitmap(40, 30, std::vector<Pixel>(1200, 0x123456));
  for (std::int64_t limit : {0, 10, 54, 60, 3653}) {  // the whole file is 3654 bytes
    SetBitmapWriteLimitForTesting(limit);
    EXPECT_EQ(WriteBitmapFile(bitmap, "keep.bmp"), 0) << limit;
    EXPECT_EQ(WriteBitmapFile(bitmap, "new.bmp"), 0) << limit;
    EXPECT_EQ(Entries("."), std::vector<std::string>{"keep.bmp"}) << limit;
    EXPECT_EQ(ReadBytes("keep.bmp").size(), 3u);
  }
  SetBitmapWriteLimitForTesting(3654);
  EXPECT_EQ(WriteBitmapFile(bitmap, "new.bmp"), 1);
  EXPECT_EQ(ReadBytes("new.bmp").size(), 3654u);
  EXPECT_TRUE(TakeShownMessages().empty());
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, ReadOnlyFolderGivesZero) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
  fs::create_directory("locked");
  fs::permissions("locked", fs::perms::owner_read | fs::perms::owner_exec);
  HBITMAP bitmap = MakeBitmap(1, 1, {0});
  EXPECT_EQ(WriteBitmapFile(bitmap, "locked/x.bmp"), 0);
  fs::permissions("locked", fs::perms::owner_all);
  EXPECT_TRUE(Entries("locked").empty());
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, PlaceIfFreeRefusesATakenName) {
  std::ofstream("taken.bmp") << "mine";
  fs::create_directory("dir.bmp");
  HBITMAP bitmap = MakeBitmap(1, 1, {0});
  StagedBitmapFile staged(bitmap, ".");
  ASSERT_TRUE(staged.Written());
  EXPECT_EQ(staged.PlaceIfFree("taken.bmp"), StagedBitmapFile::Placement::kNameTaken);
  EXPECT_EQ(staged.PlaceIfFree("dir.bmp"), StagedBitmapFile::Placement::kNameTaken);
  EXPECT_EQ(staged.PlaceIfFree("free.bmp"), StagedBitmapFile::Placement::kPlaced);
  EXPECT_FALSE(staged.Written());
  EXPECT_EQ(ReadBytes("taken.bmp").size(), 4u);
  EXPECT_EQ(ReadBytes("free.bmp").size(), 58u);
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, UnplacedStagedFileIsRemoved) {
  HBITMAP bitmap = MakeBitmap(1, 1, {0});
  {
    StagedBitmapFile staged(bitmap, ".");
    EXPECT_TRUE(staged.Written());
    EXPECT_EQ(Entries(".").size(), 1u);
  }
  EXPECT_TRUE(Entries(".").empty());
  DeleteObject(bitmap);
}

TEST_F(BitmapWriterTest, FolderOfPath) {
  EXPECT_EQ(FolderOfPath("./album/3/x.bmp"), "./album/3");
  EXPECT_EQ(FolderOfPath("x.bmp"), ".");
  EXPECT_EQ(FolderOfPath("/x.bmp"), "/");
}

}  // namespace
