#include "platform/kernel/file_find.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/kernel/text.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------------
// WildcardMatch

struct WildcardCase {
  const char* pattern;
  const char* name;
  bool match;
};

TEST(WildcardMatchTest, Table) {
  const WildcardCase cases[] = {
      // "*.*" matches every name, dotted or not.
      {"*.*", "abc", true},
      {"*.*", "a.b", true},
      {"*.*", ".", true},
      {"*.*", "..", true},
      {"*.*", "a.b.c", true},
      {"*", "anything.at.all", true},
      {"*", "", true},
      // A trailing ".*" also matches the end of a name.
      {"x.*", "x", true},
      {"x.*", "x.y", true},
      {"x.*", "xy", false},
      // Extensions: ASCII letters in either case, nothing more, nothing less.
      {"*.bmp", "0.bmp", true},
      {"*.bmp", "1.BMP", true},
      {"*.BMP", "cover.bmp", true},
      {"*.bmp", "x.bMp", true},
      {"*.bmp", ".bmp", true},
      {"*.bmp", "x.bmpx", false},
      {"*.bmp", "bmp", false},
      {"*.bmp", "x.bm", false},
      {"*.bmp", ".", false},
      {"*.bmp", "..", false},
      {"*.bmp", "a.jpg", false},
      // '?' is exactly one byte.
      {"?.bmp", "1.bmp", true},
      {"?.bmp", "10.bmp", false},
      {"?.bmp", ".bmp", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"??", "\xc3\xa9", true},  // one two-byte character is two bytes
      // Several stars need more than a greedy first choice.
      {"*a*b*", "xaybz", true},
      {"*a*b", "abab", true},
      {"*a*b", "abba", false},
      {"a*a*a", "aaa", true},
      {"a*a*a", "aa", false},
      // Empty pattern matches only the empty name.
      {"", "", true},
      {"", "a", false},
      // Other bytes compare exactly: no folding outside ASCII, brackets are literal.
      {"\xc3\x89*", "\xc3\xa9.bmp", false},  // "É*" vs "é.bmp"
      {"\xc3\xa9*", "\xc3\xa9.bmp", true},
      {"\xff*", "\xff.bmp", true},
      {"[a]", "a", false},
      {"[a]", "[A]", true},
      {"1", "01", false},
  };
  for (const WildcardCase& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match)
        << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
  }
}

// ---------------------------------------------------------------------------------------------
// Utf8ToUtf16

struct Utf16Case {
  const char* label;
  std::string utf8;
  std::u16string utf16;
};

TEST(Utf8ToUtf16Test, Table) {
  const Utf16Case cases[] = {
      {"empty", "", u""},
      {"ascii", "Ab_1", u"Ab_1"},
      {"two-byte", "\xc3\xa9", {0x00E9}},
      {"three-byte", "\xe6\x97\xa5\xe6\x9c\xac", {0x65E5, 0x672C}},
      {"fullwidth A", "\xef\xbc\xa1", {0xFF21}},
      {"emoji pair", "\xf0\x9f\x98\x80", {0xD83D, 0xDE00}},
      {"highest code point", "\xf4\x8f\xbf\xbf", {0xDBFF, 0xDFFF}},
      {"stray byte", "a\x80" "b", {u'a', 0xDC80, u'b'}},
      {"ff byte", "\xff", {0xDCFF}},
      {"truncated", "\xe6\x97", {0xDCE6, 0xDC97}},
      {"truncated then ascii", "\xe6x", {0xDCE6, u'x'}},
      {"overlong two-byte", "\xc0\xaf", {0xDCC0, 0xDCAF}},
      {"overlong three-byte", "\xe0\x80\xaf", {0xDCE0, 0xDC80, 0xDCAF}},
      {"overlong four-byte", "\xf0\x8f\xbf\xbf", {0xDCF0, 0xDC8F, 0xDCBF, 0xDCBF}},
      {"encoded surrogate", "\xed\xb2\x80", {0xDCED, 0xDCB2, 0xDC80}},
      {"above U+10FFFF", "\xf4\x90\x80\x80", {0xDCF4, 0xDC90, 0xDC80, 0xDC80}},
      {"bad then good", "\xc3\xc3\xa9", {0xDCC3, 0x00E9}},
  };
  for (const Utf16Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.label;
  }
}

