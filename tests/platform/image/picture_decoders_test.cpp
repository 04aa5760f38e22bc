// The decoders of the formats besides JPEG, on small files made here with ImageMagick's convert
// (HEIC and AVIF through libheif): the pixels within each format's loss, orientation where the format
// carries it, and every refusal (damage, animation, transparency, size) with its reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/image/gif_decoder.h"
#include "platform/image/heif_decoder.h"
#include "platform/image/image_codec.h"
#include "platform/image/picture_header.h"
#include "platform/image/png_decoder.h"
#include "platform/image/tiff_decoder.h"
#include "platform/image/webp_decoder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool AnySize(std::int64_t, std::int64_t) { return true; }

bool Near(Pixel a, Pixel b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
  }
  return true;
}

Pixel At(const DecodedPicture& p, int x, int y) { return p.pixels[static_cast<std::size_t>(y) * p.width + x]; }

class PictureDecoders : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = fs::temp_directory_path() /
               ("quenmira-decoders-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  // Runs `command` with {} replaced by the path of `name` here, and returns the file it made.
  Bytes Make(const std::string& name, std::string command) const {
    const std::string path = (m_folder / name).string();
    command.replace(command.find("{}"), 2, "'" + path + "'");
    EXPECT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A 40 x 20 picture: red left half, blue right half, in the format `name` ends with.
  Bytes Halves(const std::string& name, const std::string& options = "") const {
    return Make(name, "convert -size 20x20 xc:'rgb(220,30,30)' -size 20x20 xc:'rgb(40,60,230)' +append " + options +
                          " {}");
  }

  static void ExpectHalves(const DecodeResult& result, int tolerance) {
    ASSERT_TRUE(result.picture) << result.failure;
    EXPECT_EQ(result.picture->width, 40);
    EXPECT_EQ(result.picture->height, 20);
    EXPECT_TRUE(Near(At(*result.picture, 5, 10), 0xDC1E1E, tolerance)) << std::hex << At(*result.picture, 5, 10);
    EXPECT_TRUE(Near(At(*result.picture, 34, 10), 0x283CE6, tolerance)) << std::hex << At(*result.picture, 34, 10);
    for (const Pixel p : result.picture->pixels) ASSERT_EQ(p & 0xFF000000u, 0u);
  }

  static Bytes Cut(const Bytes& file, std::size_t keep) { return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep)); }

  fs::path m_folder;
};

TEST_F(PictureDecoders, EachFormatIsRecognisedByItsFirstBytes) {
  EXPECT_EQ(FormatOf(Halves("a.png")), PictureFormat::kPng);
  EXPECT_EQ(FormatOf(Halves("a.gif")), PictureFormat::kGif);
  EXPECT_EQ(FormatOf(Halves("a.tif")), PictureFormat::kTiff);
  EXPECT_EQ(FormatOf(Halves("a.webp")), PictureFormat::kWebp);
  EXPECT_EQ(FormatOf(Halves("a.heic")), PictureFormat::kHeif);
  EXPECT_EQ(FormatOf(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}), PictureFormat::kOther);
}

TEST_F(PictureDecoders, PngDecodesExactlyAndRefusesDamageAnimationAndTransparency) {
  const Bytes png = Halves("a.png");
  ExpectHalves(DecodePng(png, AnySize), 0);
  EXPECT_EQ(DecodePng(Cut(png, png.size() - 30), AnySize).failure.rfind("damaged data: ", 0), 0u);
  // A changed byte inside the last pixel data chunk: its checksum no longer matches.
  Bytes bad_crc = png;
  bad_crc[bad_crc.size() - 20] ^= 0x01;
  EXPECT_EQ(DecodePng(bad_crc, AnySize).failure, "damaged data: a chunk's checksum does not match");
  EXPECT_EQ(DecodePng(Cut(png, png.size() - 12), AnySize).failure, "damaged data: the file ends before its end chunk");
  const Bytes clear = Make("clear.png", "convert -size 4x4 xc:red -alpha set -region 1x1+1+1 -alpha transparent +region {}");
  EXPECT_EQ(DecodePng(clear, AnySize).failure, kNotOpaqueFailure);
  EXPECT_EQ(DecodePng(png, [](std::int64_t, std::int64_t) { return false; }).failure, kTooLargeFailure);
}

