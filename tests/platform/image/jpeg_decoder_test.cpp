// The direct JPEG decoder on files of every colour layout and scan order libjpeg writes, and on
// damaged data, checked against plain libjpeg's warnings; TIFF content under a JPEG name.
#include "platform/image/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <jpeglib.h>
#include <random>
#include <utility>
#include <vector>

#include "platform/image/image_codec.h"
#include "platform/image/picture_header.h"
#include "tests/support/plain_libjpeg.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Layout { kRgb, kGray, kCmyk };

// A w x h JPEG of `layout` at quality 95: left half `left`, right half `right` (0xRRGGBB; a grey
// picture takes the red byte, a CMYK one stores it as Adobe's files do, see below).
Bytes Encode(int w, int h, Layout layout, Pixel left, Pixel right, bool progressive = false) {
  jpeg_compress_struct encoder{};
  jpeg_error_mgr errors{};
  encoder.err = jpeg_std_error(&errors);
  jpeg_create_compress(&encoder);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&encoder, &buffer, &size);
  encoder.image_width = static_cast<JDIMENSION>(w);
  encoder.image_height = static_cast<JDIMENSION>(h);
  const int components = layout == Layout::kGray ? 1 : layout == Layout::kCmyk ? 4 : 3;
  encoder.input_components = components;
  encoder.in_color_space = layout == Layout::kGray ? JCS_GRAYSCALE : layout == Layout::kCmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, 95, TRUE);
  if (progressive) jpeg_simple_progression(&encoder);
  jpeg_start_compress(&encoder, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(w * components));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Pixel c = x < w / 2 ? left : right;
      const JSAMPLE r = static_cast<JSAMPLE>(c >> 16), g = static_cast<JSAMPLE>(c >> 8), b = static_cast<JSAMPLE>(c);
      JSAMPLE* out = &row[static_cast<std::size_t>(x * components)];
      if (layout == Layout::kGray) {
        out[0] = r;
      } else if (layout == Layout::kRgb) {
        out[0] = r, out[1] = g, out[2] = b;
      } else {  // as Adobe's files store it, 255 - ink: ink C = 255 - R and so on, no black ink
        out[0] = r, out[1] = g, out[2] = b, out[3] = 255;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&encoder, rows, 1);
  }
  jpeg_finish_compress(&encoder);
  Bytes file(buffer, buffer + size);
  jpeg_destroy_compress(&encoder);
  std::free(buffer);
  return file;
}

bool AnySize(std::int64_t, std::int64_t) { return true; }

bool Near(Pixel a, Pixel b, int tolerance = 12) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
  }
  return true;
}

Pixel At(const DecodedPicture& p, int x, int y) { return p.pixels[static_cast<std::size_t>(y) * p.width + x]; }

constexpr Pixel kRed = 0xDC1E1E, kBlue = 0x283CE6, kLight = 0xC8C8C8, kDark = 0x323232;

TEST(JpegDecoder, ColourAndGreyPicturesDecodeToMaskedWords) {
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const std::optional<DecodedPicture> colour =
        DecodeJpeg(Encode(48, 16, Layout::kRgb, kRed, kBlue, progressive), 1, AnySize).picture;
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->width, 48);
    EXPECT_EQ(colour->height, 16);
    EXPECT_TRUE(Near(At(*colour, 4, 8), kRed));
    EXPECT_TRUE(Near(At(*colour, 44, 8), kBlue));
    for (const Pixel p : colour->pixels) ASSERT_EQ(p & 0xFF000000u, 0u);

    const std::optional<DecodedPicture> grey =
        DecodeJpeg(Encode(48, 16, Layout::kGray, kLight, kDark, progressive), 1, AnySize).picture;
    ASSERT_TRUE(grey);
    EXPECT_TRUE(Near(At(*grey, 4, 8), kLight, 3));
    EXPECT_TRUE(Near(At(*grey, 44, 8), kDark, 3));
    for (const Pixel p : grey->pixels) ASSERT_EQ(p & 0xFF000000u, 0u);
  }
}