TEST(Utf8ToUtf16Test, DistinctByteStringsStayDistinct) {
  // An escaped byte and the (invalid) encoding of the same unit must not collide.
  EXPECT_NE(Utf8ToUtf16("\x80"), Utf8ToUtf16("\xed\xb2\x80"));
  EXPECT_NE(Utf8ToUtf16("\xff"), Utf8ToUtf16("\xc3\xbf"));
  EXPECT_EQ(Utf8ToUtf16("\xc3\xbf"), std::u16string(1, char16_t{0x00FF}));
}

// ---------------------------------------------------------------------------------------------
// CFileFind

class FileFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quenmira-file-find-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_root, ec);
  }

  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }
  void MakeDir(const std::string& relative) const { fs::create_directories(Path(relative)); }
  void Touch(const std::string& relative) const { std::ofstream(Path(relative)) << "x"; }

  struct Seen {
    std::string name;
    std::string path;
    bool directory;
    bool dots;
  };

  // Runs the usual loop over `pattern` and records every entry it visits.
  static std::vector<Seen> List(const std::string& pattern) {
    std::vector<Seen> seen;
    CFileFind finder;
    bool more = finder.FindFile(pattern);
    while (more) {
      more = finder.FindNextFile();
      seen.push_back({finder.GetFileName(), finder.GetFilePath(), finder.IsDirectory(),
                      finder.IsDots()});
    }
    return seen;
  }

  static std::vector<std::string> Names(const std::vector<Seen>& seen) {
    std::vector<std::string> names;
    for (const Seen& s : seen) names.push_back(s.name);
    return names;
  }

  std::string m_root;
};

TEST_F(FileFindTest, StarDotStarListsDotsFirstThenEveryEntry) {
  MakeDir("album/0");
  MakeDir("album/photos");
  Touch("album/readme");
  Touch("album/a.bmp");

  const std::vector<Seen> seen = List(Path("album") + "/*.*");
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].name, ".");
  EXPECT_EQ(seen[1].name, "..");
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(seen[i].dots);
    EXPECT_TRUE(seen[i].directory);
  }
  // The rest come in byte order of name.
  EXPECT_EQ(Names(seen),
            (std::vector<std::string>{".", "..", "0", "a.bmp", "photos", "readme"}));
  for (std::size_t i = 2; i < seen.size(); ++i) {
    EXPECT_FALSE(seen[i].dots) << seen[i].name;
    EXPECT_EQ(seen[i].directory, seen[i].name == "0" || seen[i].name == "photos")
        << seen[i].name;
    EXPECT_EQ(seen[i].path, Path("album") + "/" + seen[i].name);
  }
}

TEST_F(FileFindTest, ExtensionPatternMatchesEitherCaseAndSkipsDots) {
  MakeDir("3");
  for (const char* name : {"0.bmp", "1.BMP", "cover.bmp", "x.bmpx", "bmp", "a.jpg"}) {
    Touch(std::string("3/") + name);
  }
  EXPECT_EQ(Names(List(Path("3") + "/*.bmp")),
            (std::vector<std::string>{"0.bmp", "1.BMP", "cover.bmp"}));
  EXPECT_EQ(Names(List(Path("3") + "/?.bmp")), (std::vector<std::string>{"0.bmp", "1.BMP"}));
}

TEST_F(FileFindTest, LoopVisitsEachOfManyEntriesOnce) {
  MakeDir("many");
  for (int i = 0; i < 50; ++i) Touch("many/" + std::to_string(i) + ".bmp");
  const std::vector<std::string> names = Names(List(Path("many") + "/*.bmp"));
  ASSERT_EQ(names.size(), 50u);
  for (std::size_t i = 1; i < names.size(); ++i) EXPECT_LT(names[i - 1], names[i]);
}

TEST_F(FileFindTest, FailsForMissingDirectoriesAndNoMatches) {
  MakeDir("empty");
  Touch("plain");
  CFileFind finder;
  EXPECT_FALSE(finder.FindFile(Path("missing") + "/*.*"));
  EXPECT_FALSE(finder.FindFile(Path("plain") + "/*.*"));  // a file is not a directory
  EXPECT_FALSE(finder.FindFile(Path("empty") + "/*.bmp"));
  EXPECT_FALSE(finder.FindFile(Path("empty") + "/"));  // empty wildcard matches nothing
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(finder.GetFileName(), "");
  EXPECT_EQ(finder.GetFilePath(), "");
  EXPECT_FALSE(finder.IsDirectory());
  EXPECT_FALSE(finder.IsDots());
  // An empty directory still holds "." and "..".
  EXPECT_EQ(Names(List(Path("empty") + "/*.*")), (std::vector<std::string>{".", ".."}));
}

