#include "platform/gdi/bitmap_levels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

PixelBuffer View(std::vector<Pixel>& pixels, int width, int height) {
  return PixelBuffer{pixels.data(), width, height, width};
}

// Each channel is the rounded mean of its own four values: (sum + 2) / 4, no carry between channels.
TEST(BitmapLevels, HalfLevelAveragesEachTwoByTwoBlockPerChannel) {
  std::vector<Pixel> pixels = {
      0x000000, 0x010101, 0xFFFFFF, 0xFFFFFF,  //
      0x010101, 0x010101, 0xFFFFFF, 0xFF00FF,  //
      0x000000, 0x000000, 0x0000FF, 0x00FF00,  //
      0x000000, 0x010203, 0xFF0000, 0x000000,
  };
  BitmapLevel half = HalfLevel(View(pixels, 4, 4), 1);
  ASSERT_EQ(half.width, 2);
  ASSERT_EQ(half.height, 2);
  EXPECT_EQ(half.pixels[0], 0x010101u);  // (0 + 1 + 1 + 1 + 2) / 4 = 1
  // Red and blue 255 * 4, green 255 * 3 + 0: (1020 + 2) / 4 = 255, (765 + 2) / 4 = 191.
  EXPECT_EQ(half.pixels[1], 0xFFBFFFu);
  EXPECT_EQ(half.pixels[2], 0x000101u);  // red (1 + 2) / 4 = 0, green (2 + 2) / 4 = 1, blue (3 + 2) / 4 = 1
  EXPECT_EQ(half.pixels[3], 0x404040u);  // one 255 per channel: (255 + 2) / 4 = 64
}

TEST(BitmapLevels, AnOddLastColumnAndRowAreLeftOut) {
  std::vector<Pixel> pixels(5 * 3, 0xFFFFFF);
  for (int x = 0; x < 4; ++x) pixels[static_cast<std::size_t>(x)] = pixels[5 + static_cast<std::size_t>(x)] = 0x808080;
  BitmapLevel half = HalfLevel(View(pixels, 5, 3), 1);
  ASSERT_EQ(half.width, 2);
  ASSERT_EQ(half.height, 1);
  EXPECT_EQ(half.pixels, (std::vector<Pixel>{0x808080, 0x808080}));
  EXPECT_EQ(HalfLevel(View(pixels, 1, 3), 1).pixels.size(), 0u);
}