TEST(JpegDecoder, OrientationPlacesRowsWhileDecoding) {
  const Bytes file = Encode(32, 16, Layout::kRgb, kRed, kBlue);
  // 6: turned clockwise, the left half ends up on top; 8: at the bottom; 3: on the right.
  const std::optional<DecodedPicture> six = DecodeJpeg(file, 6, AnySize).picture;
  ASSERT_TRUE(six);
  EXPECT_EQ(six->width, 16);
  EXPECT_EQ(six->height, 32);
  EXPECT_TRUE(Near(At(*six, 8, 2), kRed));
  EXPECT_TRUE(Near(At(*six, 8, 29), kBlue));
  const std::optional<DecodedPicture> eight = DecodeJpeg(file, 8, AnySize).picture;
  ASSERT_TRUE(eight);
  EXPECT_TRUE(Near(At(*eight, 8, 2), kBlue));
  EXPECT_TRUE(Near(At(*eight, 8, 29), kRed));
  const std::optional<DecodedPicture> three = DecodeJpeg(file, 3, AnySize).picture;
  ASSERT_TRUE(three);
  EXPECT_EQ(three->width, 32);
  EXPECT_TRUE(Near(At(*three, 2, 8), kBlue));
  EXPECT_TRUE(Near(At(*three, 29, 8), kRed));
}

TEST(JpegDecoder, RefusesWhatItCannotOrMayNotDecode) {
  const Bytes file = Encode(40, 20, Layout::kRgb, kRed, kBlue);
  std::int64_t asked_w = 0, asked_h = 0;
  const auto refuse = [&](std::int64_t w, std::int64_t h) {
    asked_w = w, asked_h = h;
    return false;
  };
  EXPECT_EQ(DecodeJpeg(file, 1, refuse).failure, "too large");
  EXPECT_EQ(asked_w, 40);
  EXPECT_EQ(asked_h, 20);
  EXPECT_EQ(DecodeJpeg(Bytes{}, 1, AnySize).failure, "not a JPEG file");
  EXPECT_EQ(DecodeJpeg(Bytes{0x89, 'P', 'N', 'G'}, 1, AnySize).failure, "not a JPEG file");
  // Header cut short: libjpeg meets the end of the file inside the tables.
  const DecodeResult cut = DecodeJpeg(Bytes(file.begin(), file.begin() + 100), 1, AnySize);
  EXPECT_FALSE(cut.picture);
  EXPECT_FALSE(cut.failure.empty());
}

TEST(JpegDecoder, CmykPicturesDecodeToRgb) {
  const std::optional<DecodedPicture> picture =
      DecodeJpeg(Encode(32, 16, Layout::kCmyk, kRed, kBlue), 1, AnySize).picture;
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 32);
  EXPECT_EQ(picture->height, 16);
  EXPECT_TRUE(Near(At(*picture, 4, 8), kRed));
  EXPECT_TRUE(Near(At(*picture, 28, 8), kBlue));
  for (const Pixel p : picture->pixels) ASSERT_EQ(p & 0xFF000000u, 0u);
}

// Where a JPEG's entropy-coded data lies: from the end of the first scan header to the last end
// marker.
std::pair<std::size_t, std::size_t> ScanData(const Bytes& file) {
  std::size_t at = 2;
  while (at + 4 < file.size() && !(file[at] == 0xFF && file[at + 1] == 0xDA)) at += 2 + ((file[at + 2] << 8) | file[at + 3]);
  const std::size_t start = at + 2 + ((file[at + 2] << 8) | file[at + 3]);
  std::size_t end = file.size();
  while (end > start + 2 && !(file[end - 2] == 0xFF && file[end - 1] == 0xD9)) --end;
  return {start, end - 2};
}

TEST(JpegDecoder, ScanDataThatLibjpegWarnsAboutIsAFailureWithTheReason) {
  const Bytes clean = Encode(64, 64, Layout::kRgb, kRed, kBlue, true);
  const auto [start, end] = ScanData(clean);
  ASSERT_LT(start + 16, end);
  std::mt19937 random(7);
  int warned = 0;
  for (int round = 0; round < 300; ++round) {
    Bytes file = clean;
    // A few bytes changed inside the scan data; no FF written and no byte after an FF touched,
    // so every marker stays intact.
    for (int k = 0; k < 4; ++k) {
      const std::size_t at = start + 1 + random() % (end - start - 1);
      if (file[at] == 0xFF || file[at - 1] == 0xFF) continue;
      file[at] = static_cast<std::uint8_t>(random() % 0xFF);
    }
    const PlainLibjpegVerdict verdict = PlainLibjpegDecode(file);
    const DecodeResult result = DecodeJpeg(file, 1 + round % 8, AnySize);
    if (verdict == PlainLibjpegVerdict::kClean) {
      ASSERT_TRUE(result.picture) << round << ": " << result.failure;
      ASSERT_EQ(result.picture->pixels.size(), std::size_t{64} * 64);
      for (const Pixel p : result.picture->pixels) ASSERT_EQ(p & 0xFF000000u, 0u);
    } else {
      ASSERT_FALSE(result.picture) << round;
      if (verdict == PlainLibjpegVerdict::kWarned) {
        ++warned;
        EXPECT_EQ(result.failure.rfind("damaged data: ", 0), 0u) << result.failure;
      }
    }
  }
  EXPECT_GT(warned, 0);  // the damage reached the case the rule is for
}