TEST_F(FileFindTest, StepsThroughEntriesInTheClassicWay) {
  MakeDir("d");
  Touch("d/a.bmp");
  Touch("d/b.bmp");
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(Path("d") + "/*.bmp"));
  EXPECT_EQ(finder.GetFileName(), "");  // positioned before the first entry
  EXPECT_TRUE(finder.FindNextFile());
  EXPECT_EQ(finder.GetFileName(), "a.bmp");
  EXPECT_FALSE(finder.FindNextFile());  // "b.bmp" is current and last
  EXPECT_EQ(finder.GetFileName(), "b.bmp");
  EXPECT_FALSE(finder.FindNextFile());  // past the end: stays on the last entry
  EXPECT_EQ(finder.GetFileName(), "b.bmp");

  // A new FindFile replaces the old listing; Close forgets it.
  ASSERT_TRUE(finder.FindFile(Path("d") + "/b.*"));
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(finder.GetFileName(), "b.bmp");
  finder.Close();
  EXPECT_EQ(finder.GetFileName(), "");
  EXPECT_FALSE(finder.FindNextFile());
}

TEST_F(FileFindTest, DirectoryRemovedDuringListingDoesNotBreakTheLoop) {
  MakeDir("gone/sub");
  Touch("gone/a.bmp");
  CFileFind finder;
  bool more = finder.FindFile(Path("gone") + "/*.*");
  ASSERT_TRUE(more);
  std::error_code ec;
  fs::remove_all(Path("gone"), ec);
  ASSERT_FALSE(ec);
  std::vector<std::string> names;
  while (more) {
    more = finder.FindNextFile();
    names.push_back(finder.GetFileName());
  }
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.bmp", "sub"}));
}

TEST_F(FileFindTest, LinksFollowTheirTargetAndBrokenLinksAreFiles) {
  MakeDir("d/real");
  Touch("d/target.bmp");
  fs::create_directory_symlink(Path("d/real"), Path("d/dirlink"));
  fs::create_symlink(Path("d/target.bmp"), Path("d/filelink.bmp"));
  fs::create_symlink(Path("d/nowhere"), Path("d/broken"));

  std::vector<std::pair<std::string, bool>> kinds;
  for (const Seen& s : List(Path("d") + "/*.*")) {
    if (!s.dots) kinds.emplace_back(s.name, s.directory);
  }
  EXPECT_EQ(kinds, (std::vector<std::pair<std::string, bool>>{{"broken", false},
                                                                {"dirlink", true},
                                                                {"filelink.bmp", false},
                                                                {"real", true},
                                                                {"target.bmp", false}}));
}

TEST_F(FileFindTest, NamesAreBytesNotNecessarilyUtf8) {
  MakeDir("n");
  const std::string names[] = {"\xff\xfe.bmp", "\xe5\x86\x99\xe7\x9c\x9f.BMP", "\xc3\xa9"};
  for (const std::string& name : names) Touch("n/" + name);
  EXPECT_EQ(Names(List(Path("n") + "/*.bmp")),
            (std::vector<std::string>{"\xe5\x86\x99\xe7\x9c\x9f.BMP", "\xff\xfe.bmp"}));
  EXPECT_EQ(List(Path("n") + "/*.*").size(), 5u);
}

TEST_F(FileFindTest, PatternWithoutDirectoryListsTheCurrentDirectory) {
  MakeDir("cwd");
  Touch("cwd/only.bmp");
  const fs::path previous = fs::current_path();
  fs::current_path(Path("cwd"));
  const std::vector<Seen> seen = List("*.bmp");
  fs::current_path(previous);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].name, "only.bmp");
  EXPECT_EQ(seen[0].path, "only.bmp");
}

TEST_F(FileFindTest, RootHasNoDots) {
  const std::vector<Seen> seen = List("/*.*");
  EXPECT_FALSE(seen.empty());
  for (const Seen& s : seen) {
    EXPECT_FALSE(s.dots);
    EXPECT_EQ(s.path, "/" + s.name);
  }
}

TEST_F(FileFindTest, UnreadableDirectoryFails) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
  MakeDir("locked");
  Touch("locked/a.bmp");
  fs::permissions(Path("locked"), fs::perms::none);
  CFileFind finder;
  EXPECT_FALSE(finder.FindFile(Path("locked") + "/*.*"));
  fs::permissions(Path("locked"), fs::perms::owner_all);
}

}  // namespace
