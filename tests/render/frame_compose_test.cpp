// The one-pass picture layer against the GDI sequence it replaces: a fresh black layer, one
// COLORONCOLOR StretchBlt per draw, then AlphaBlend of the layer over a black background.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "render/compose.h"
#include "tests/support/frame_rig.h"

namespace {

// A picture whose every pixel differs from its neighbours, so any wrong source pick shows.
HBITMAP Pattern(int width, int height, std::uint32_t seed) {
  DecodedPicture picture;
  picture.width = width;
  picture.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t v = (static_cast<std::uint32_t>(x) * 73856093u) ^ (static_cast<std::uint32_t>(y) * 19349663u) ^ seed;
      v ^= v >> 13;
      v *= 0x5bd1e995u;
      v ^= v >> 15;
      picture.pixels.push_back(v & 0xFFFFFF);
    }
  }
  return CreateBitmapFromPicture(std::move(picture));
}

struct Draw {
  HBITMAP bitmap;  // null: a slot whose file could not be read
  int dx, dy, dw, dh;
  int sx, sy, sw, sh;
};

// The layer as GDI draws it, blended over the black background.
std::vector<Pixel> GdiReference(int width, int height, const std::vector<Draw>& draws, BYTE alpha) {
  HDC background_dc = CreateCompatibleDC(nullptr);
  HBITMAP background = CreateCompatibleBitmap(nullptr, width, height);
  HBITMAP background_previous = SelectObject(background_dc, background);
  HDC layer_dc = CreateCompatibleDC(nullptr);
  HBITMAP layer = CreateCompatibleBitmap(nullptr, width, height);
  HBITMAP layer_previous = SelectObject(layer_dc, layer);
  SetStretchBltMode(layer_dc, COLORONCOLOR);
  HDC source_dc = CreateCompatibleDC(nullptr);
  for (const Draw& d : draws) {
    if (!d.bitmap) continue;
    HBITMAP source_previous = SelectObject(source_dc, d.bitmap);
    StretchBlt(layer_dc, d.dx, d.dy, d.dw, d.dh, source_dc, d.sx, d.sy, d.sw, d.sh, SRCCOPY);
    SelectObject(source_dc, source_previous);
  }
  AlphaBlend(background_dc, 0, 0, width, height, layer_dc, 0, 0, width, height,
             BLENDFUNCTION{AC_SRC_OVER, 0, alpha, 0});
  PixelBuffer pixels = BitmapPixels(background);
  std::vector<Pixel> out;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.push_back(pixels.Row(y)[x] & 0xFFFFFF);
  }
  DeleteDC(source_dc);
  SelectObject(layer_dc, layer_previous);
  DeleteObject(layer);
  DeleteDC(layer_dc);
  SelectObject(background_dc, background_previous);
  DeleteObject(background);
  DeleteDC(background_dc);
  return out;
}

// The layer composed in one pass into a buffer that starts out full of another colour.
std::vector<Pixel> OnePass(int width, int height, const std::vector<Draw>& draws, int alpha) {
  HBITMAP out_bitmap = CreateCompatibleBitmap(nullptr, width, height);
  PixelBuffer out = BitmapPixels(out_bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.Row(y)[x] = 0x5A3C1E;
  }
  std::vector<LayerDraw> layer;
  for (const Draw& d : draws) {
    layer.push_back({BitmapPixels(d.bitmap), d.dx, d.dy, d.dw, d.dh, d.sx, d.sy, d.sw, d.sh});
  }
  ComposePictureLayer(out, layer, alpha);
  std::vector<Pixel> result;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) result.push_back(out.Row(y)[x] & 0xFFFFFF);
  }
  DeleteObject(out_bitmap);
  return result;
}

struct DrawCase {
  std::string name;
  int width, height;
  std::vector<Draw> draws;
};

