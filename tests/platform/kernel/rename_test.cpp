// Renames that never replace: the one the album's passes use, and its fallback by hard link.
#include "platform/kernel/rename.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <utility>

#include "tests/support/folder_listing.h"

namespace fs = std::filesystem;

namespace {

using RenameFunction = int (*)(const std::string&, const std::string&);

class RenameTest : public ::testing::TestWithParam<std::pair<const char*, RenameFunction>> {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quenmira-rename-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_dir = pattern + "/";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  int Rename(const std::string& from, const std::string& to) const {
    return GetParam().second(m_dir + from, m_dir + to);
  }
  std::string m_dir;
};

TEST_P(RenameTest, MovesToAFreeName) {
  WriteFile(m_dir + "a", "A");
  EXPECT_EQ(Rename("a", "b"), 0);
  EXPECT_EQ(List(m_dir), (Listing{{"b", {false, "A"}}}));
}

TEST_P(RenameTest, ChangesLetterCase) {
  WriteFile(m_dir + "0.BMP", "A");
  EXPECT_EQ(Rename("0.BMP", "0.bmp"), 0);
  EXPECT_EQ(List(m_dir), (Listing{{"0.bmp", {false, "A"}}}));
}

TEST_P(RenameTest, RefusesAnExistingFile) {
  WriteFile(m_dir + "a", "A");
  WriteFile(m_dir + "b", "B");
  EXPECT_EQ(Rename("a", "b"), EEXIST);
  EXPECT_EQ(List(m_dir), (Listing{{"a", {false, "A"}}, {"b", {false, "B"}}}));
}

TEST_P(RenameTest, RefusesAnExistingDirectory) {
  WriteFile(m_dir + "a", "A");
  fs::create_directory(m_dir + "b");
  EXPECT_EQ(Rename("a", "b"), EEXIST);
  EXPECT_EQ(List(m_dir), (Listing{{"a", {false, "A"}}, {"b", {true, ""}}}));
}

TEST_P(RenameTest, RefusesADanglingLink) {
  WriteFile(m_dir + "a", "A");
  fs::create_symlink(m_dir + "nowhere", m_dir + "b");
  EXPECT_EQ(Rename("a", "b"), EEXIST);
  EXPECT_EQ(ReadFile(m_dir + "a"), "A");
  EXPECT_TRUE(fs::is_symlink(m_dir + "b"));
}

TEST_P(RenameTest, RefusesAnotherLinkOfTheSameFile) {
  WriteFile(m_dir + "a", "A");
  fs::create_hard_link(m_dir + "a", m_dir + "b");
  EXPECT_EQ(Rename("a", "b"), EEXIST);
  EXPECT_EQ(List(m_dir), (Listing{{"a", {false, "A"}}, {"b", {false, "A"}}}));
  EXPECT_EQ(fs::hard_link_count(m_dir + "a"), 2u);
}

TEST_P(RenameTest, OwnNameChangesNothing) {
  WriteFile(m_dir + "a", "A");
  // The fallback sees an existing target; the full rename sees the file's own entry.
  const bool fallback = GetParam().second != &RenameNoReplace;
  EXPECT_EQ(Rename("a", "a"), fallback ? EEXIST : 0);
  EXPECT_EQ(List(m_dir), (Listing{{"a", {false, "A"}}}));
}

TEST_P(RenameTest, MissingSourceFails) {
  EXPECT_EQ(Rename("a", "b"), ENOENT);
  EXPECT_TRUE(List(m_dir).empty());
}

TEST_P(RenameTest, MissingTargetFolderFails) {
  WriteFile(m_dir + "a", "A");
  EXPECT_EQ(Rename("a", "none/b"), ENOENT);
  EXPECT_EQ(List(m_dir), (Listing{{"a", {false, "A"}}}));
}

INSTANTIATE_TEST_SUITE_P(
    Methods, RenameTest,
    ::testing::Values(std::pair<const char*, RenameFunction>{"NoReplace", &RenameNoReplace},
                      std::pair<const char*, RenameFunction>{"ByLink", &RenameNoReplaceByLink}),
    [](const auto& param_info) { return std::string(param_info.param.first); });

TEST(RenameNoReplaceTest, MovesADirectory) {
  std::string pattern = (fs::temp_directory_path() / "quenmira-rename-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::string dir = pattern + "/";
  fs::create_directory(dir + "a");
  WriteFile(dir + "a/inside", "kept");
  EXPECT_EQ(RenameNoReplace(dir + "a", dir + "b"), 0);
  EXPECT_EQ(ReadFile(dir + "b/inside"), "kept");
  // Hard links cannot name a directory: the link method refuses and changes nothing.
  EXPECT_NE(RenameNoReplaceByLink(dir + "b", dir + "c"), 0);
  EXPECT_TRUE(fs::is_directory(dir + "b"));
  EXPECT_FALSE(fs::exists(dir + "c"));
  EXPECT_EQ(ReadFile(dir + "b/inside"), "kept");
  fs::remove_all(dir);
}

}  // namespace
