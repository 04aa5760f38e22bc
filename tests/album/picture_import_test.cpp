#include "album/picture_import.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "album/bitmap_writer.h"
#include "album/name_order.h"
#include "platform/image/image_codec.h"
#include "platform/image/picture_header.h"
#include "platform/image/picture_orientation.h"
#include "platform/window/client_surface.h"
#include "platform/window/message_box.h"
#include "platform/window/window_system.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr Pixel kRed = 0xFF0000;
constexpr Pixel kGreen = 0x00FF00;
constexpr Pixel kBlue = 0x0000FF;
constexpr Pixel kWhite = 0xFFFFFF;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A picture in four flat quadrants: red top-left, green top-right, blue bottom-left, white
// bottom-right; flat areas survive JPEG compression well enough to recognise.
DecodedPicture Quadrants(int width, int height) {
  DecodedPicture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const bool bottom = y >= height / 2;
      picture.pixels.push_back(bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed));
    }
  }
  return picture;
}

DecodedPicture Flat(int width, int height, Pixel color) {
  return DecodedPicture{width, height, std::vector<Pixel>(static_cast<std::size_t>(width) * height, color)};
}

void WriteJpeg(const fs::path& path, const DecodedPicture& picture) {
  ASSERT_TRUE(EncodeJpegFile(picture, path.string(), 95)) << path;
}

// An APP1 "Exif" segment holding one orientation entry, in big- or little-endian TIFF order.
Bytes ExifSegment(int orientation, bool big_endian) {
  auto u16 = [&](Bytes& b, unsigned v) {
    if (big_endian) {
      b.push_back(static_cast<std::uint8_t>(v >> 8));
      b.push_back(static_cast<std::uint8_t>(v));
    } else {
      b.push_back(static_cast<std::uint8_t>(v));
      b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  };
  auto u32 = [&](Bytes& b, unsigned v) {
    if (big_endian) {
      u16(b, v >> 16);
      u16(b, v & 0xFFFF);
    } else {
      u16(b, v & 0xFFFF);
      u16(b, v >> 16);
    }
  };
  Bytes tiff = big_endian ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
  u16(tiff, 42);
  u32(tiff, 8);  // first directory right after the header
  u16(tiff, 2);  // two entries: another tag first, then the orientation
  u16(tiff, 0x010F);  // maker, ASCII, 4 bytes inline
  u16(tiff, 2);
  u32(tiff, 4);
  tiff.insert(tiff.end(), {'Q', 'm', 'r', 0});
  u16(tiff, 0x0112);
  u16(tiff, 3);  // short
  u32(tiff, 1);
  u16(tiff, static_cast<unsigned>(orientation));
  u16(tiff, 0);
  u32(tiff, 0);  // no next directory
  Bytes segment{0xFF, 0xE1};
  const std::size_t length = 2 + 6 + tiff.size();
  segment.push_back(static_cast<std::uint8_t>(length >> 8));
  segment.push_back(static_cast<std::uint8_t>(length));
  segment.insert(segment.end(), {'E', 'x', 'i', 'f', 0, 0});
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  return segment;
}

// Puts an EXIF orientation segment right after the JPEG file's start-of-image marker.
void InsertExifOrientation(const fs::path& path, int orientation, bool big_endian = true) {
  Bytes file = ReadBytes(path);
  ASSERT_GE(file.size(), 4u);
  const Bytes segment = ExifSegment(orientation, big_endian);
  file.insert(file.begin() + 2, segment.begin(), segment.end());
  WriteBytes(path, file);
}

struct BmpInfo {
  int width = 0;
  int height = 0;
  int bits = 0;
  Bytes bytes;
};

BmpInfo ReadBmp(const fs::path& path) {
  BmpInfo info;
  info.bytes = ReadBytes(path);
  if (info.bytes.size() < 54 || info.bytes[0] != 'B' || info.bytes[1] != 'M') return info;
  auto le32 = [&](std::size_t at) {
    return static_cast<std::int32_t>(info.bytes[at] | (info.bytes[at + 1] << 8) | (info.bytes[at + 2] << 16) |
                                     (static_cast<std::uint32_t>(info.bytes[at + 3]) << 24));
  };
  info.width = le32(18);
  info.height = le32(22);
  info.bits = info.bytes[28];
  return info;
}

// The colour at (x, y) from the top of a 24-bit bottom-up file.
Pixel BmpPixel(const BmpInfo& bmp, int x, int y) {
  const std::size_t row = static_cast<std::size_t>(BitmapRowBytes(bmp.width));
  const std::size_t at = 54 + row * static_cast<std::size_t>(bmp.height - 1 - y) + static_cast<std::size_t>(x) * 3;
  return (Pixel{bmp.bytes[at + 2]} << 16) | (Pixel{bmp.bytes[at + 1]} << 8) | Pixel{bmp.bytes[at]};
}

bool Near(Pixel a, Pixel b, int tolerance = 48) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
      return false;
    }
  }
  return true;
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

class PictureImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeShownMessages();
    fs::create_directories("album/0");
  }
  void TearDown() override { SetBitmapWriteLimitForTesting(-1); }

  ImportResult Import() {
    SilentImport silent;
    return ImportPictures("./album/", silent);
  }

  HeadlessSession session_{200, 100};
};

// --- Names ----------------------------------------------------------------------------------

TEST(ImportNames, TargetAndCandidateNames) {
  EXPECT_EQ(ImportTargetName("holiday.jpg"), "holiday.bmp");
  EXPECT_EQ(ImportTargetName("a.b.jpeg"), "a.b.bmp");
  EXPECT_EQ(ImportTargetName("scan.JPG.txt"), "scan.JPG.bmp");
  EXPECT_EQ(ImportTargetName("photo.jpg.bmp"), "photo.jpg.bmp");
  EXPECT_EQ(ImportCandidateName("photo.bmp", 0), "photo.bmp");
  EXPECT_EQ(ImportCandidateName("photo.bmp", 1), "photo~1.bmp");
  EXPECT_EQ(ImportCandidateName("photo.bmp", 12), "photo~12.bmp");
  EXPECT_EQ(ImportCandidateName("a.b.bmp", 2), "a.b~2.bmp");
}

// --- Orientation and headers ----------------------------------------------------------------

// Places a 3 x 2 picture a b c / d e f by each orientation and compares with the displayed result.
TEST(Orientation, EveryOrientationOnASmallPicture) {
  const std::vector<int> stored{1, 2, 3, 4, 5, 6};  // a..f
  struct Case {
    int orientation;
    int width;
    std::vector<int> displayed;
  };
  const std::vector<Case> cases{
      {1, 3, {1, 2, 3, 4, 5, 6}}, {2, 3, {3, 2, 1, 6, 5, 4}}, {3, 3, {6, 5, 4, 3, 2, 1}},
      {4, 3, {4, 5, 6, 1, 2, 3}}, {5, 2, {1, 4, 2, 5, 3, 6}}, {6, 2, {4, 1, 5, 2, 6, 3}},
      {7, 2, {6, 3, 5, 2, 4, 1}}, {8, 2, {3, 6, 2, 5, 1, 4}}, {0, 3, {1, 2, 3, 4, 5, 6}},
      {9, 3, {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    const OrientedSize size = DisplayedSize(c.orientation, 3, 2);
    EXPECT_EQ(size.width, c.width) << c.orientation;
    EXPECT_EQ(size.width * size.height, 6);
    std::vector<int> out(6, 0);
    for (int y = 0; y < 2; ++y) {
      const OrientedRow row = OrientedRowPlacement(c.orientation, 3, 2, y);
      for (int x = 0; x < 3; ++x) out[static_cast<std::size_t>(row.start + x * row.step)] = stored[y * 3 + x];
    }
    EXPECT_EQ(out, c.displayed) << "orientation " << c.orientation;
  }
}

TEST(PictureHeader, ReadsOrientationInBothByteOrders) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    for (bool big : {true, false}) {
      Bytes file{0xFF, 0xD8};
      const Bytes exif = ExifSegment(orientation, big);
      file.insert(file.end(), exif.begin(), exif.end());
      file.insert(file.end(), {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
      EXPECT_EQ(JpegExifOrientation(file), orientation) << orientation << " " << big;
    }
  }
  Bytes bad{0xFF, 0xD8};
  const Bytes exif = ExifSegment(0, true);
  bad.insert(bad.end(), exif.begin(), exif.end());
  EXPECT_EQ(JpegExifOrientation(bad), 1);
  EXPECT_EQ(JpegExifOrientation(Bytes{}), 1);
}

TEST(PictureHeader, CutAndMutatedSegmentsAreSafe) {
  Bytes file{0xFF, 0xD8};
  const Bytes exif = ExifSegment(6, false);
  file.insert(file.end(), exif.begin(), exif.end());
  file.insert(file.end(), {0xFF, 0xC0, 0x00, 0x0B, 8, 0x01, 0x00, 0x02, 0x00, 1, 1, 0x11, 0});
  for (std::size_t cut = 0; cut <= file.size(); ++cut) {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
    const int orientation = JpegExifOrientation(prefix);
    EXPECT_TRUE(orientation == 1 || orientation == 6);
    (void)DeclaredPictureSize(prefix);
  }
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    Bytes mutated = file;
    for (int flips = 0; flips < 3; ++flips) {
      mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
    }
    const int orientation = JpegExifOrientation(mutated);
    EXPECT_GE(orientation, 1);
    EXPECT_LE(orientation, 8);
    (void)DeclaredPictureSize(mutated);
  }
  const std::optional<DeclaredSize> size = DeclaredPictureSize(file);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 512);
  EXPECT_EQ(size->height, 256);
}

