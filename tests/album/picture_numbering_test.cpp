#include "album/picture_numbering.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "album/name_order.h"
#include "tests/support/folder_listing.h"

namespace fs = std::filesystem;

namespace {

// The contents of the files of a listing, sorted: the multiset that no pass may change.
std::vector<std::string> Contents(const Listing& listing) {
  std::vector<std::string> contents;
  for (const auto& [name, entry] : listing) {
    if (!entry.directory) contents.push_back(entry.content);
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

std::vector<std::string> Names(const Listing& listing) {
  std::vector<std::string> names;
  for (const auto& [name, entry] : listing) names.push_back(name);
  return names;
}

// Each test gets a fresh temporary folder holding "album/".
class NumberingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (TemporaryBase() / "quenmira-numbering-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    m_album = m_root + "/album/";
    fs::create_directory(m_album);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_root, ec);
  }

  std::string Folder(const std::string& folder) const { return m_album + folder + "/"; }

  // Creates album/<folder>/<name> holding `content` (the folder too when missing).
  void File(const std::string& folder, const std::string& name, const std::string& content) const {
    fs::create_directories(Folder(folder));
    WriteFile(Folder(folder) + name, content);
  }
  // Creates album/<folder>/<name> as a directory with a file inside.
  void Directory(const std::string& folder, const std::string& name) const {
    fs::create_directories(Folder(folder) + name);
    WriteFile(Folder(folder) + name + "/inside", "kept");
  }
  // Creates album/<folder>/<name> for each name, the content being the name itself.
  void Files(const std::string& folder, const std::vector<std::string>& names) const {
    fs::create_directories(Folder(folder));
    for (const std::string& name : names) File(folder, name, "was " + name);
  }

  // Runs the pass with its log captured into `m_log`.
  NumberingResult Run() {
    std::FILE* log = std::tmpfile();
    EXPECT_NE(log, nullptr);
    NumberingResult result = NumberPictures(m_album, log);
    std::rewind(log);
    m_log.clear();
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, log)) > 0) m_log.append(buffer, n);
    std::fclose(log);
    return result;
  }

  // Expects album/<folder> to hold exactly `expected`: name, then the name the file had before.
  void ExpectFiles(const std::string& folder,
                   const std::vector<std::pair<std::string, std::string>>& expected) const {
    Listing want;
    for (const auto& [name, was] : expected) want[name] = {false, "was " + was};
    EXPECT_EQ(List(Folder(folder)), want) << "folder " << folder;
  }

  virtual fs::path TemporaryBase() const { return fs::temp_directory_path(); }

  std::string m_root;
  std::string m_album;  // ends with '/'
  std::string m_log;
};

// The property test makes thousands of small files: on a memory file system when there is one.
class NumberingPropertyTest : public NumberingTest {
 protected:
  fs::path TemporaryBase() const override {
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  }
};

// ---------------------------------------------------------------------------------------------
// NumberingOrder and RenameSchedule

TEST(NumberingOrderTest, NumberedByValueThenOthersByName) {
  using V = std::vector<std::string>;
  EXPECT_EQ(NumberingOrder({"12.bmp", "3.bmp", "7.bmp"}), (V{"3.bmp", "7.bmp", "12.bmp"}));
  EXPECT_EQ(NumberingOrder({"holiday.bmp", "2.bmp", "1.bmp"}), (V{"1.bmp", "2.bmp", "holiday.bmp"}));
  EXPECT_EQ(NumberingOrder({"zoo.bmp", "Apple.bmp", "5.BMP"}), (V{"5.BMP", "Apple.bmp", "zoo.bmp"}));
  EXPECT_EQ(NumberingOrder({"b.bmp", "A.bmp", "_x.bmp", "10.bmp", "2.Bmp", "007.bmp"}),
            (V{"2.Bmp", "007.bmp", "10.bmp", "_x.bmp", "A.bmp", "b.bmp"}));
  // The base is the text before the last '.': "1.bmp.txt" has the base "1.bmp", not all-digit.
  EXPECT_EQ(NumberingOrder({"1.bmp.txt", "9.bmp"}), (V{"9.bmp", "1.bmp.txt"}));
  EXPECT_EQ(NumberingOrder({}), V{});
}