TEST_F(PictureDecoders, PngAnimationChunkOfMoreThanOneFrameIsRefused) {
  Bytes png = Halves("a.png");
  // An acTL chunk of two frames placed after IHDR (its checksum is not read before the refusal).
  const Bytes actl{0, 0, 0, 8, 'a', 'c', 'T', 'L', 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
  png.insert(png.begin() + 33, actl.begin(), actl.end());
  EXPECT_EQ(PngFrameCount(png), 2u);
  EXPECT_EQ(DecodePng(png, AnySize).failure, kAnimationFailure);
}

TEST_F(PictureDecoders, GifDecodesExactlyAndRefusesDamageAnimationAndTransparency) {
  const Bytes gif = Halves("a.gif");
  ExpectHalves(DecodeGif(gif, AnySize), 0);
  EXPECT_EQ(DecodeGif(Cut(gif, gif.size() - 10), AnySize).failure.rfind("damaged data: ", 0), 0u);
  EXPECT_FALSE(DecodeGif(Cut(gif, gif.size() - 1), AnySize).picture);  // no trailer
  const Bytes animated = Make("anim.gif", "convert -delay 10 -size 8x8 xc:red xc:blue {}");
  EXPECT_EQ(DecodeGif(animated, AnySize).failure, kAnimationFailure);
  const Bytes clear = Make("clear.gif", "convert -size 4x4 xc:red -alpha set -region 1x1+1+1 -alpha transparent +region {}");
  EXPECT_EQ(DecodeGif(clear, AnySize).failure, kNotOpaqueFailure);
}

// A 2 x 1 uncompressed RGB TIFF, red then blue, written byte by byte, with a private tag 65000
// (an ASCII value of three letters) after the baseline ones, as cameras and scanners write them.
Bytes TiffWithPrivateTag() {
  Bytes file = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto put16 = [&](unsigned v) { file.insert(file.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); };
  const auto put32 = [&](unsigned v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  struct Entry {
    unsigned tag, type, count, value;
  };
  constexpr unsigned kShort = 3, kLong = 4, kAscii = 2;
  constexpr unsigned kEntries = 11;
  const unsigned after_ifd = 8 + 2 + kEntries * 12 + 4;  // bits per sample, then the strip
  const Entry entries[kEntries] = {
      {256, kShort, 1, 2}, {257, kShort, 1, 1},         {258, kShort, 3, after_ifd},
      {259, kShort, 1, 1}, {262, kShort, 1, 2},         {273, kLong, 1, after_ifd + 6},
      {277, kShort, 1, 3}, {278, kShort, 1, 1},         {279, kLong, 1, 6},
      {284, kShort, 1, 1}, {65000, kAscii, 4, 0x00636261},  // "abc"
  };
  put16(kEntries);
  for (const Entry& e : entries) {
    put16(e.tag);
    put16(e.type);
    put32(e.count);
    if (e.type == kShort && e.count == 1) {
      put16(e.value);
      put16(0);
    } else {
      put32(e.value);
    }
  }
  put32(0);  // no next directory
  for (int channel = 0; channel < 3; ++channel) put16(8);
  file.insert(file.end(), {220, 30, 30, 40, 60, 230});
  return file;
}

TEST_F(PictureDecoders, TiffWithAPrivateTagDecodes) {
  const DecodeResult result = DecodeTiff(TiffWithPrivateTag(), AnySize);
  ASSERT_TRUE(result.picture) << result.failure;
  EXPECT_EQ(result.picture->width, 2);
  EXPECT_EQ(result.picture->height, 1);
  EXPECT_TRUE(Near(At(*result.picture, 0, 0), 0xDC1E1E, 0));
  EXPECT_TRUE(Near(At(*result.picture, 1, 0), 0x283CE6, 0));
  // The same file cut inside its pixels is still refused.
  Bytes cut = TiffWithPrivateTag();
  cut.resize(cut.size() - 3);
  EXPECT_FALSE(DecodeTiff(cut, AnySize).picture);
}

TEST_F(PictureDecoders, TiffDecodesExactlyTurnsByItsOrientationAndRefusesDamageAndPages) {
  const Bytes tiff = Halves("a.tif", "-compress lzw");
  ExpectHalves(DecodeTiff(tiff, AnySize), 0);
  EXPECT_FALSE(DecodeTiff(Cut(tiff, tiff.size() / 2), AnySize).picture);
  // Orientation 6 (turned clockwise to display): the left half ends up on top.
  const DecodeResult turned = DecodeTiff(Halves("turned.tif", "-orient RightTop"), AnySize);
  ASSERT_TRUE(turned.picture) << turned.failure;
  EXPECT_EQ(turned.picture->width, 20);
  EXPECT_EQ(turned.picture->height, 40);
  EXPECT_TRUE(Near(At(*turned.picture, 10, 5), 0xDC1E1E, 0));
  EXPECT_TRUE(Near(At(*turned.picture, 10, 34), 0x283CE6, 0));
  const Bytes pages = Make("pages.tif", "convert -size 8x8 xc:red xc:blue {}");
  EXPECT_EQ(DecodeTiff(pages, AnySize).failure, "more than one page; a bitmap holds one");
  const Bytes clear = Make("clear.tif", "convert -size 4x4 xc:red -alpha set -region 1x1+1+1 -alpha transparent +region {}");
  EXPECT_EQ(DecodeTiff(clear, AnySize).failure, kNotOpaqueFailure);
}

TEST_F(PictureDecoders, WebpDecodesWithinItsLossAndRefusesDamageAnimationAndTransparency) {
  ExpectHalves(DecodeWebp(Halves("a.webp", "-quality 95"), AnySize), 24);
  const Bytes lossless = Halves("b.webp", "-define webp:lossless=true");
  ExpectHalves(DecodeWebp(lossless, AnySize), 0);
  EXPECT_EQ(DecodeWebp(Cut(lossless, lossless.size() - 4), AnySize).failure.rfind("damaged data: ", 0), 0u);
  const Bytes animated = Make("anim.webp", "convert -delay 10 -size 8x8 xc:red xc:blue {}");
  EXPECT_EQ(DecodeWebp(animated, AnySize).failure, kAnimationFailure);
  const Bytes clear = Make("clear.webp", "convert -size 4x4 xc:red -alpha set -region 1x1+1+1 -alpha transparent +region -define webp:lossless=true {}");
  EXPECT_EQ(DecodeWebp(clear, AnySize).failure, kNotOpaqueFailure);
}

TEST_F(PictureDecoders, HeicAndAvifDecodeWithinTheirLossAndRefuseDamage) {
  // libheif's heif-enc (1.15) turns blue into green here; convert writes both through libheif.
  const Bytes heic = Halves("a.heic", "-quality 95");
  ExpectHalves(DecodeHeif(heic, AnySize), 24);
  const Bytes avif = Halves("a.avif", "-quality 95");
  EXPECT_EQ(FormatOf(avif), PictureFormat::kHeif);
  ExpectHalves(DecodeHeif(avif, AnySize), 24);
  EXPECT_FALSE(DecodeHeif(Cut(heic, heic.size() - 40), AnySize).picture);
  EXPECT_EQ(DecodeHeif(heic, [](std::int64_t, std::int64_t) { return false; }).failure, kTooLargeFailure);
}

TEST_F(PictureDecoders, AFormatWithoutADecoderIsNotDecoded) {
  // A small, valid vector drawing, and a GIMP file whose header asks for petabytes.
  const fs::path path = m_folder / "drawing.jpg";
  std::ofstream(path) << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"3\"/>";
  EXPECT_EQ(DecodePictureFile(path.string()).failure, "not a picture format that is read");
  const unsigned char xcf[] = {0x67, 0x69, 0x6D, 0x70, 0x20, 0x78, 0x63, 0x66, 0x20, 0xFF,
                               0x0D, 0x1A, 0x52, 0x00, 0x0D, 0x3C, 0x76, 0x67, 0x52};
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(xcf), sizeof xcf);
  EXPECT_EQ(DecodePictureFile(path.string()).failure, "not a picture format that is read");
}

TEST_F(PictureDecoders, TheCodecDecodesByContentWhateverTheName) {
  const Bytes webp = Halves("a.webp", "-define webp:lossless=true");
  const fs::path path = m_folder / "photo.jpg";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(webp.data()), static_cast<std::streamsize>(webp.size()));
  ExpectHalves(DecodePictureFile(path.string()), 0);
  SetMaxDecodedPixelsForTesting(40 * 20 - 1);
  EXPECT_EQ(DecodePictureFile(path.string()).failure, kTooLargeFailure);
  SetMaxDecodedPixelsForTesting(-1);
}

}  // namespace