// --- The codec --------------------------------------------------------------------------------

class ImageCodecTest : public PictureImportTest {};

TEST_F(ImageCodecTest, DecodesAJpegWrittenByTheCodec) {
  WriteJpeg("q.jpg", Quadrants(64, 32));
  const std::optional<DecodedPicture> picture = DecodePictureFile("q.jpg").picture;
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 64);
  EXPECT_EQ(picture->height, 32);
  EXPECT_TRUE(Near(picture->pixels[5 * 64 + 5], kRed));
  EXPECT_TRUE(Near(picture->pixels[5 * 64 + 60], kGreen));
  for (Pixel p : picture->pixels) ASSERT_EQ(p & 0xFF000000u, 0u);
}

TEST_F(ImageCodecTest, HugeDeclaredSizeIsRefusedBeforeDecoding) {
  WriteJpeg("q.jpg", Flat(16, 16, kRed));
  Bytes file = ReadBytes("q.jpg");
  // Patch the frame header to 65000 x 65000.
  bool patched = false;
  for (std::size_t at = 2; at + 9 < file.size(); ++at) {
    if (file[at] == 0xFF && file[at + 1] == 0xC0) {
      file[at + 5] = file[at + 7] = 0xFD;
      file[at + 6] = file[at + 8] = 0xE8;
      patched = true;
      break;
    }
  }
  ASSERT_TRUE(patched);
  WriteBytes("huge.jpg", file);
  EXPECT_EQ(DecodePictureFile("huge.jpg").failure, "too large");
  EXPECT_EQ(DecodePictureFile("missing.jpg").failure, "cannot read the file");
}

// --- The pass ---------------------------------------------------------------------------------

TEST_F(PictureImportTest, HolidayBesideANumberedBitmap) {
  WriteJpeg("album/0/holiday.jpg", Quadrants(30, 20));
  WriteTinyBitmap("album/0/3.bmp");
  const Bytes numbered = ReadBytes("album/0/3.bmp");
  const ImportResult result = Import();
  EXPECT_TRUE(result.root_listed);
  EXPECT_EQ(result.found, 1);
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"3.bmp", "holiday.bmp"}));
  EXPECT_EQ(ReadBytes("album/0/3.bmp"), numbered);
  const BmpInfo bmp = ReadBmp("album/0/holiday.bmp");
  EXPECT_EQ(bmp.width, 30);
  EXPECT_EQ(bmp.height, 20);
  EXPECT_EQ(bmp.bits, 24);
  EXPECT_EQ(bmp.bytes.size(), BitmapFileBytes(30, 20));
  EXPECT_TRUE(Near(BmpPixel(bmp, 3, 3), kRed));
  EXPECT_TRUE(Near(BmpPixel(bmp, 27, 17), kWhite));
  EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(PictureImportTest, ATakenTargetNameKeepsBothPictures) {
  WriteJpeg("album/0/photo.jpg", Flat(8, 8, kBlue));
  WriteTinyBitmap("album/0/photo.bmp");
  std::ofstream("album/0/photo~1.bmp") << "someone else's";
  const Bytes mine = ReadBytes("album/0/photo.bmp");
  const ImportResult result = Import();
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"photo.bmp", "photo~1.bmp", "photo~2.bmp"}));
  EXPECT_EQ(ReadBytes("album/0/photo.bmp"), mine);
  EXPECT_EQ(ReadBmp("album/0/photo~2.bmp").width, 8);
}

