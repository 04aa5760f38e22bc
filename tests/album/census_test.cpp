#include "album/census.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Each test gets a fresh temporary folder holding "album/".
class CensusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quenmira-census-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    m_album = m_root + "/album/";
    fs::create_directory(m_album);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_root, ec);
  }

  // Creates album/<folder>/ and, when `file` is given, album/<folder>/<file>.
  void Folder(const std::string& folder, const std::string& file = "") const {
    fs::create_directories(m_album + folder);
    if (!file.empty()) std::ofstream(m_album + folder + "/" + file) << "x";
  }
  void Filled(const std::string& folder) const { Folder(folder, "0.bmp"); }

  std::string m_root;
  std::string m_album;  // ends with '/'
};

// ---------------------------------------------------------------------------------------------
// IsPictureNamedFile

TEST(IsPictureNamedFileTest, Table) {
  const std::pair<const char*, bool> cases[] = {
      {"0.bmp", true},        {"1.BMP", true},        {"a.jpg", true},
      {"a.JPG", true},        {"a.jpeg", true},       {"a.JPEG", true},
      {"notes.jpg.txt", true},  // anywhere in the name
      {".bmp", true},         {"scan.Jpg", false},    {"scan.Bmp", false},
      {"notes.txt", false},   {"jpg", false},         {"a_jpg", false},
      {"", false},
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(IsPictureNamedFile(name), expected) << name;
  }
}

// ---------------------------------------------------------------------------------------------
// CountPictures

TEST_F(CensusTest, CountPicturesCountsMatchesOfEitherCase) {
  for (const char* name : {"0.bmp", "1.BMP", "cover.bmp", "a.jpg", "notes.txt", "x.bmpx"}) {
    Folder("3", name);
  }
  EXPECT_EQ(CountPictures(m_album + "3/*.bmp"), 3);
  EXPECT_EQ(CountPictures(m_album + "3/*.jpg"), 1);
  EXPECT_EQ(CountPictures(m_album + "3/*.*"), 8);  // six files plus "." and ".."
  EXPECT_EQ(CountPictures(m_album + "3/*.png"), 0);
  EXPECT_EQ(CountPictures(m_album + "4/*.bmp"), 0);
  EXPECT_EQ(CountPictures(m_root + "/none/3/*.bmp"), 0);
}

TEST_F(CensusTest, CountPicturesIncludesDirectories) {
  Folder("0/x.bmp");
  EXPECT_EQ(CountPictures(m_album + "0/*.bmp"), 1);
}

// ---------------------------------------------------------------------------------------------
// CountUsableFolders: the run 0, 1, 2, ... of folders holding a picture-named file

TEST_F(CensusTest, SinglePicture) {
  Folder("0", "only.jpg");
  EXPECT_EQ(CountUsableFolders(m_album), 1);
}

TEST_F(CensusTest, EmptyFolderEndsTheRun) {
  for (int i = 0; i <= 10; ++i) {
    if (i == 4) {
      Folder("4");
    } else {
      Filled(std::to_string(i));
    }
  }
  EXPECT_EQ(CountUsableFolders(m_album), 4);
}

TEST_F(CensusTest, MissingFolderEndsTheRun) {
  Filled("0");
  Filled("1");
  Filled("3");
  EXPECT_EQ(CountUsableFolders(m_album), 2);
}

TEST_F(CensusTest, EmptyFirstFolderGivesNone) {
  Folder("0");
  Filled("1");
  Filled("2");
  EXPECT_EQ(CountUsableFolders(m_album), 0);
}

TEST_F(CensusTest, RunStartsAtZero) {
  Filled("1");
  Filled("2");
  EXPECT_EQ(CountUsableFolders(m_album), 0);
}

TEST_F(CensusTest, LeadingZeroTwinDependsOnSortOrder) {
  // "01" and "1" have the same value; whichever the sort puts first takes position 1.
  Filled("0");
  Filled("01");
  Filled("1");
  Filled("2");
  const int count = CountUsableFolders(m_album);
  EXPECT_TRUE(count == 1 || count == 2) << count;
}

