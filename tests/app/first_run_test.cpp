// The example picture of folder 0: written when the folder holds no bitmap, and never over a
// name that something already has.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/orvale_dlg.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;

namespace {

// 54 header bytes and 875 rows of 622 pixels, 3 bytes each, padded to 1868.
constexpr std::uintmax_t kExampleFileBytes = 54 + 1868 * 875;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Names in album/0/, the staged temporary files included.
std::vector<std::string> NamesInFolder0() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator("album/0")) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void EnsureExamplePicture() {
  COrvaleDlg dlg;
  dlg.m_album_dir = "./album/";
  dlg.EnsureExamplePicture();
}

}  // namespace

TEST(ExamplePicture, AnEmptyFolderGetsIt) {
  HeadlessSession session;
  fs::create_directories("album/0");
  std::ofstream("album/0/notes.txt") << "mine";
  EnsureExamplePicture();
  EXPECT_EQ(NamesInFolder0(), (std::vector<std::string>{"0.bmp", "notes.txt"}));
  EXPECT_EQ(fs::file_size("album/0/0.bmp"), kExampleFileBytes);
}

TEST(ExamplePicture, ABitmapOfAnyOfTheThreeSpellingsIsEnough) {
  for (const char* name : {"holiday.bmp", "1.BMP", "x.Bmp.txt"}) {
    HeadlessSession session;
    fs::create_directories("album/0");
    std::ofstream(std::string("album/0/") + name) << "mine";
    EnsureExamplePicture();
    EXPECT_EQ(NamesInFolder0(), (std::vector<std::string>{name}));
  }
}

// A name the count does not see is not taken from its owner: a link named 0.bmp that leads to a
// folder (so it is no bitmap), as 0.bMp stands for 0.bmp where letter case does not count.
TEST(ExamplePicture, NothingThatHasTheNameIsReplaced) {
  HeadlessSession session;
  fs::create_directories("album/0");
  fs::create_directories("elsewhere");
  std::ofstream("elsewhere/inside") << "mine";
  fs::create_directory_symlink("../../elsewhere", "album/0/0.bmp");
  ::testing::internal::CaptureStderr();
  EnsureExamplePicture();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fs::is_symlink("album/0/0.bmp"));
  EXPECT_EQ(fs::read_symlink("album/0/0.bmp"), "../../elsewhere");
  EXPECT_EQ(ReadFile("elsewhere/inside"), "mine");
  EXPECT_EQ(NamesInFolder0(), (std::vector<std::string>{"0.bmp"}));  // no temporary file left
  EXPECT_NE(err.find("0.bmp is taken"), std::string::npos) << err;

  // A folder 0 holding only 0.bMp (no bitmap by the three spellings, and a name of its own here):
  // the example is written beside it.
  fs::remove("album/0/0.bmp");
  std::ofstream("album/0/0.bMp") << "mine";
  EnsureExamplePicture();
  EXPECT_EQ(NamesInFolder0(), (std::vector<std::string>{"0.bMp", "0.bmp"}));
  EXPECT_EQ(ReadFile("album/0/0.bMp"), "mine");
}