TEST_F(PictureImportTest, ManyPicturesForOneNameAreNamedInListingOrderEachWithItsOwnPixels) {
  // More pictures than are decoded or stored at once, all wanting "beach.bmp".
  const Pixel colours[] = {kRed, kGreen, kBlue, kWhite, 0x808000, 0x008080, 0x800080};
  const char* names[] = {"beach.jpg", "beach.jpeg", "beach.JPG", "beach.JPEG", "beach.jpgx", "beach.jpegz",
                         "beach.JPGa"};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    WriteJpeg(std::string("album/0/") + names[i], Flat(8 + static_cast<int>(i), 8, colours[i]));
  }
  std::vector<std::string> listing(std::begin(names), std::end(names));
  std::sort(listing.begin(), listing.end());  // the pass meets them in byte order
  const ImportResult result = Import();
  ASSERT_EQ(result.converted, static_cast<int>(std::size(names)));
  for (std::size_t k = 0; k < listing.size(); ++k) {
    const std::size_t i = static_cast<std::size_t>(std::find(std::begin(names), std::end(names), listing[k]) - std::begin(names));
    ASSERT_LT(i, std::size(names));
    const std::string bitmap = k == 0 ? "album/0/beach.bmp" : "album/0/beach~" + std::to_string(k) + ".bmp";
    const BmpInfo bmp = ReadBmp(bitmap);
    EXPECT_EQ(bmp.width, 8 + static_cast<int>(i)) << bitmap << " should hold " << listing[k];
    EXPECT_TRUE(Near(BmpPixel(bmp, 4, 4), colours[i])) << bitmap;
  }
  EXPECT_EQ(Names("album/0").size(), std::size(names));  // the JPEGs are gone, no file is left over
}

TEST_F(PictureImportTest, AJpegWhoseTargetIsItsOwnNameIsReplacedByItsBitmap) {
  WriteJpeg("album/0/photo.jpg.bmp", Flat(10, 6, kGreen));
  const ImportResult result = Import();
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(Names("album/0"), std::set<std::string>{"photo.jpg.bmp"});
  const BmpInfo bmp = ReadBmp("album/0/photo.jpg.bmp");
  EXPECT_EQ(bmp.width, 10);
  EXPECT_EQ(bmp.height, 6);
  // A second pass finds a bitmap under a JPEG name: it decodes it and writes it again, unchanged.
  const Bytes first = bmp.bytes;
  EXPECT_EQ(Import().converted, 1);
  EXPECT_EQ(ReadBytes("album/0/photo.jpg.bmp"), first);
}

TEST_F(PictureImportTest, MixedCaseJpegAndOtherNamesAreLeftAlone) {
  WriteJpeg("album/0/scan.Jpg", Flat(8, 8, kRed));
  WriteJpeg("album/0/scan.png.txt", Flat(8, 8, kRed));
  const Bytes jpg = ReadBytes("album/0/scan.Jpg");
  const ImportResult result = Import();
  EXPECT_EQ(result.found, 0);
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"scan.Jpg", "scan.png.txt"}));
  EXPECT_EQ(ReadBytes("album/0/scan.Jpg"), jpg);
}

TEST_F(PictureImportTest, JpegContentUnderAnotherPictureNameIsConverted) {
  WriteJpeg("album/0/scan.png", Flat(8, 8, kRed));
  EXPECT_EQ(Import().converted, 1);
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"scan.bmp"}));
}