TEST(NumberingOrderTest, OfEqualNumbersTheNumbersOwnNameComesFirst) {
  using V = std::vector<std::string>;
  for (const V& names : {V{"3.BMP", "3.bmp"}, V{"3.bmp", "3.BMP"}}) {
    EXPECT_EQ(NumberingOrder(names), (V{"3.bmp", "3.BMP"}));
  }
  const V order = NumberingOrder({"01.bmp", "1.Bmp", "2.bmp", "1.bmp", "0.bmp", "001.bmp"});
  ASSERT_EQ(order.size(), 6u);
  EXPECT_EQ(order[0], "0.bmp");
  EXPECT_EQ(order[1], "1.bmp");
  EXPECT_EQ(std::set<std::string>(order.begin() + 2, order.end() - 1),
            (std::set<std::string>{"01.bmp", "1.Bmp", "001.bmp"}));
  EXPECT_EQ(order.back(), "2.bmp");
  // A saturated value has no name of its own: "99999999999.bmp" is not "2147483647.bmp".
  EXPECT_EQ(NumberingOrder({"99999999999.bmp", "2147483647.bmp"}), (V{"2147483647.bmp", "99999999999.bmp"}));
}

// Position i is to be named i.bmp; a position whose name is held by a later file waits for it.
TEST(RenameScheduleTest, TheHolderOfANameGoesFirst) {
  using V = std::vector<std::string>;
  using S = std::vector<std::size_t>;
  EXPECT_EQ(RenameSchedule({}), S{});
  EXPECT_EQ(RenameSchedule({"3.bmp", "7.bmp", "12.bmp"}), (S{0, 1, 2}));
  EXPECT_EQ(RenameSchedule({"0.bmp", "1.bmp"}), (S{0, 1}));
  // 0.BMP waits for 0.bmp, which moves on to 1.bmp.
  EXPECT_EQ(RenameSchedule({"0.BMP", "0.bmp"}), (S{1, 0}));
  // 00.bmp waits for 1.bmp, which waits for 2.bmp.
  EXPECT_EQ(RenameSchedule({"0.bmp", "00.bmp", "1.bmp", "2.bmp"}), (S{0, 3, 2, 1}));
  EXPECT_EQ(RenameSchedule({"1.bmp", "01.bmp", "x.bmp"}), (S{0, 1, 2}));
  // Where letter case does not count, 1.BMP holds 1.bmp; of 1.bmp and 1.BMP the exact one does.
  EXPECT_EQ(RenameSchedule({"0.bmp", "00.bmp", "1.BMP"}), (S{0, 2, 1}));
  EXPECT_EQ(RenameSchedule({"0.bmp", "00.bmp", "1.bmp", "1.BMP"}), (S{0, 2, 1, 3}));
  // Names held in a ring (no NumberingOrder makes one) are each scheduled once; the first
  // rename of the ring is then refused, and nothing is lost.
  EXPECT_EQ(RenameSchedule(V{"1.bmp", "0.bmp"}), (S{1, 0}));
}

// ---------------------------------------------------------------------------------------------
// NumberPictures: the examples

TEST_F(NumberingTest, NumberedFilesCloseTheGaps) {
  Files("0", {"3.bmp", "7.bmp", "12.bmp"});
  const NumberingResult result = Run();
  ExpectFiles("0", {{"0.bmp", "3.bmp"}, {"1.bmp", "7.bmp"}, {"2.bmp", "12.bmp"}});
  EXPECT_EQ(result.renamed, 3);
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(m_log, "");
}

TEST_F(NumberingTest, OtherNamesFollowTheNumbered) {
  Files("0", {"1.bmp", "2.bmp", "holiday.bmp"});
  const NumberingResult result = Run();
  ExpectFiles("0", {{"0.bmp", "1.bmp"}, {"1.bmp", "2.bmp"}, {"2.bmp", "holiday.bmp"}});
  EXPECT_EQ(result.renamed, 3);
}