TEST_F(CensusTest, NonNumericFoldersAreIgnored) {
  Filled("0");
  Filled("photos");
  Filled("2a");
  Filled("1");
  Filled("-2");
  EXPECT_EQ(CountUsableFolders(m_album), 2);
}

TEST_F(CensusTest, FilesNamedLikeFoldersAreIgnored) {
  Filled("0");
  Filled("2");
  std::ofstream(m_album + "1") << "x";
  EXPECT_EQ(CountUsableFolders(m_album), 1);

  std::ofstream(m_album + "3.bmp") << "x";
  std::ofstream(m_album + "3") << "x";
  Filled("1_");
  EXPECT_EQ(CountUsableFolders(m_album), 1);
}

TEST_F(CensusTest, OnlyPictureNamedFilesFillAFolder) {
  struct Case {
    const char* file;
    int count;
  };
  const Case cases[] = {
      {"scan.Jpg", 0}, {"notes.txt", 0},  {"notes.jpg.txt", 1}, {"a.JPEG", 1},
      {"b.BMP", 1},    {"c.jpeg", 1},     {"Bmp", 0},           {".jpg", 1},
  };
  for (const Case& c : cases) {
    std::error_code ec;
    fs::remove_all(m_album + "0", ec);
    Folder("0", c.file);
    EXPECT_EQ(CountUsableFolders(m_album), c.count) << c.file;
  }
}

TEST_F(CensusTest, DirectoryNamedLikeAPictureDoesNotFillAFolder) {
  Folder("0/x.bmp");
  EXPECT_EQ(CountUsableFolders(m_album), 0);
  EXPECT_EQ(CountPictures(m_album + "0/*.bmp"), 1);
}

TEST_F(CensusTest, PicturesInSubFoldersDoNotCount) {
  Folder("0/inner", "deep.bmp");
  EXPECT_EQ(CountUsableFolders(m_album), 0);
}

TEST_F(CensusTest, MissingOrUnlistableAlbumGivesNone) {
  EXPECT_EQ(CountUsableFolders(m_root + "/nowhere/"), 0);
  std::ofstream(m_root + "/plain") << "x";
  EXPECT_EQ(CountUsableFolders(m_root + "/plain/"), 0);
  EXPECT_EQ(CountUsableFolders(m_album), 0);  // exists but empty
}

TEST_F(CensusTest, UnlistableFolderCountsAsEmpty) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
  Filled("0");
  Filled("1");
  Filled("2");
  fs::permissions(m_album + "1", fs::perms::none);
  EXPECT_EQ(CountUsableFolders(m_album), 1);
  fs::permissions(m_album + "1", fs::perms::owner_all);
}

TEST_F(CensusTest, LinksAreFollowed) {
  Filled("0");
  Folder("elsewhere", "a.jpg");
  fs::create_directory_symlink(m_album + "elsewhere", m_album + "1");
  Folder("2");
  fs::create_symlink(m_album + "nowhere.bmp", m_album + "2/broken.bmp");  // a file, though broken
  EXPECT_EQ(CountUsableFolders(m_album), 3);
}

TEST_F(CensusTest, NonAsciiNamesDoNotDisturbTheCount) {
  Folder("0", "\xe5\x86\x99\xe7\x9c\x9f.jpg");  // 写真.jpg
  Folder("1", "\xff\xfe.BMP");                  // not UTF-8
  Filled("\xe6\x97\xa5\xe6\x9c\xac");           // 日本
  Filled("\xc3\xa9");                           // é
  Filled("\xd9\xa2");                           // Arabic-Indic two, not an ASCII digit
  Filled("\x80");
  EXPECT_EQ(CountUsableFolders(m_album), 2);
}

TEST_F(CensusTest, TwentyFiveFolders) {
  for (int i = 0; i < 25; ++i) Filled(std::to_string(i));
  EXPECT_EQ(CountUsableFolders(m_album), 25);
}

}  // namespace