TEST_F(PictureImportTest, ExifOrientationComesOutUpright) {
  struct Case {
    int orientation;
    Pixel top_left, top_right, bottom_left, bottom_right;
  };
  // The stored picture: red top-left, green top-right, blue bottom-left, white bottom-right.
  const std::vector<Case> cases{
      {6, kBlue, kRed, kWhite, kGreen},
      {3, kWhite, kBlue, kGreen, kRed},
      {8, kGreen, kWhite, kRed, kBlue},
  };
  for (const Case& c : cases) {
    const std::string name = "o" + std::to_string(c.orientation);
    WriteJpeg("album/0/" + name + ".jpg", Quadrants(64, 32));
    InsertExifOrientation("album/0/" + name + ".jpg", c.orientation, c.orientation != 3);
  }
  EXPECT_EQ(Import().converted, 3);
  for (const Case& c : cases) {
    const BmpInfo bmp = ReadBmp("album/0/o" + std::to_string(c.orientation) + ".bmp");
    const bool turned = c.orientation != 3;
    EXPECT_EQ(bmp.width, turned ? 32 : 64) << c.orientation;
    EXPECT_EQ(bmp.height, turned ? 64 : 32) << c.orientation;
    const int w = bmp.width;
    const int h = bmp.height;
    EXPECT_TRUE(Near(BmpPixel(bmp, 4, 4), c.top_left)) << c.orientation;
    EXPECT_TRUE(Near(BmpPixel(bmp, w - 5, 4), c.top_right)) << c.orientation;
    EXPECT_TRUE(Near(BmpPixel(bmp, 4, h - 5), c.bottom_left)) << c.orientation;
    EXPECT_TRUE(Near(BmpPixel(bmp, w - 5, h - 5), c.bottom_right)) << c.orientation;
  }
}

TEST_F(PictureImportTest, FoldersAreVisitedByNumber) {
  for (int w = 0; w <= 20; ++w) fs::create_directories("album/" + std::to_string(w));
  fs::create_directories("album/extra");
  for (int w = 0; w <= 20; ++w) WriteJpeg("album/" + std::to_string(w) + "/p.jpg", Flat(4, 4, kRed));
  WriteJpeg("album/extra/p.jpg", Flat(4, 4, kRed));
  const ImportResult result = Import();  // 22 sub-folders: 0 to 21 visited, 21 missing
  EXPECT_EQ(result.found, 21);
  EXPECT_EQ(result.converted, 21);
  EXPECT_TRUE(fs::exists("album/20/p.bmp"));
  EXPECT_FALSE(fs::exists("album/20/p.jpg"));
  EXPECT_TRUE(fs::exists("album/extra/p.jpg"));
  EXPECT_FALSE(fs::exists("album/extra/p.bmp"));
}

TEST_F(PictureImportTest, AFolderNumberedAtOrAboveTheCountIsNeverVisited) {
  for (int w = 0; w <= 20; ++w) fs::create_directories("album/" + std::to_string(w));
  fs::create_directories("album/25");
  WriteJpeg("album/25/p.jpg", Flat(4, 4, kRed));
  WriteJpeg("album/20/p.jpg", Flat(4, 4, kRed));
  const ImportResult result = Import();  // 22 sub-folders: 0 to 21
  EXPECT_EQ(result.found, 1);
  EXPECT_TRUE(fs::exists("album/20/p.bmp"));
  EXPECT_TRUE(fs::exists("album/25/p.jpg"));
  EXPECT_FALSE(fs::exists("album/25/p.bmp"));
}

TEST_F(PictureImportTest, BadFilesStayWithWrongParamAndThePassGoesOn) {
  WriteJpeg("album/0/good.jpg", Flat(16, 16, kRed));
  const Bytes good = ReadBytes("album/0/good.jpg");
  WriteBytes("album/0/empty.jpg", {});
  WriteBytes("album/0/truncated.jpg", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)));
  Bytes corrupt = good;
  std::fill(corrupt.begin() + 20, corrupt.begin() + 200, std::uint8_t{0x5A});  // tables destroyed
  WriteBytes("album/0/corrupt.jpg", corrupt);
  std::mt19937 random(11);
  Bytes noise(3000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  WriteBytes("album/0/noise.jpeg", noise);
  const ImportResult result = Import();
  EXPECT_EQ(result.found, 5);
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(result.failed, 4);
  EXPECT_EQ(TakeShownMessages(), std::vector<std::string>(4, "wrong param"));
  EXPECT_EQ(Names("album/0"),
            (std::set<std::string>{"good.bmp", "empty.jpg", "truncated.jpg", "corrupt.jpg", "noise.jpeg"}));
  EXPECT_EQ(ReadBytes("album/0/corrupt.jpg"), corrupt);
}