TEST_F(NumberingTest, OtherNamesSortWithoutLetterCase) {
  Files("0", {"zoo.bmp", "Apple.bmp", "5.BMP"});
  Run();
  ExpectFiles("0", {{"0.bmp", "5.BMP"}, {"1.bmp", "Apple.bmp"}, {"2.bmp", "zoo.bmp"}});
}

TEST_F(NumberingTest, NumberedFolderStaysUnchanged) {
  std::vector<std::string> names;
  for (int i = 0; i < 10; ++i) names.push_back(std::to_string(i) + ".bmp");
  Files("0", names);
  struct stat before {};
  ASSERT_EQ(stat((Folder("0") + "4.bmp").c_str(), &before), 0);

  const NumberingResult result = Run();

  std::vector<std::pair<std::string, std::string>> expected;
  for (const std::string& name : names) expected.push_back({name, name});
  ExpectFiles("0", expected);
  EXPECT_EQ(result.renamed, 0);
  EXPECT_TRUE(result.refused.empty());
  struct stat after {};
  ASSERT_EQ(stat((Folder("0") + "4.bmp").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);  // not even renamed onto itself
}

TEST_F(NumberingTest, BitmapTextAnywhereInTheNameCounts) {
  Files("0", {"notes.bmp.txt", "photo.jpg", "readme.txt"});
  Run();
  ExpectFiles("0", {{"0.bmp", "notes.bmp.txt"}, {"photo.jpg", "photo.jpg"}, {"readme.txt", "readme.txt"}});
}

TEST_F(NumberingTest, NamesWithSpacesQuotesLineBreaksAndNonAsciiAreNumbered) {
  // "Ünïcødé 照片.bmp"
  const std::string unicode = "\xc3\x9c" "n" "\xc3\xaf" "c" "\xc3\xb8" "d" "\xc3\xa9" " \xe7\x85\xa7\xe7\x89\x87.bmp";
  Files("0", {"say \"cheese\".bmp", "line\nbreak.bmp", " lead space.bmp", "my holiday 'one'.bmp", unicode});
  Run();
  ExpectFiles("0", {{"0.bmp", " lead space.bmp"},
                    {"1.bmp", "line\nbreak.bmp"},
                    {"2.bmp", "my holiday 'one'.bmp"},
                    {"3.bmp", "say \"cheese\".bmp"},
                    {"4.bmp", unicode}});
  EXPECT_EQ(m_log, "");
}

TEST_F(NumberingTest, FolderWithoutBitmapsStaysUnchanged) {
  Files("0", {"photo.jpg", "readme.txt", "scan.bMp", "noextension"});
  const NumberingResult result = Run();
  ExpectFiles("0", {{"photo.jpg", "photo.jpg"},
                    {"readme.txt", "readme.txt"},
                    {"scan.bMp", "scan.bMp"},
                    {"noextension", "noextension"}});
  EXPECT_EQ(result.renamed, 0);
}

TEST_F(NumberingTest, CaseOnlyRenameChangesTheCase) {
  Files("0", {"0.BMP", "1.Bmp"});
  Run();
  ExpectFiles("0", {{"0.bmp", "0.BMP"}, {"1.bmp", "1.Bmp"}});
}

TEST_F(NumberingTest, DirectoriesAreNotPictures) {
  Files("0", {"5.bmp"});
  Directory("0", "album.bmp");
  Run();
  const Listing listing = List(Folder("0"));
  EXPECT_EQ(Names(listing), (std::vector<std::string>{"0.bmp", "album.bmp"}));
  EXPECT_EQ(ReadFile(Folder("0") + "album.bmp/inside"), "kept");
}

// ---------------------------------------------------------------------------------------------
// NumberPictures: refused renames lose nothing

TEST_F(NumberingTest, EqualNumbersAreAllNumbered) {
  // Two files that want one number: the one already under it goes first, and every file gets a
  // number, none lost, whatever order the listing gives.
  const std::vector<std::vector<std::string>> cases = {
      {"0.bmp", "1.bmp", "2.bmp", "3.BMP", "3.bmp"}, {"3.BMP", "3.bmp"}, {"1.bmp", "01.bmp"}, {"0.bmp", "1.bmp", "01.bmp"}, {"0.bmp", "00.bmp"},
      {"0.bmp", "0.BMP"},   {"0.bmp", "00.bmp", "1.bmp"}, {"0.bmp", "0.BMP", "1.bmp", "1.BMP", "2.bmp"},
      {"00.bmp", "0.bmp", "000.bmp", "1.bmp", "01.bmp", "x.bmp"},
  };
  for (const std::vector<std::string>& names : cases) {
    SCOPED_TRACE(::testing::PrintToString(names));
    fs::remove_all(Folder("0"));
    Files("0", names);
    const Listing before = List(Folder("0"));

    const NumberingResult result = Run();

    const Listing after = List(Folder("0"));
    EXPECT_EQ(Contents(after), Contents(before));
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(m_log, "");
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < names.size(); ++i) expected.push_back(std::to_string(i) + ".bmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(after), expected);
  }
}

TEST_F(NumberingTest, AFileUnderItsNumberKeepsItBesideAnEqualNumber) {
  Files("0", {"0.bmp", "1.bmp", "2.bmp", "3.BMP", "3.bmp"});
  Files("1", {"0.bmp", "0.BMP", "1.bmp"});
  const NumberingResult result = Run();
  ExpectFiles("0", {{"0.bmp", "0.bmp"}, {"1.bmp", "1.bmp"}, {"2.bmp", "2.bmp"}, {"3.bmp", "3.bmp"}, {"4.bmp", "3.BMP"}});
  // 0.bmp stays; 1.bmp moves on to 2.bmp before 0.BMP takes its name.
  ExpectFiles("1", {{"0.bmp", "0.bmp"}, {"1.bmp", "0.BMP"}, {"2.bmp", "1.bmp"}});
  EXPECT_EQ(result.renamed, 3);
  EXPECT_TRUE(result.refused.empty());
}

TEST_F(NumberingTest, DirectoryInTheWayStopsOnlyItsFolder) {
  Files("0", {"5.bmp", "6.bmp", "7.bmp", "8.bmp"});
  Directory("0", "2.bmp");
  Files("1", {"3.bmp", "holiday.bmp"});

  const NumberingResult result = Run();

  // 5 and 6 took 0 and 1; 7 could not take 2, and 8 keeps its name behind it.
  const Listing listing = List(Folder("0"));
  EXPECT_EQ(Names(listing), (std::vector<std::string>{"0.bmp", "1.bmp", "2.bmp", "7.bmp", "8.bmp"}));
  EXPECT_EQ(listing.at("0.bmp").content, "was 5.bmp");
  EXPECT_EQ(listing.at("1.bmp").content, "was 6.bmp");
  EXPECT_TRUE(listing.at("2.bmp").directory);
  EXPECT_EQ(ReadFile(Folder("0") + "2.bmp/inside"), "kept");
  EXPECT_EQ(listing.at("7.bmp").content, "was 7.bmp");
  EXPECT_EQ(listing.at("8.bmp").content, "was 8.bmp");
  // The next folder is still numbered.
  ExpectFiles("1", {{"0.bmp", "3.bmp"}, {"1.bmp", "holiday.bmp"}});

  EXPECT_EQ(result.renamed, 4);
  ASSERT_EQ(result.refused.size(), 1u);
  EXPECT_EQ(result.refused[0].from, Folder("0") + "7.bmp");
  EXPECT_EQ(result.refused[0].to, Folder("0") + "2.bmp");
  EXPECT_EQ(result.refused[0].error, EEXIST);
  EXPECT_EQ(std::count(m_log.begin(), m_log.end(), '\n'), 1) << m_log;
  EXPECT_NE(m_log.find("\"" + Folder("0") + "7.bmp\""), std::string::npos) << m_log;
  EXPECT_NE(m_log.find("2.bmp"), std::string::npos) << m_log;
}

TEST_F(NumberingTest, RefusalLineGoesToStandardError) {
  Files("0", {"4.bmp"});
  Directory("0", "0.bmp");
  ::testing::internal::CaptureStderr();
  const NumberingResult result = NumberPictures(m_album);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result.refused.size(), 1u);
  EXPECT_EQ(err.rfind("quenmira: ", 0), 0u) << err;
  EXPECT_NE(err.find(Folder("0") + "4.bmp"), std::string::npos) << err;
}

