#include "platform/gdi/bitmap_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A .bmp file with a 40-byte header; `rows` are given top first and already packed (without padding).
Bytes MakeFile(int width, int height, int bits, const std::vector<Bytes>& rows,
               const std::vector<std::uint32_t>& palette = {}, bool topDown = false) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t offset = 54 + palette.size() * 4;
  Bytes b(offset + stride * static_cast<std::size_t>(height), 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(topDown ? -height : height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<std::uint32_t>(bits));
  Put32(b, 46, static_cast<std::uint32_t>(palette.size()));
  for (std::size_t i = 0; i < palette.size(); ++i) Put32(b, 54 + i * 4, palette[i]);
  for (int y = 0; y < height; ++y) {
    const int fileRow = topDown ? y : height - 1 - y;
    std::copy(rows[y].begin(), rows[y].end(), b.begin() + static_cast<std::ptrdiff_t>(offset + stride * fileRow));
  }
  return b;
}

// A 3 x 2 24-bit picture: red green blue / white black grey.
Bytes ThreeByTwo24() {
  return MakeFile(3, 2, 24, {{0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 0, 0, 0, 128, 128, 128}});
}
const std::vector<Pixel> kThreeByTwo = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};

TEST(DecodeBitmapFile, TwentyFourBitBottomUp) {
  const std::optional<DecodedPicture> p = DecodeBitmapFile(ThreeByTwo24());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->width, 3);
  EXPECT_EQ(p->height, 2);
  EXPECT_EQ(p->pixels, kThreeByTwo);
}

TEST(DecodeBitmapFile, ThirtyTwoBitTopDownDropsAlpha) {
  const std::vector<Bytes> rows = {{0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9},
                                   {255, 255, 255, 0, 0, 0, 0, 0, 128, 128, 128, 255}};
  const Bytes file = MakeFile(3, 2, 32, rows, {}, true);
  const std::optional<DecodedPicture> p = DecodeBitmapFile(file);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pixels, kThreeByTwo);
}

TEST(DecodeBitmapFile, PalettedDepths) {
  const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // 8 bits: indices 1 2 3 / 0 1 2.
  const std::optional<DecodedPicture> p8 = DecodeBitmapFile(MakeFile(3, 2, 8, {{1, 2, 3}, {0, 1, 2}}, palette));
  ASSERT_TRUE(p8);
  EXPECT_EQ(p8->pixels, (std::vector<Pixel>{0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFF0000, 0x00FF00}));
  // 4 bits: 1 2 3 / 3 0 1, high nibble first.
  const std::optional<DecodedPicture> p4 = DecodeBitmapFile(MakeFile(3, 2, 4, {{0x12, 0x30}, {0x30, 0x10}}, palette));
  ASSERT_TRUE(p4);
  EXPECT_EQ(p4->pixels, (std::vector<Pixel>{0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF, 0x000000, 0xFF0000}));
  // 1 bit: 101 / 010, most significant bit first.
  const std::optional<DecodedPicture> p1 =
      DecodeBitmapFile(MakeFile(3, 2, 1, {{0xA0}, {0x40}}, {0x000000, 0xFFFFFF}));
  ASSERT_TRUE(p1);
  EXPECT_EQ(p1->pixels, (std::vector<Pixel>{0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}));
}

TEST(DecodeBitmapFile, IndexPastAShortPaletteReadsBlack) {
  const std::optional<DecodedPicture> p = DecodeBitmapFile(MakeFile(2, 1, 8, {{0, 7}}, {0xFFFFFF, 0x00FF00}));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pixels, (std::vector<Pixel>{0xFFFFFF, 0x000000}));
}

TEST(DecodeBitmapFile, EveryTruncationIsRejected) {
  const Bytes file = ThreeByTwo24();
  for (std::size_t n = 0; n < file.size(); ++n) {
    EXPECT_FALSE(DecodeBitmapFile(std::span(file.data(), n))) << "length " << n;
  }
}

TEST(DecodeBitmapFile, CorruptHeadersAreRejected) {
  struct Case {
    const char* what;
    std::size_t at;
    int size;  // 2 or 4 bytes
    std::uint32_t value;
  };
  const Case cases[] = {
      {"magic", 0, 2, 0x4D43},
      {"header size", 14, 4, 41},
      {"zero width", 18, 4, 0},
      {"negative width", 18, 4, 0xFFFFFFFF},
      {"zero height", 22, 4, 0},
      {"most negative height", 22, 4, 0x80000000},
      {"too wide", 18, 4, 30001},
      {"too tall", 22, 4, 30001},
      {"rows longer than the file", 18, 4, 30000},
      {"planes", 26, 2, 2},
      {"depth", 28, 2, 16},
      {"compression", 30, 4, 1},
      {"pixel offset past the end", 10, 4, 0xFFFFFFF0},
      {"pixel offset inside the header", 10, 4, 20},
  };
  for (const Case& c : cases) {
    Bytes file = ThreeByTwo24();
    if (c.size == 2) Put16(file, c.at, c.value);
    else Put32(file, c.at, c.value);
    EXPECT_FALSE(DecodeBitmapFile(file)) << c.what;
  }
  Bytes huge = ThreeByTwo24();
  Put32(huge, 18, 30000);
  Put32(huge, 22, 30000);  // 9e8 pixels: over the cap before any size check
  EXPECT_FALSE(DecodeBitmapFile(huge));
}