TEST(BitmapLevels, TwoThreadsMakeTheSameLevelAsOne) {
  const int w = 1203, h = 901;
  std::vector<Pixel> pixels(static_cast<std::size_t>(w) * h);
  std::uint32_t noise = 7;
  for (Pixel& p : pixels) {
    noise = noise * 1664525u + 1013904223u;
    p = noise >> 8;
  }
  BitmapLevel one = HalfLevel(View(pixels, w, h), 1);
  BitmapLevel two = HalfLevel(View(pixels, w, h), 2);
  EXPECT_EQ(one.width, 601);
  EXPECT_EQ(one.height, 450);
  EXPECT_EQ(one.pixels, two.pixels);
  // Every pixel, however the rows are computed, is the per-channel mean.
  int wrong = 0;
  for (int y = 0; y < one.height; ++y) {
    for (int x = 0; x < one.width; ++x) {
      Pixel expected = 0;
      for (int shift : {0, 8, 16}) {
        std::uint32_t sum = 2;
        for (int dy = 0; dy < 2; ++dy) {
          for (int dx = 0; dx < 2; ++dx) sum += (pixels[static_cast<std::size_t>(2 * y + dy) * w + 2 * x + dx] >> shift) & 0xFF;
        }
        expected |= (sum / 4) << shift;
      }
      wrong += one.pixels[static_cast<std::size_t>(y) * one.width + x] != expected;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(BitmapLevels, LevelsHalveDownToOnePixelAndTakeAboutAThirdMore) {
  std::vector<Pixel> pixels(4000 * 3000, 0x204060);
  std::vector<BitmapLevel> levels = MakeLevels(View(pixels, 4000, 3000), 2);
  ASSERT_EQ(levels.size(), 11u);
  for (std::size_t k = 0; k < levels.size(); ++k) {
    EXPECT_EQ(levels[k].width, 4000 >> (k + 1));
    EXPECT_EQ(levels[k].height, 3000 >> (k + 1));
  }
  EXPECT_EQ(levels.back().pixels, std::vector<Pixel>{0x204060});
  const double share = static_cast<double>(LevelBytes(levels)) / static_cast<double>(pixels.size() * sizeof(Pixel));
  EXPECT_GT(share, 0.33);
  EXPECT_LT(share, 0.334);
  EXPECT_TRUE(MakeLevels(View(pixels, 1, 3000), 2).empty());
}

TEST(BitmapLevels, RectanglesScaleByTheLevelsShareOfTheFullSize) {
  auto same = [](LevelRect a, LevelRect b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; };
  EXPECT_TRUE(same(RectOnLevel({0, 0, 4000, 3000}, 4000, 3000, 1), {0, 0, 2000, 1500}));
  EXPECT_TRUE(same(RectOnLevel({0, 0, 4001, 3001}, 4001, 3001, 2), {0, 0, 1000, 750}));
  EXPECT_TRUE(same(RectOnLevel({100, 50, 1000, 800}, 4000, 3000, 1), {50, 25, 500, 400}));
  EXPECT_TRUE(same(RectOnLevel({-3, -1, 4000, 3000}, 4000, 3000, 1), {-2, -1, 2000, 1500}));
  EXPECT_TRUE(same(RectOnLevel({4000, 0, -4000, 3000}, 4000, 3000, 1), {2000, 0, -2000, 1500}));
  EXPECT_TRUE(same(RectOnLevel({7, 9, 11, 13}, 4000, 3000, 0), {7, 9, 11, 13}));
}

struct Choice {
  std::int64_t dw, dh;
  int levels;
  int expected;
};

TEST(BitmapLevels, LevelChoiceTable) {
  // A 4000 x 3000 picture drawn whole.
  const Choice table[] = {
      {8000, 6000, 11, 0},   // enlarged
      {4000, 3000, 11, 0},   // its own size
      {3000, 2250, 11, 0},   // exactly three quarters
      {3000, 2249, 11, 0},   // three quarters across
      {2999, 2249, 11, 0},   // below, but level 1 (2000 x 1500) would be smaller than shown
      {2000, 1500, 11, 1},   // level 1 exactly
      {1440, 1080, 11, 1},   // full height on a 1080p screen
      {1001, 751, 11, 1},    //
      {1000, 750, 11, 2},    // level 2 exactly
      {480, 360, 11, 3},     // level 3 is 500 x 375
      {1, 1, 11, 11},        // the last level is 1 x 1
      {100, 75, 1, 1},       // only the levels there are
      {100, 75, 0, 0},       // a bitmap without levels
      {-1440, 1080, 11, 1},  // mirrored
      {3500, 1000, 11, 0},   // one axis at three quarters or more
  };
  for (const Choice& c : table) {
    EXPECT_EQ(LevelFor({0, 0, 4000, 3000}, 4000, 3000, c.dw, c.dh, c.levels), c.expected)
        << c.dw << " x " << c.dh << " with " << c.levels << " levels";
  }
  // A part of the picture (a zoomed view) is judged by that part's size.
  EXPECT_EQ(LevelFor({1000, 750, 2000, 1500}, 4000, 3000, 1000, 750, 11), 1);
  EXPECT_EQ(LevelFor({1000, 750, 2000, 1500}, 4000, 3000, 1600, 1200, 11), 0);
  EXPECT_EQ(LevelFor({0, 0, 0, 3000}, 4000, 3000, 10, 10, 11), 0);
}

// The bitmap's copies are what a HALFTONE StretchBlt samples below three quarters; at three
// quarters and above it draws the bitmap's own pixels exactly as COLORONCOLOR.
TEST(BitmapLevels, HalftoneStretchSamplesTheCopyOnlyWhenShrunkBelowThreeQuarters) {
  DecodedPicture lines;
  lines.width = 64;
  lines.height = 64;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) lines.pixels.push_back(y % 2 == 0 ? 0xFFFFFF : 0x000000);
  }
  HBITMAP picture = CreateBitmapFromPicture(lines);
  MakeBitmapLevels(picture);
  EXPECT_EQ(BitmapLevelBytes(picture), std::size_t{(32 * 32 + 16 * 16 + 8 * 8 + 4 * 4 + 2 * 2 + 1) * 4});
  HDC source = CreateCompatibleDC(nullptr);
  HBITMAP source_previous = SelectObject(source, picture);
  for (int mode : {COLORONCOLOR, HALFTONE}) {
    for (int size : {48, 20}) {
      HDC dest = CreateCompatibleDC(nullptr);
      HBITMAP target = CreateCompatibleBitmap(nullptr, size, size);
      HBITMAP dest_previous = SelectObject(dest, target);
      SetStretchBltMode(dest, mode);
      StretchBlt(dest, 0, 0, size, size, source, 0, 0, 64, 64, SRCCOPY);
      const PixelBuffer out = BitmapPixels(target);
      int grey = 0;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) grey += out.Row(y)[x] == 0x808080;
      }
      // Only HALFTONE at 20 / 64 (below three quarters, level 1 of 32 still larger) is grey.
      EXPECT_EQ(grey, mode == HALFTONE && size == 20 ? size * size : 0) << mode << " at " << size;
      SelectObject(dest, dest_previous);
      DeleteObject(target);
      DeleteDC(dest);
    }
  }
  SelectObject(source, source_previous);
  DeleteDC(source);
  DeleteObject(picture);
}

}  // namespace