TEST_F(NumberingTest, RefusalLineStaysOneLineForAnyName) {
  Files("0", {"a\nb\"c.bmp"});
  Directory("0", "0.bmp");
  Run();
  EXPECT_EQ(std::count(m_log.begin(), m_log.end(), '\n'), 1) << m_log;
  EXPECT_NE(m_log.find("a\\x0Ab\\\"c.bmp"), std::string::npos) << m_log;
  EXPECT_EQ(ReadFile(Folder("0") + "a\nb\"c.bmp"), "was a\nb\"c.bmp");
}

TEST_F(NumberingTest, SilentWithoutLog) {
  Files("0", {"4.bmp"});
  Directory("0", "0.bmp");
  ::testing::internal::CaptureStderr();
  const NumberingResult result = NumberPictures(m_album, nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(result.refused.size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// NumberPictures: which folders

TEST_F(NumberingTest, FoldersAreChosenByNumber) {
  // Four sub-folders of any names: folders 0 to 3 are visited, 2 is missing and skipped.
  Files("0", {"9.bmp"});
  Files("1", {"9.bmp"});
  Files("3", {"9.bmp"});
  Files("extra", {"9.bmp"});
  Files("17", {"9.bmp"});
  WriteFile(m_album + "5", "a file, not a folder");  // does not count
  const NumberingResult result = Run();
  ExpectFiles("0", {{"0.bmp", "9.bmp"}});
  ExpectFiles("1", {{"0.bmp", "9.bmp"}});
  ExpectFiles("3", {{"0.bmp", "9.bmp"}});
  ExpectFiles("extra", {{"9.bmp", "9.bmp"}});
  ExpectFiles("17", {{"9.bmp", "9.bmp"}});
  EXPECT_EQ(result.renamed, 3);
}

TEST_F(NumberingTest, FewerFoldersThanNumbersLeavesTheRest) {
  Files("0", {"9.bmp"});
  Files("5", {"9.bmp"});
  Run();
  ExpectFiles("0", {{"0.bmp", "9.bmp"}});
  ExpectFiles("5", {{"9.bmp", "9.bmp"}});
}

TEST_F(NumberingTest, MissingAlbumDoesNothing) {
  const NumberingResult result = NumberPictures(m_root + "/none/", nullptr);
  EXPECT_EQ(result.renamed, 0);
  EXPECT_TRUE(result.refused.empty());
}

// ---------------------------------------------------------------------------------------------
// NumberPictures: property over random folders

// The order the pass must produce, up to names whose keys are equal.
bool NumberingLess(const std::string& a, const std::string& b) {
  const bool a_numbered = IsAllDigits(BaseName(a));
  const bool b_numbered = IsAllDigits(BaseName(b));
  if (a_numbered != b_numbered) return a_numbered;
  return a_numbered ? NumberedNameLess(a, b) : OtherNameLess(a, b);
}

// A random file name from the mixes users make: numbered (leading zeros, mixed-case extensions,
// values that repeat), other bitmap names (underscores, non-ASCII, letter case, .bmp inside the
// name) and names that are not bitmaps at all.
std::string RandomName(std::mt19937& rng) {
  const auto pick = [&](const std::vector<std::string>& choices) {
    return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(rng)];
  };
  const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const std::vector<std::string> bitmap_extensions = {".bmp", ".BMP", ".Bmp"};
  const std::vector<std::string> words = {"holiday", "Apple", "apple", "zoo", "_x",      "__",  "a_b",
                                          "été",     "Été",   "日本",  "Ωmega", "1a",    "a1",  "-",
                                          "Z",       "z",     "[",     "~",     "x.y",   " sp", "12a"};
  switch (below(6)) {
    case 0:
    case 1:
    case 2:
      return std::string(below(3) == 0 ? below(3) : 0, '0') + std::to_string(below(12)) + pick(bitmap_extensions);
    case 3:
      return pick(words) + (below(3) == 0 ? std::to_string(below(10)) : "") + pick(bitmap_extensions);
    case 4:
      return pick(words) + pick({".bmp.txt", ".BMP.jpg", ".bmpx"});  // bitmap-named, not numbered
    default:
      return pick(words) + pick({".jpg", ".txt", ".bMp", ".bmP", ""});  // not a bitmap name
  }
}

TEST_F(NumberingPropertyTest, ContentsKeptAndNamesNumbered) {
  int checked_distinct = 0;
  int checked_equal = 0;  // folders holding equal numbers
  for (unsigned seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    fs::remove_all(m_album);
    fs::create_directory(m_album);

    // Folders 0..count-1, each with up to 14 distinct names; the content names its origin and
    // adds random bytes (sometimes none beyond the tag).
    const int folder_count = std::uniform_int_distribution<int>(1, 3)(rng);
    std::vector<std::map<std::string, std::string>> origin(folder_count);  // content -> old name
    std::vector<Listing> before(folder_count);
    for (int f = 0; f < folder_count; ++f) {
      const std::string folder = std::to_string(f);
      fs::create_directories(Folder(folder));
      const int files = std::uniform_int_distribution<int>(0, 14)(rng);
      for (int i = 0; i < files; ++i) {
        const std::string name = RandomName(rng);
        if (fs::exists(Folder(folder) + name)) continue;
        std::string content = "#" + std::to_string(i) + ":";
        const int extra = std::uniform_int_distribution<int>(0, 20)(rng);
        for (int b = 0; b < extra; ++b) content += static_cast<char>(rng() & 0xFF);
        File(folder, name, content);
        origin[f][content] = name;
      }
      before[f] = List(Folder(folder));
    }

    const NumberingResult result = NumberPictures(m_album, nullptr);

    for (int f = 0; f < folder_count; ++f) {
      SCOPED_TRACE("folder " + std::to_string(f));
      const Listing after = List(Folder(std::to_string(f)));
      // No file lost, none duplicated, none changed.
      ASSERT_EQ(Contents(after), Contents(before[f]));

      std::vector<std::string> bitmaps;
      std::set<int> values;
      bool equal_values = false;
      for (const auto& [name, entry] : before[f]) {
        if (!IsBitmapNamedFile(name)) {
          EXPECT_EQ(after.count(name), 1u) << name << " is not a bitmap and keeps its name";
          continue;
        }
        bitmaps.push_back(name);
        if (IsAllDigits(BaseName(name)) && !values.insert(NumericValue(BaseName(name))).second) {
          equal_values = true;
        }
      }
      const std::string prefix = Folder(std::to_string(f));
      const auto refused = std::find_if(result.refused.begin(), result.refused.end(), [&](const auto& r) {
        return r.from.compare(0, prefix.size(), prefix) == 0;
      });
      // No directory is in the way: nothing can refuse, equal numbers included.
      EXPECT_EQ(refused, result.refused.end()) << refused->from;
      // Every bitmap now holds a number 0..k-1, in the order of their old names.
      std::vector<std::string> order;  // old names by new number
      for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        const auto it = after.find(std::to_string(i) + ".bmp");
        ASSERT_NE(it, after.end()) << i << ".bmp is missing";
        order.push_back(origin[f].at(it->second.content));
      }
      std::vector<std::string> sorted_order = order;
      std::sort(sorted_order.begin(), sorted_order.end());
      EXPECT_EQ(sorted_order, bitmaps);  // bitmaps come from a map, so sorted
      EXPECT_TRUE(std::is_sorted(order.begin(), order.end(), NumberingLess))
          << ::testing::PrintToString(order);
      ++(equal_values ? checked_equal : checked_distinct);
    }
  }
  // The generator must produce both kinds of folders for the property to mean something.
  EXPECT_GT(checked_distinct, 100);
  EXPECT_GT(checked_equal, 50);
}

}  // namespace