// A camera-like picture: a smooth gradient with fine detail, so that its scan data is long.
DecodedPicture Detailed(int width, int height) {
  DecodedPicture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Pixel r = static_cast<Pixel>(x * 255 / width), g = static_cast<Pixel>(y * 255 / height);
      const Pixel b = static_cast<Pixel>(((x * 7) ^ (y * 13)) & 0xFF);
      picture.pixels.push_back((r << 16) | (g << 8) | b);
    }
  }
  return picture;
}

TEST_F(PictureImportTest, AJpegWithDamagedScanDataStaysByteIdenticalAndGetsNoBitmap) {
  WriteJpeg("album/0/damaged.jpg", Detailed(160, 120));
  Bytes damaged = ReadBytes("album/0/damaged.jpg");
  // 32 bytes in the middle of the scan data changed, none to FF and none after an FF, so every
  // marker stays as it was. libjpeg decodes this to the end with "Corrupt JPEG data" warnings
  // (djpeg's status 2), giving grey and black bands.
  const std::uint8_t start_of_scan[] = {0xFF, 0xDA};
  const auto scan = std::search(damaged.begin(), damaged.end(), std::begin(start_of_scan), std::end(start_of_scan));
  ASSERT_NE(scan, damaged.end());
  const std::size_t middle = static_cast<std::size_t>(scan - damaged.begin()) + (damaged.end() - scan) / 2;
  for (std::size_t at = middle; at < middle + 32; ++at) {
    if (damaged[at] != 0xFF && damaged[at - 1] != 0xFF) damaged[at] = static_cast<std::uint8_t>(at * 37 % 0xFF);
  }
  WriteBytes("album/0/damaged.jpg", damaged);
  WriteJpeg("album/0/good.jpg", Flat(8, 8, kBlue));
  ::testing::internal::CaptureStderr();
  const ImportResult result = Import();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result.found, 2);
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(result.failed, 1);
  EXPECT_EQ(TakeShownMessages(), std::vector<std::string>{"wrong param"});
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"damaged.jpg", "good.bmp"}));
  EXPECT_EQ(ReadBytes("album/0/damaged.jpg"), damaged);
  // One line names the file and the damage (the headless message box prints "wrong param" too).
  EXPECT_NE(said.find("quenmira: cannot decode; the file stays: \"./album/0/damaged.jpg\" (damaged data: Corrupt JPEG data"),
            std::string::npos) << said;
  EXPECT_EQ(said.find("damaged.jpg"), said.rfind("damaged.jpg")) << said;
}

TEST_F(PictureImportTest, AHugeDeclaredSizeStaysWithWrongParamAndThePassGoesOn) {
  WriteJpeg("album/0/a.jpg", Flat(16, 16, kRed));
  Bytes huge = ReadBytes("album/0/a.jpg");
  WriteJpeg("album/0/b.jpg", Flat(8, 8, kBlue));
  // The frame header says 65000 x 65000: far more memory than any picture may take.
  const std::uint8_t start_of_frame[] = {0xFF, 0xC0};
  auto frame = std::search(huge.begin(), huge.end(), std::begin(start_of_frame), std::end(start_of_frame));
  ASSERT_NE(frame, huge.end());
  const std::size_t at = static_cast<std::size_t>(frame - huge.begin());
  huge[at + 5] = huge[at + 7] = 0xFD;
  huge[at + 6] = huge[at + 8] = 0xE8;
  WriteBytes("album/0/a.jpg", huge);
  const ImportResult result = Import();
  EXPECT_EQ(result.found, 2);
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(result.failed, 1);
  EXPECT_EQ(TakeShownMessages(), std::vector<std::string>{"wrong param"});
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"a.jpg", "b.bmp"}));
  EXPECT_EQ(ReadBytes("album/0/a.jpg"), huge);
}

TEST_F(PictureImportTest, UnusualNamesAreConverted) {
  const std::vector<std::string> bases{"my holiday 'one'", "say \"cheese\"", "line\nbreak", "Ünïcødé 照片",
                                       " lead space"};
  for (const std::string& base : bases) WriteJpeg("album/0/" + base + ".jpg", Flat(4, 4, kGreen));
  EXPECT_EQ(Import().converted, static_cast<int>(bases.size()));
  std::set<std::string> expected;
  for (const std::string& base : bases) expected.insert(base + ".bmp");
  EXPECT_EQ(Names("album/0"), expected);
}