TEST(JpegDecoder, AFileCutShortIsDamaged) {
  const Bytes clean = Encode(64, 64, Layout::kRgb, kRed, kBlue);
  const auto [start, end] = ScanData(clean);
  for (const std::size_t cut : {start + 10, (start + end) / 2, end, end + 1}) {
    const DecodeResult result = DecodeJpeg(Bytes(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(cut)), 1, AnySize);
    EXPECT_FALSE(result.picture) << cut;
    EXPECT_EQ(result.failure, "damaged data: Premature end of JPEG file") << cut;
  }
  EXPECT_TRUE(DecodeJpeg(clean, 1, AnySize).picture);
}

// A 2 x 1 uncompressed RGB TIFF in either byte order: red then blue.
std::vector<std::uint8_t> TinyTiff(bool little) {
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) {
    if (little) out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    else out.insert(out.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
  };
  auto u32 = [&](std::uint32_t v) {
    if (little) { u16(v & 0xFFFF); u16(v >> 16); } else { u16(v >> 16); u16(v & 0xFFFF); }
  };
  out.insert(out.end(), little ? std::initializer_list<std::uint8_t>{'I', 'I'} : std::initializer_list<std::uint8_t>{'M', 'M'});
  u16(42);
  u32(8);
  const std::uint32_t entries = 9, pixels_at = 8 + 2 + entries * 12 + 4, bits_at = pixels_at + 6;
  u16(entries);
  auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t value) {
    u16(tag), u16(type), u32(count);
    if (type == 3 && count == 1) { u16(value); u16(0); } else { u32(value); }
  };
  entry(256, 3, 1, 2);          // width
  entry(257, 4, 1, 1);          // height, as a long
  entry(258, 3, 3, bits_at);    // 8 bits per sample, three samples
  entry(259, 3, 1, 1);          // no compression
  entry(262, 3, 1, 2);          // RGB
  entry(273, 4, 1, pixels_at);  // the strip
  entry(277, 3, 1, 3);          // samples per pixel
  entry(278, 3, 1, 1);          // rows per strip
  entry(279, 4, 1, 6);          // strip bytes
  u32(0);
  out.insert(out.end(), {0xDC, 0x1E, 0x1E, 0x28, 0x3C, 0xE6});
  u16(8), u16(8), u16(8);
  return out;
}

TEST(PictureHeaderTiff, SizeFromTheFirstDirectoryInBothByteOrders) {
  for (const bool little : {true, false}) {
    const std::vector<std::uint8_t> file = TinyTiff(little);
    const std::optional<DeclaredSize> size = DeclaredPictureSize(file);
    ASSERT_TRUE(size) << little;
    EXPECT_EQ(size->width, 2);
    EXPECT_EQ(size->height, 1);
    // Cut anywhere before the width and height entries end, it declares nothing rather than misreading.
    for (std::size_t cut = 0; cut < 8 + 2 + 2 * 12; ++cut) {
      EXPECT_FALSE(DeclaredPictureSize(std::span(file.data(), cut))) << cut;
    }
  }
}

TEST(ImageCodecFallback, TiffUnderAJpegNameDecodes) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "quenmira-tiff-test.jpg";
  const std::vector<std::uint8_t> file = TinyTiff(true);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  const std::optional<DecodedPicture> picture = DecodePictureFile(path.string()).picture;
  std::filesystem::remove(path);
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->width, 2);
  ASSERT_EQ(picture->height, 1);
  EXPECT_EQ(picture->pixels[0], 0xDC1E1Eu);
  EXPECT_EQ(picture->pixels[1], 0x283CE6u);
}

}  // namespace
