#include "album/name_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace {

using Less = std::function<bool(std::string_view, std::string_view)>;

// Checks irreflexivity, asymmetry, transitivity and transitivity of equivalence over `names`,
// the properties std::sort relies on.
void ExpectStrictWeakOrdering(const Less& less, const std::vector<std::string>& names) {
  const auto equivalent = [&](const std::string& a, const std::string& b) {
    return !less(a, b) && !less(b, a);
  };
  for (const std::string& a : names) {
    EXPECT_FALSE(less(a, a)) << a;
    for (const std::string& b : names) {
      EXPECT_FALSE(less(a, b) && less(b, a)) << a << " / " << b;
      for (const std::string& c : names) {
        if (less(a, b) && less(b, c)) {
          EXPECT_TRUE(less(a, c)) << a << " < " << b << " < " << c;
        }
        if (equivalent(a, b) && equivalent(b, c)) {
          EXPECT_TRUE(equivalent(a, c)) << a << " ~ " << b << " ~ " << c;
        }
      }
    }
  }
}

std::vector<std::string> Sorted(std::vector<std::string> names, const Less& less) {
  std::sort(names.begin(), names.end(),
            [&](const std::string& a, const std::string& b) { return less(a, b); });
  return names;
}

const std::string kTwelveNines = "999999999999";

// ---------------------------------------------------------------------------------------------
// Reading names

TEST(NameOrderTest, IsAllDigits) {
  const std::pair<const char*, bool> cases[] = {
      {"0", true},   {"007", true}, {"25", true}, {kTwelveNines.c_str(), true},
      {"", false},   {"12a", false}, {"a12", false}, {"-1", false}, {"+1", false},
      {" 1", false}, {"1 ", false},  {"1.5", false}, {"\xd9\xa1", false},  // Arabic-Indic one
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(IsAllDigits(name), expected) << name;
}

TEST(NameOrderTest, NumericValue) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},
      {"7", 7},
      {"007", 7},
      {"100", 100},
      {"2147483646", 2147483646},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"4294967296", INT_MAX},  // would wrap to 0 in 32 bits
      {kTwelveNines.c_str(), INT_MAX},
      {"99999999999999999999999999999999", INT_MAX},
      // Non-digit texts: the value of the leading digits, 0 when there are none.
      {"12a", 12},
      {"3.bmp", 3},
      {"a12", 0},
      {"", 0},
      {"-5", 0},
      {" 5", 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(NumericValue(text), expected) << text;
}

TEST(NameOrderTest, BaseName) {
  const std::pair<const char*, const char*> cases[] = {
      {"10.bmp", "10"}, {"a.b.jpg", "a.b"}, {".bmp", ""},     {"noext", ""},
      {"x.", "x"},      {"", ""},           {"..", "."},      {"1.BMP", "1"},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(BaseName(name), expected) << name;
}

// ---------------------------------------------------------------------------------------------
// Orderings

TEST(NameOrderTest, FolderNameLessIsNumeric) {
  EXPECT_EQ(Sorted({"100", "10", "9", "0"}, FolderNameLess),
            (std::vector<std::string>{"0", "9", "10", "100"}));
  // Same value, same place: neither is less.
  EXPECT_FALSE(FolderNameLess("007", "7"));
  EXPECT_FALSE(FolderNameLess("7", "007"));
  EXPECT_FALSE(FolderNameLess(kTwelveNines, "2147483647"));
  EXPECT_FALSE(FolderNameLess("2147483647", kTwelveNines));
  EXPECT_TRUE(FolderNameLess("2147483646", kTwelveNines));
  ExpectStrictWeakOrdering(FolderNameLess, {"0", "00", "1", "01", "9", "10", "100", "2147483647",
                                            kTwelveNines, "12a", ""});
}

TEST(NameOrderTest, NumberedNameLessComparesBaseNames) {
  EXPECT_EQ(Sorted({"10.bmp", "2.bmp", "1.BMP"}, NumberedNameLess),
            (std::vector<std::string>{"1.BMP", "2.bmp", "10.bmp"}));
  EXPECT_TRUE(NumberedNameLess("9.jpg", "10.bmp"));
  EXPECT_FALSE(NumberedNameLess("03.bmp", "3.jpg"));
  EXPECT_FALSE(NumberedNameLess("3.jpg", "03.bmp"));
  EXPECT_FALSE(NumberedNameLess(kTwelveNines + ".bmp", "2147483647.bmp"));
  EXPECT_FALSE(NumberedNameLess("2147483647.bmp", kTwelveNines + ".bmp"));
  ExpectStrictWeakOrdering(NumberedNameLess,
                           {"0.bmp", "00.jpg", "1.BMP", "2.bmp", "10.bmp", "bmp", kTwelveNines +
                            ".bmp", "2147483647.jpg", "1.2.bmp"});
}

TEST(NameOrderTest, OtherNameLessFoldsAsciiLetters) {
  EXPECT_EQ(Sorted({"b.bmp", "A.bmp", "_x.bmp"}, OtherNameLess),
            (std::vector<std::string>{"_x.bmp", "A.bmp", "b.bmp"}));
  // Each pair is in order: first < second, and not the other way round.
  const std::pair<const char*, const char*> ordered[] = {
      {"1.bmp", "_x.bmp"},  // digits before underscore
      {"_x.bmp", "a.bmp"},  // underscore (95) before folded letters (97..122)
      {"[.bmp", "Z.bmp"},   // Z folds to 122, above '[' (91)
      {"a", "a.bmp"},       // end of name counts as 0
      {"a.bmp", "ab.bmp"},  // '.' (46) before 'b'
  };
  for (const auto& [first, second] : ordered) {
    EXPECT_TRUE(OtherNameLess(first, second)) << first << " < " << second;
    EXPECT_FALSE(OtherNameLess(second, first)) << first << " < " << second;
  }
  // Equal after folding: neither is less.
  EXPECT_FALSE(OtherNameLess("Cover.BMP", "cover.bmp"));
  EXPECT_FALSE(OtherNameLess("cover.bmp", "Cover.BMP"));
}

TEST(NameOrderTest, OtherNameLessComparesUtf16Units) {
  const std::string e_acute = "\xc3\xa9";                  // U+00E9
  const std::string E_acute = "\xc3\x89";                  // U+00C9, not folded
  const std::string nihon = "\xe6\x97\xa5\xe6\x9c\xac";    // U+65E5 U+672C
  const std::string emoji = "\xf0\x9f\x98\x80";            // U+1F600 = D83D DE00
  const std::string fullwidth_a = "\xef\xbc\xa1";          // U+FF21
  const std::string stray = "\xff";                        // escaped to DCFF

  // In code point order the emoji would come last; in UTF-16 units it sits before U+E000..U+FFFF.
  EXPECT_TRUE(OtherNameLess(emoji, fullwidth_a));
  EXPECT_FALSE(OtherNameLess(fullwidth_a, emoji));
  EXPECT_TRUE(OtherNameLess(nihon, emoji));
  EXPECT_TRUE(OtherNameLess(emoji, stray));  // D83D < DCFF
  EXPECT_TRUE(OtherNameLess("z", e_acute));
  EXPECT_TRUE(OtherNameLess(E_acute, e_acute));  // only A-Z fold
  EXPECT_TRUE(OtherNameLess(e_acute, nihon));

  EXPECT_EQ(Sorted({stray, fullwidth_a, emoji, nihon, e_acute, E_acute, "Z", "a"}, OtherNameLess),
            (std::vector<std::string>{"a", "Z", E_acute, e_acute, nihon, emoji, stray,
                                      fullwidth_a}));
  ExpectStrictWeakOrdering(OtherNameLess, {"", "a", "A", "a.bmp", "A.BMP", "_x.bmp", "1.bmp",
                                           "b.bmp", e_acute, E_acute, nihon, emoji, fullwidth_a,
                                           stray, "\x80", "\xed\xb2\x80"});
}

}  // namespace