TEST_F(PictureImportTest, AFullDiskKeepsTheJpeg) {
  WriteJpeg("album/0/big.jpg", Flat(40, 30, kRed));
  WriteTinyBitmap("album/0/big.bmp");
  const Bytes jpeg = ReadBytes("album/0/big.jpg");
  const Bytes bitmap = ReadBytes("album/0/big.bmp");
  SetBitmapWriteLimitForTesting(1000);  // the bitmap needs 3654 bytes
  const ImportResult result = Import();
  EXPECT_EQ(result.converted, 0);
  EXPECT_EQ(result.failed, 1);
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"big.jpg", "big.bmp"}));
  EXPECT_EQ(ReadBytes("album/0/big.jpg"), jpeg);
  EXPECT_EQ(ReadBytes("album/0/big.bmp"), bitmap);
  EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(PictureImportTest, AReadOnlyFolderKeepsTheJpeg) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
  WriteJpeg("album/0/p.jpg", Flat(4, 4, kRed));
  fs::permissions("album/0", fs::perms::owner_read | fs::perms::owner_exec);
  const ImportResult result = Import();
  fs::permissions("album/0", fs::perms::owner_all);
  EXPECT_EQ(result.failed, 1);
  EXPECT_EQ(Names("album/0"), std::set<std::string>{"p.jpg"});
}

TEST_F(PictureImportTest, MissingAlbumRootIsReported) {
  fs::remove_all("album");
  const ImportResult result = Import();
  EXPECT_FALSE(result.root_listed);
  EXPECT_EQ(result.found, 0);
  EXPECT_TRUE(TakeShownMessages().empty());
}

// --- Drawing ----------------------------------------------------------------------------------

Pixel SurfacePixel(int x, int y) {
  Pixel value = 0;
  window_system::Surface()->Read([&](const PixelBuffer& pixels) { value = pixels.Row(y)[x] & 0xFFFFFF; });
  return value;
}

bool AnyLitIn(int left, int top, int right, int bottom) {
  bool lit = false;
  window_system::Surface()->Read([&](const PixelBuffer& pixels) {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) lit = lit || (pixels.Row(y)[x] & 0xFFFFFF) != 0;
    }
  });
  return lit;
}

TEST_F(PictureImportTest, DrawsThePictureCentredOnBlackWithProgress) {
  session_.OpenWindow();
  ASSERT_NE(window_system::Surface(), nullptr);
  WriteJpeg("album/0/p.jpg", Flat(41, 21, kBlue));
  WindowImportDisplay display(nullptr, 200, 100);
  EXPECT_EQ(ImportPictures("./album/", display).converted, 1);
  // x = (200 - 41) / 2 = 79, y = (100 - 21) / 2 = 39.
  EXPECT_TRUE(Near(SurfacePixel(79, 39), kBlue));
  EXPECT_TRUE(Near(SurfacePixel(119, 59), kBlue));
  EXPECT_EQ(SurfacePixel(78, 39), 0u);
  EXPECT_EQ(SurfacePixel(120, 59), 0u);
  EXPECT_EQ(SurfacePixel(199, 99), 0u);
  EXPECT_TRUE(AnyLitIn(0, 0, 70, 30));  // "1 of 1"
}

TEST_F(PictureImportTest, APictureLargerThanTheScreenIsClipped) {
  session_.OpenWindow();
  WriteJpeg("album/0/p.jpg", Flat(400, 300, kGreen));
  WindowImportDisplay display(nullptr, 200, 100);
  EXPECT_EQ(ImportPictures("./album/", display).converted, 1);
  EXPECT_TRUE(Near(SurfacePixel(199, 99), kGreen));
  EXPECT_TRUE(Near(SurfacePixel(100, 50), kGreen));
}

TEST_F(PictureImportTest, WithoutAWindowNothingIsDrawnAndTheFilesAreConverted) {
  WriteJpeg("album/0/p.jpg", Flat(8, 8, kGreen));
  WindowImportDisplay display(nullptr, 200, 100);
  EXPECT_EQ(ImportPictures("./album/", display).converted, 1);
  EXPECT_TRUE(fs::exists("album/0/p.bmp"));
}


// --- Other formats ----------------------------------------------------------------------------