void ExpectSameAsGdi(const DrawCase& setup) {
  for (int alpha : {0, 1, 128, 254, 255}) {
    std::vector<Pixel> expected = GdiReference(setup.width, setup.height, setup.draws, static_cast<BYTE>(alpha));
    std::vector<Pixel> actual = OnePass(setup.width, setup.height, setup.draws, alpha);
    ASSERT_EQ(actual.size(), expected.size());
    int mismatches = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
      if (actual[i] == expected[i]) continue;
      if (++mismatches <= 3) {
        ADD_FAILURE() << setup.name << ", alpha " << alpha << ": pixel (" << i % setup.width << ", "
                      << i / setup.width << ") is " << std::hex << actual[i] << ", GDI gives " << expected[i];
      }
    }
    EXPECT_EQ(mismatches, 0) << setup.name << ", alpha " << alpha;
  }
}

class FrameCompose : public ::testing::Test {
 protected:
  void SetUp() override {
    m_a = Pattern(48, 40, 1);
    m_b = Pattern(37, 23, 2);
    m_wide = Pattern(480, 400, 3);
  }
  void TearDown() override {
    DeleteObject(m_a);
    DeleteObject(m_b);
    DeleteObject(m_wide);
  }
  HBITMAP m_a = nullptr;
  HBITMAP m_b = nullptr;
  HBITMAP m_wide = nullptr;
};

}  // namespace

TEST_F(FrameCompose, StripDrawsEqualTheGdiSequence) {
  const std::vector<DrawCase> setups = {
      {"one picture enlarged", 160, 100, {{m_a, 20, 0, 120, 100, 0, 0, 48, 40}}},
      {"two pictures overlapping", 160, 100,
       {{m_a, -30, 0, 120, 100, 0, 0, 48, 40}, {m_b, 50, 5, 90, 80, 0, 0, 37, 23}}},
      {"neighbour entering from the left", 160, 100,
       {{m_a, 60, 0, 120, 100, 0, 0, 48, 40}, {m_b, -100, 0, 120, 100, 0, 0, 37, 23}}},
      {"larger than the screen", 160, 100, {{m_a, -100, -50, 400, 250, 0, 0, 48, 40}}},
      {"negative destination x", 160, 100, {{m_a, -47, 3, 96, 80, 0, 0, 48, 40}}},
      {"shrunk", 160, 100, {{m_a, 3, 4, 20, 17, 0, 0, 48, 40}, {m_b, 100, 60, 11, 7, 0, 0, 37, 23}}},
      {"one to one", 160, 100, {{m_a, 5, 7, 48, 40, 0, 0, 48, 40}, {m_b, 150, 90, 37, 23, 0, 0, 37, 23}}},
      {"odd stretch", 161, 99, {{m_b, 1, 1, 159, 97, 0, 0, 37, 23}}},
      {"unreadable slot and zero size", 160, 100,
       {{nullptr, 0, 0, 0, 0, 0, 0, 0, 0}, {m_a, 10, 10, 0, 50, 0, 0, 48, 40}, {m_b, 10, 10, 60, 0, 0, 0, 37, 23}}},
      {"entirely off screen", 160, 100, {{m_a, 170, 0, 50, 50, 0, 0, 48, 40}, {m_b, -60, -60, 50, 50, 0, 0, 37, 23}}},
      {"screen-sized frame", 1280, 800,
       {{m_wide, 480, 0, 960, 800, 0, 0, 480, 400}, {m_wide, -800, 0, 960, 800, 0, 0, 480, 400}}},
      // Over 4 MB of output, rows not 16-byte aligned: the layer is streamed out.
      {"large screen, odd row alignment", 1366, 768,
       {{m_wide, 223, 0, 921, 768, 0, 0, 480, 400}, {m_b, -1000, 5, 1105, 690, 0, 0, 37, 23}}},
  };
  for (const DrawCase& setup : setups) ExpectSameAsGdi(setup);
}