TEST(NameMarks, ContainsAnyOfComparesCaseSensitivelyAnywhere) {
  EXPECT_TRUE(ContainsAnyOf("a.jpg.txt", {".png", ".jpg"}));
  EXPECT_TRUE(ContainsAnyOf(".jpg", {".jpg"}));
  EXPECT_FALSE(ContainsAnyOf("a.Jpg", {".jpg", ".JPG"}));
  EXPECT_FALSE(ContainsAnyOf("a.jp", {".jpg"}));
  EXPECT_FALSE(ContainsAnyOf("", {".jpg"}));
  EXPECT_FALSE(ContainsAnyOf("a.jpg", {}));
}

TEST(NameMarks, JpegNamedFiles) {
  for (const char* name : {"a.jpg", "a.jpeg", "a.JPG", "a.JPEG", "notes.jpg.txt", "photo.jpg.bmp", ".jpg"}) {
    EXPECT_TRUE(IsJpegNamedFile(name)) << name;
  }
  for (const char* name : {"scan.Jpg", "scan.png", "a.jpe", "jpg", "a.bmp", "a_jpg"}) {
    EXPECT_FALSE(IsJpegNamedFile(name)) << name;
  }
}

TEST(NameMarks, ImportNamedFilesAreJpegNamesAndOtherPictureExtensionsInAnyCase) {
  for (const char* name : {"a.jpg", "notes.JPEG.txt", "a.png", "a.PNG", "a.webp", "a.WebP", "a.tif", "a.TIFF",
                           "a.gif", "a.Gif", "a.heic", "a.HEIC", "a.heif", "a.avif", "x.bmp.png", ".png"}) {
    EXPECT_TRUE(IsImportNamedFile(name)) << name;
  }
  for (const char* name : {"scan.Jpg", "a.png.txt", "a.pngx", "png", "a_png", "a.bmp", "a.tiff~", "a.apng", "a."}) {
    EXPECT_FALSE(IsImportNamedFile(name)) << name;
  }
}

TEST(NameMarks, BitmapNamedFiles) {
  const std::pair<const char*, bool> cases[] = {
      {"0.bmp", true},      {"1.BMP", true},          {"cover.Bmp", true},   {"notes.bmp.txt", true},
      {".bmp", true},       {"a.bmpx", true},         {"scan.bMp", false},   {"scan.BmP", false},
      {"scan.bmP", false},  {"photo.jpg", false},     {"readme.txt", false}, {"bmp", false},
      {"a_bmp", false},     {"", false},
  };
  for (const auto& [name, expected] : cases) {
    EXPECT_EQ(IsBitmapNamedFile(name), expected) << name;
  }
}