// Runs `command` in the test's folder (ImageMagick's convert, which writes HEIC and AVIF through libheif).
void RunTool(const std::string& command) { ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command; }

TEST_F(PictureImportTest, EveryOtherFormatBecomesOneBitmapAndItsFileGoes) {
  // 30 x 20: red left half, blue right half; each made from the same PNG.
  RunTool("convert -size 15x20 xc:'rgb(220,30,30)' -size 15x20 xc:'rgb(40,60,230)' +append source.png");
  const std::vector<std::pair<std::string, std::string>> made{
      {"a.png", "cp source.png album/0/a.png"},
      {"b.GIF", "convert source.png album/0/b.GIF"},
      {"c.tif", "convert source.png -compress lzw album/0/c.tif"},
      {"d.TIFF", "convert source.png album/0/d.TIFF"},
      {"e.webp", "convert source.png -quality 95 album/0/e.webp"},
      {"f.heic", "convert source.png -quality 95 heic:album/0/f.heic"},
      {"g.Heif", "convert source.png -quality 95 heic:album/0/g.Heif"},
      {"h.avif", "convert source.png -quality 95 album/0/h.avif"},
  };
  for (const auto& [name, command] : made) RunTool(command);
  const ImportResult result = Import();
  EXPECT_EQ(result.found, static_cast<int>(made.size()));
  EXPECT_EQ(result.converted, static_cast<int>(made.size()));
  EXPECT_TRUE(TakeShownMessages().empty());
  std::set<std::string> expected;
  for (const auto& [name, command] : made) expected.insert(BaseName(name) + ".bmp");
  EXPECT_EQ(Names("album/0"), expected);
  for (const std::string& bitmap : expected) {
    const BmpInfo bmp = ReadBmp(fs::path("album/0") / bitmap);
    EXPECT_EQ(bmp.width, 30) << bitmap;
    EXPECT_EQ(bmp.height, 20) << bitmap;
    // PNG, GIF and TIFF exactly; lossy WebP, HEIC and AVIF within their loss.
    const bool lossless = bitmap[0] <= 'd';
    const int tolerance = lossless ? 0 : 24;
    EXPECT_TRUE(Near(BmpPixel(bmp, 3, 10), 0xDC1E1E, tolerance)) << bitmap << std::hex << " " << BmpPixel(bmp, 3, 10);
    EXPECT_TRUE(Near(BmpPixel(bmp, 26, 10), 0x283CE6, tolerance)) << bitmap << std::hex << " " << BmpPixel(bmp, 26, 10);
  }
}

TEST_F(PictureImportTest, WhatABitmapCannotHoldWholeStaysByteIdenticalWithItsReason) {
  RunTool("convert -delay 10 -size 8x8 xc:red xc:blue album/0/animated.gif");
  RunTool("convert -size 8x8 xc:red -alpha set -region 1x1+3+3 -alpha transparent +region album/0/clear.png");
  RunTool("convert -size 64x48 plasma:fractal -define webp:lossless=true whole.webp");
  const Bytes whole = ReadBytes("whole.webp");
  WriteBytes("album/0/cut.webp", Bytes(whole.begin(), whole.end() - 16));
  const Bytes animated = ReadBytes("album/0/animated.gif");
  const Bytes clear = ReadBytes("album/0/clear.png");
  ::testing::internal::CaptureStderr();
  const ImportResult result = Import();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result.found, 3);
  EXPECT_EQ(result.converted, 0);
  EXPECT_EQ(result.failed, 3);
  EXPECT_EQ(Names("album/0"), (std::set<std::string>{"animated.gif", "clear.png", "cut.webp"}));
  EXPECT_EQ(ReadBytes("album/0/animated.gif"), animated);
  EXPECT_EQ(ReadBytes("album/0/clear.png"), clear);
  EXPECT_EQ(ReadBytes("album/0/cut.webp"), Bytes(whole.begin(), whole.end() - 16));
  EXPECT_NE(said.find("animated.gif\" (an animation of more than one frame"), std::string::npos) << said;
  EXPECT_NE(said.find("clear.png\" (pixels that are not fully opaque"), std::string::npos) << said;
  EXPECT_NE(said.find("cut.webp\" (damaged data: "), std::string::npos) << said;
}

}  // namespace