// The view case takes a source rectangle of the bitmap's own size from the view position, which
// may reach outside the bitmap; those destination pixels are left as they were.
TEST_F(FrameCompose, ViewDrawsReachingOutsideTheSourceEqualTheGdiSequence) {
  const std::vector<DrawCase> setups = {
      {"view position right and up", 160, 100, {{m_a, 10, 10, 120, 80, 30, -15, 48, 40}}},
      {"view position left and down", 160, 100, {{m_a, -20, -10, 200, 130, -21, 9, 48, 40}}},
      {"view position past the bitmap", 160, 100, {{m_a, 0, 0, 160, 100, 100, 100, 48, 40}}},
      {"over another picture", 160, 100,
       {{m_b, 0, 0, 160, 100, 0, 0, 37, 23}, {m_a, 20, 10, 120, 80, 24, -20, 48, 40}}},
      {"shrunk with an offset", 160, 100, {{m_wide, 0, 0, 100, 80, 200, 150, 480, 400}}},
  };
  for (const DrawCase& setup : setups) ExpectSameAsGdi(setup);
}

// Every channel value at every alpha: the one-pass scale equals GDI's blend over black and the
// rounded formula (c * a + 127) / 255.
TEST(FrameComposeScale, ScaleOverBlackEqualsTheGdiBlendForEveryValueAndAlpha) {
  DecodedPicture values;
  values.width = 256;
  values.height = 1;
  for (std::uint32_t c = 0; c < 256; ++c) values.pixels.push_back((c << 16) | ((255 - c) << 8) | ((c * 37 + 11) & 0xFF));
  HBITMAP source = CreateBitmapFromPicture(values);
  HDC source_dc = CreateCompatibleDC(nullptr);
  HBITMAP source_previous = SelectObject(source_dc, source);
  HDC target_dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateCompatibleBitmap(nullptr, 256, 1);
  HBITMAP target_previous = SelectObject(target_dc, target);
  int mismatches = 0;
  for (int alpha = 0; alpha < 256; ++alpha) {
    PatBlt(target_dc, 0, 0, 256, 1, BLACKNESS);
    AlphaBlend(target_dc, 0, 0, 256, 1, source_dc, 0, 0, 256, 1,
               BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0});
    const Pixel* blended = BitmapPixels(target).Row(0);
    for (int c = 0; c < 256; ++c) {
      const Pixel pixel = values.pixels[static_cast<std::size_t>(c)];
      const Pixel mine = ScaleOverBlack(pixel, static_cast<std::uint32_t>(alpha));
      const Pixel gdi = blended[c] & 0xFFFFFF;
      if ((mine != gdi || mine != frame_test::OverBlack(pixel, alpha)) && ++mismatches <= 5) {
        ADD_FAILURE() << "alpha " << alpha << ", pixel " << std::hex << pixel << ": " << mine << ", GDI " << gdi;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  SelectObject(target_dc, target_previous);
  DeleteObject(target);
  DeleteDC(target_dc);
  SelectObject(source_dc, source_previous);
  DeleteDC(source_dc);
  DeleteObject(source);
}

// Alpha outside 0..255 is clamped by the one-pass layer (the renderer passes the low 8 bits).
TEST(FrameComposeScale, AlphaIsClampedToItsRange) {
  HBITMAP source = CreateBitmapFromPicture(DecodedPicture{1, 1, {0x804020}});
  HBITMAP out_bitmap = CreateCompatibleBitmap(nullptr, 1, 1);
  LayerDraw draw{BitmapPixels(source), 0, 0, 1, 1, 0, 0, 1, 1};
  ComposePictureLayer(BitmapPixels(out_bitmap), std::span<const LayerDraw>(&draw, 1), 300);
  EXPECT_EQ(BitmapPixels(out_bitmap).Row(0)[0] & 0xFFFFFF, 0x804020u);
  ComposePictureLayer(BitmapPixels(out_bitmap), std::span<const LayerDraw>(&draw, 1), -5);
  EXPECT_EQ(BitmapPixels(out_bitmap).Row(0)[0] & 0xFFFFFF, 0u);
  DeleteObject(out_bitmap);
  DeleteObject(source);
}
