// Pictures shown well below their size are sampled from their pre-filtered copies: fine detail
// turns into its average instead of moire; at three quarters of the size and above the frame
// is the nearest-neighbour frame it always was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/window/window_system.h"
#include "render/compose.h"
#include "render/motion_model.h"
#include "tests/support/frame_rig.h"

using frame_test::FrameRig;

namespace {

constexpr int kW = 1920;
constexpr int kH = 1080;

// The centre quarter of the screen, clear of the overlays and the marker's row.
constexpr int kLeft = kW * 3 / 8, kTop = kH / 4, kRight = kW * 5 / 8, kBottom = kH * 3 / 8;

double CentreStdDev(const frame_test::Shot& shot) {
  double sum = 0, squares = 0, count = 0;
  for (int y = kTop; y < kBottom; ++y) {
    for (int x = kLeft; x < kRight; ++x) {
      const double v = static_cast<double>(shot.At(x, y) & 0xFF);
      sum += v;
      squares += v * v;
      count += 1;
    }
  }
  const double mean = sum / count;
  return std::sqrt(squares / count - mean * mean);
}

// The frame the picture layer gave before the copies: the whole picture, nearest neighbour,
// placed as the strip's only slot. Shares the frame's geometry (breath held at 1.0).
std::vector<Pixel> NearestFrame(FrameRig& rig, HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  const SIZE size{info.bmWidth, info.bmHeight};
  const SlotScales scales = ScaleAndCentre(kH, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                           rig.dlg.m_breath, rig.dlg.m_zoom, size, size);
  const SlotScale& s = scales.left;
  const LayerDraw draw{BitmapPixels(bitmap), s.centre_x + rig.dlg.m_strip_origin, s.centre_y + rig.dlg.m_strip_origin_y,
                       s.drawn_w, s.drawn_h, 0, 0, size.cx, size.cy};
  std::vector<Pixel> out(static_cast<std::size_t>(kW) * kH);
  ComposePictureLayer(PixelBuffer{out.data(), kW, kH, kW}, std::span<const LayerDraw>(&draw, 1),
                      rig.dlg.m_brightness & 0xFF);
  return out;
}

double StdDevOf(const std::vector<Pixel>& frame) {
  frame_test::Shot shot{kW, kH, frame};
  return CentreStdDev(shot);
}

// Folder 0: a 4000 x 3000 picture of one-pixel lines, vertical or horizontal; shown at full
// screen height on a 1080p screen it is drawn at 0.36 of its size.
void LinesFolder(bool vertical) {
  frame_test::WritePatternBitmap(FrameRig::Picture(0, 0), 4000, 3000, [vertical](int x, int y) {
    return ((vertical ? x : y) % 2 == 0) ? Pixel{0xFFFFFF} : Pixel{0};
  });
}

void ExpectUniformGrey(bool vertical) {
  FrameRig rig(kW, kH);
  LinesFolder(vertical);
  rig.Start();
  rig.dlg.m_brightness = 255;
  rig.Render();
  const frame_test::Shot shot = rig.Read();
  const double spread = CentreStdDev(shot);
  EXPECT_LT(spread, 10.0);
  EXPECT_NEAR(static_cast<double>(shot.At(kW / 2, kH / 3) & 0xFF), 128.0, 2.0);
  // Sampled without the copies, the same frame is black and white bands.
  HBITMAP raw = LoadImageW(nullptr, FrameRig::Picture(0, 0).string(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  const double nearest = StdDevOf(NearestFrame(rig, raw));
  EXPECT_GT(nearest, 100.0);
  DeleteObject(raw);
  std::printf("one-pixel %s lines at 0.36: centre std dev %.1f of 255 (nearest neighbour %.1f)\n",
              vertical ? "vertical" : "horizontal", spread, nearest);
}

TEST(FrameLevels, OnePixelVerticalLinesShrunkToFullHeightAreUniformGrey) { ExpectUniformGrey(true); }
TEST(FrameLevels, OnePixelHorizontalLinesShrunkToFullHeightAreUniformGrey) { ExpectUniformGrey(false); }

// A photograph-like picture: smooth shading under fine texture at several periods near the
// pixel size. Its value at (x, y), for one channel.
double PhotoValue(int x, int y) {
  const double fx = x, fy = y;
  return 128 + 60 * std::sin(fx / 700) * std::cos(fy / 500) + 25 * std::sin(fx * 2.9 + fy * 0.4) +
         20 * std::sin(fx * 1.3 - fy * 2.2) + 15 * std::sin(fy * 3.05);
}

Pixel PhotoPixel(int x, int y) {
  const int v = static_cast<int>(std::lround(std::clamp(PhotoValue(x, y), 0.0, 255.0)));
  return static_cast<Pixel>(v) * 0x010101u;
}

// Mean absolute difference, over the centre region, between a frame and the area average of
// the picture under each shown pixel.
double DifferenceFromAreaAverage(const std::vector<Pixel>& frame, const SlotScale& s, int pw, int ph) {
  double total = 0, count = 0;
  for (int y = kTop; y < kBottom; y += 3) {
    for (int x = kLeft; x < kRight; x += 3) {
      const double x0 = static_cast<double>(x - s.centre_x) * pw / s.drawn_w;
      const double x1 = static_cast<double>(x + 1 - s.centre_x) * pw / s.drawn_w;
      const double y0 = static_cast<double>(y - s.centre_y) * ph / s.drawn_h;
      const double y1 = static_cast<double>(y + 1 - s.centre_y) * ph / s.drawn_h;
      double sum = 0, n = 0;
      for (int sy = static_cast<int>(y0); sy < static_cast<int>(std::ceil(y1)); ++sy) {
        for (int sx = static_cast<int>(x0); sx < static_cast<int>(std::ceil(x1)); ++sx) {
          const double wx = std::min<double>(sx + 1, x1) - std::max<double>(sx, x0);
          const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
          sum += (PhotoPixel(sx, sy) & 0xFF) * wx * wy;
          n += wx * wy;
        }
      }
      total += std::abs(static_cast<double>(frame[static_cast<std::size_t>(y) * kW + x] & 0xFF) - sum / n);
      count += 1;
    }
  }
  return total / count;
}

TEST(FrameLevels, APhotoShrunkToFullHeightIsCloseToItsAreaAverage) {
  FrameRig rig(kW, kH);
  frame_test::WritePatternBitmap(FrameRig::Picture(0, 0), 4000, 3000, PhotoPixel);
  rig.Start();
  rig.dlg.m_brightness = 255;
  rig.Render();
  const frame_test::Shot shot = rig.Read();
  const SlotScales scales = ScaleAndCentre(kH, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                           rig.dlg.m_breath, rig.dlg.m_zoom, SIZE{4000, 3000}, SIZE{4000, 3000});
  ASSERT_EQ(rig.dlg.m_strip_origin, 0);
  ASSERT_EQ(rig.dlg.m_strip_origin_y, 0);
  const double filtered = DifferenceFromAreaAverage(shot.pixels, scales.left, 4000, 3000);
  HBITMAP raw = LoadImageW(nullptr, FrameRig::Picture(0, 0).string(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  const double nearest = DifferenceFromAreaAverage(NearestFrame(rig, raw), scales.left, 4000, 3000);
  DeleteObject(raw);
  std::printf("photo at 0.36: mean difference from the area average %.1f of 255 (nearest neighbour %.1f)\n",
              filtered, nearest);
  EXPECT_LT(filtered, 12.0);
  EXPECT_LT(filtered, nearest / 2);
}

// At three quarters (a 1920 x 1440 picture at 1080) and when enlarged, the frame is the
// nearest-neighbour frame, pixel for pixel.
void ExpectNearestFrame(int pw, int ph) {
  FrameRig rig(kW, kH);
  frame_test::WritePatternBitmap(FrameRig::Picture(0, 0), pw, ph, [](int x, int y) {
    std::uint32_t v = (static_cast<std::uint32_t>(x) * 73856093u) ^ (static_cast<std::uint32_t>(y) * 19349663u);
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    return static_cast<Pixel>((v ^ (v >> 15)) & 0xFFFFFF);
  });
  rig.Start();
  rig.dlg.m_brightness = 200;
  rig.Render();
  const frame_test::Shot shot = rig.Read();
  HBITMAP raw = LoadImageW(nullptr, FrameRig::Picture(0, 0).string(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  const std::vector<Pixel> nearest = NearestFrame(rig, raw);
  DeleteObject(raw);
  int differ = 0;
  for (int y = kTop; y < kH * 3 / 4; ++y) {
    for (int x = 0; x < kW; ++x) differ += (shot.At(x, y) & 0xFFFFFF) != nearest[static_cast<std::size_t>(y) * kW + x];
  }
  EXPECT_EQ(differ, 0) << pw << " x " << ph;
}

TEST(FrameLevels, AtThreeQuartersThePictureIsDrawnNearestNeighbour) { ExpectNearestFrame(1920, 1440); }
TEST(FrameLevels, EnlargedThePictureIsDrawnNearestNeighbour) { ExpectNearestFrame(1000, 700); }

}  // namespace