TEST(DecodeBitmapFile, PaletteMustFitBeforeThePixels) {
  Bytes file = MakeFile(2, 1, 8, {{0, 1}}, {0xFFFFFF, 0x00FF00});
  Put32(file, 46, 300);  // more colours than 8 bits index
  EXPECT_FALSE(DecodeBitmapFile(file));
  Put32(file, 46, 200);  // 200 entries would run over the pixel data
  EXPECT_FALSE(DecodeBitmapFile(file));
}

TEST(DecodeBitmapFile, BitfieldsOnlyWithThePlainMasks) {
  Bytes plain = MakeFile(1, 1, 32, {{1, 2, 3, 0}});
  // Insert the three masks after the 40-byte header.
  Bytes file(plain.begin(), plain.begin() + 54);
  for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu}) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(mask >> (8 * i)));
  }
  file.insert(file.end(), plain.begin() + 54, plain.end());
  Put32(file, 10, 66);
  Put32(file, 30, 3);
  const std::optional<DecodedPicture> p = DecodeBitmapFile(file);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pixels, (std::vector<Pixel>{0x030201}));
  Put32(file, 54, 0x0000F800);  // a 16-bit style mask
  EXPECT_FALSE(DecodeBitmapFile(file));
}

TEST(DecodeBitmapFile, CoreHeader) {
  // 12-byte header: 16-bit sizes, 3-byte palette entries.
  Bytes b(14 + 12 + 6 + 4, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 14 + 12 + 6);
  Put32(b, 14, 12);
  Put16(b, 18, 2);
  Put16(b, 20, 1);
  Put16(b, 22, 1);
  Put16(b, 24, 1);
  b[26 + 3] = 0xFF;  // palette entry 1: blue, green, red = 255, 0, 0 -> blue
  b[32] = 0x40;       // pixels: 0 1
  const std::optional<DecodedPicture> p = DecodeBitmapFile(b);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pixels, (std::vector<Pixel>{0x000000, 0x0000FF}));
}

TEST(DecodeBitmapFile, RandomCorruptionNeverReadsOutside) {
  // Run under the address sanitizer, this shows that no mutation reads out of bounds.
  std::mt19937 random(1234);
  const Bytes base = MakeFile(5, 3, 8, {{0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {1, 1, 1, 1, 1}}, {1, 2, 3, 4, 5});
  int decoded = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes file = base;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) file[random() % file.size()] = static_cast<std::uint8_t>(random());
    if (random() % 4 == 0) file.resize(random() % file.size());
    if (const std::optional<DecodedPicture> p = DecodeBitmapFile(file)) {
      ++decoded;
      EXPECT_EQ(p->pixels.size(), static_cast<std::size_t>(p->width) * p->height);
    }
  }
  EXPECT_GT(decoded, 0);
}

}  // namespace

namespace {

// A 24-bit picture of 600 x 1500: its rows of 1800 bytes take three bands of reading.
Bytes TallPicture(bool topDown) {
  std::vector<Bytes> rows;
  for (int y = 0; y < 1500; ++y) {
    Bytes row;
    for (int x = 0; x < 600; ++x) {
      row.push_back(static_cast<std::uint8_t>(x));
      row.push_back(static_cast<std::uint8_t>(y));
      row.push_back(static_cast<std::uint8_t>(y >> 8));
    }
    rows.push_back(row);
  }
  return MakeFile(600, 1500, 24, rows, {}, topDown);
}

}  // namespace

TEST(DecodeBitmapFile, ReadABandOfRowsAtATimeItGivesEveryRowInPlace) {
  for (bool topDown : {false, true}) {
    const Bytes file = TallPicture(topDown);
    std::size_t largest_read = 0;
    int reads = 0;
    const std::optional<DecodedPicture> p =
        DecodeBitmapFile(file.size(), [&](std::uint64_t offset, std::span<std::uint8_t> out) {
          if (offset > file.size() || out.size() > file.size() - offset) return false;
          std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
          largest_read = std::max(largest_read, out.size());
          ++reads;
          return true;
        });
    ASSERT_TRUE(p) << topDown;
    for (int y : {0, 1, 581, 582, 583, 1163, 1164, 1499}) {
      for (int x : {0, 255, 599}) {
        const Pixel expected = (static_cast<Pixel>(y >> 8) << 16) | (static_cast<Pixel>(y & 0xFF) << 8) |
                               static_cast<Pixel>(x & 0xFF);
        EXPECT_EQ(p->pixels[static_cast<std::size_t>(y) * 600 + static_cast<std::size_t>(x)], expected)
            << topDown << " " << x << "," << y;
      }
    }
    EXPECT_LE(largest_read, std::size_t{1} << 20);  // no second whole copy of the file
    EXPECT_EQ(reads, 4);                            // the head and three bands
  }
}

TEST(DecodeBitmapFile, AReadThatFailsGivesNothing) {
  const Bytes file = TallPicture(false);
  int reads = 0;
  const std::optional<DecodedPicture> p =
      DecodeBitmapFile(file.size(), [&](std::uint64_t offset, std::span<std::uint8_t> out) {
        if (++reads == 3) return false;  // the second band: the file shrank meanwhile
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
      });
  EXPECT_FALSE(p);
}
