#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/window/client_surface.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using gdi_test::Canvas;
using gdi_test::Rows;

// ---- BitBlt ----

TEST(BitBlt, CopiesARectangle) {
  Canvas src(Rows{"RG", "B#"});
  Canvas dst(4, 3);
  EXPECT_TRUE(BitBlt(dst.dc(), 1, 1, 2, 2, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.Art(), (Rows{"....", ".RG.", ".B#."}));
}

TEST(BitBlt, ClipsToBothBitmapsLeavingTheRestAlone) {
  Canvas src(Rows{"RG", "B#"});
  Canvas dst(Rows{"111", "111", "111"});
  BitBlt(dst.dc(), -1, -1, 2, 2, src.dc(), 0, 0, SRCCOPY);  // only the bottom-right source pixel lands
  EXPECT_EQ(dst.Art(), (Rows{"#11", "111", "111"}));
  Canvas dst2(Rows{"111", "111", "111"});
  BitBlt(dst2.dc(), 0, 0, 3, 3, src.dc(), -1, 0, SRCCOPY);  // source column -1 and row 2 do not exist
  EXPECT_EQ(dst2.Art(), (Rows{"1RG", "1B#", "111"}));
}

TEST(BitBlt, RasterOperations) {
  struct Case {
    DWORD rop;
    Rows expected;
  };
  const Case cases[] = {
      {SRCCOPY, {"G#.R"}},
      {SRCAND, {".#.."}},  // R & G, # & #, R & ., # & R
      {SRCPAINT, {"Y#RM"}},  // R | G, # | #, R | ., B | R
      {SRCINVERT, {"Y.RM"}},
      {BLACKNESS, {"...."}},
      {WHITENESS, {"####"}},
      {DSTINVERT, {"C.CY"}},
  };
  for (const Case& c : cases) {
    Canvas src(Rows{"G#.R"});
    Canvas dst(Rows{"R#RB"});
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, c.rop));
    EXPECT_EQ(dst.Art(), c.expected) << std::hex << c.rop;
  }
}

TEST(BitBlt, WithinOneBitmapOverlappingInEveryDirection) {
  struct Case {
    int x, y, srcX, srcY;
    Rows expected;
  };
  const Case cases[] = {
      {1, 0, 0, 0, {"RRGB", "CCMY", "...."}},
      {0, 0, 1, 0, {"GB..", "MY..", "...."}},
      {0, 1, 0, 0, {"RGB.", "RGB.", "CMY."}},
      {0, 0, 0, 1, {"CMY.", "....", "...."}},
      {1, 1, 0, 0, {"RGB.", "CRGB", ".CMY"}},
  };
  for (const Case& c : cases) {
    Canvas canvas(Rows{"RGB.", "CMY.", "...."});
    BitBlt(canvas.dc(), c.x, c.y, 4, 3, canvas.dc(), c.srcX, c.srcY, SRCCOPY);
    EXPECT_EQ(canvas.Art(), c.expected) << c.x << "," << c.y << " from " << c.srcX << "," << c.srcY;
  }
}

TEST(BitBlt, NeedsASourceOnlyWhenTheOperationReadsOne) {
  Canvas dst(Rows{".."});
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 1, nullptr, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 1, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(dst.Art(), (Rows{"##"}));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 2, 1, dst.dc(), 0, 0, SRCCOPY));
}

TEST(BitBlt, WindowOriginsOfBothDcs) {
  Canvas src(Rows{"RGB"});
  Canvas dst(Rows{"...."});
  SetWindowOrgEx(dst.dc(), -1, 0, nullptr);  // logical 0 is device 1
  SetWindowOrgEx(src.dc(), 1, 0, nullptr);   // logical 1 is device 0
  BitBlt(dst.dc(), 0, 0, 3, 1, src.dc(), 1, 0, SRCCOPY);
  EXPECT_EQ(dst.Art(), (Rows{".RGB"}));
}

// ---- Colour and monochrome ----

TEST(MonochromeBlits, ColourToMonoMarksTheSourceBackgroundColour) {
  Canvas src(Rows{"RG", "GR"});
  Canvas mono(2, 2, true);
  SetBkColor(src.dc(), RGB(0, 255, 0));
  BitBlt(mono.dc(), 0, 0, 2, 2, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(mono.Art(), (Rows{".#", "#."}));
}

TEST(MonochromeBlits, MonoToColourUsesTheDestinationTextAndBackgroundColours) {
  Canvas mono(Rows{"#.", ".#"}, true);
  Canvas dst(2, 2);
  SetTextColor(dst.dc(), RGB(255, 0, 0));
  SetBkColor(dst.dc(), RGB(0, 0, 255));
  SetTextColor(mono.dc(), RGB(0, 255, 0));  // the source DC's colours play no part
  BitBlt(dst.dc(), 0, 0, 2, 2, mono.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Art(), (Rows{"BR", "RB"}));
}

TEST(MonochromeBlits, MonoToMonoCopiesBits) {
  Canvas a(Rows{"#."}, true);
  Canvas b(Rows{".#"}, true);
  BitBlt(b.dc(), 0, 0, 2, 1, a.dc(), 0, 0, SRCPAINT);
  EXPECT_EQ(b.Art(), (Rows{"##"}));
}

TEST(MonochromeBlits, TransparentSpriteWithAMask) {
  Canvas sprite(Rows{"MRM", "RRR"});
  Canvas mask(3, 2, true);
  Canvas scene(Rows{"111", "111"});
  // The mask: 1 where the sprite shows the key colour.
  SetBkColor(sprite.dc(), RGB(255, 0, 255));
  BitBlt(mask.dc(), 0, 0, 3, 2, sprite.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(mask.Art(), (Rows{"#.#", "..."}));
  // Key pixels of the sprite to black: mask 1 bits become the sprite DC's background (black).
  SetBkColor(sprite.dc(), RGB(0, 0, 0));
  SetTextColor(sprite.dc(), RGB(255, 255, 255));
  BitBlt(sprite.dc(), 0, 0, 3, 2, mask.dc(), 0, 0, SRCAND);
  // Cut the sprite's shape out of the scene, then paint the sprite in.
  SetBkColor(scene.dc(), RGB(255, 255, 255));
  SetTextColor(scene.dc(), RGB(0, 0, 0));
  BitBlt(scene.dc(), 0, 0, 3, 2, mask.dc(), 0, 0, SRCAND);
  BitBlt(scene.dc(), 0, 0, 3, 2, sprite.dc(), 0, 0, SRCPAINT);
  EXPECT_EQ(scene.Art(), (Rows{"1R1", "RRR"}));
}

TEST(MonochromeBlits, StretchedColourToMono) {
  Canvas src(Rows{"RG"});
  Canvas mono(4, 1, true);
  SetBkColor(src.dc(), RGB(255, 0, 0));
  SetStretchBltMode(mono.dc(), COLORONCOLOR);
  StretchBlt(mono.dc(), 0, 0, 4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(mono.Art(), (Rows{"##.."}));
}

TEST(MonochromeBlits, PatternColoursOnAMonoTargetAreTheNearerOfBlackAndWhite) {
  Canvas mono(2, 1, true);
  HBRUSH light = CreateSolidBrush(RGB(200, 200, 200));
  HGDIOBJ old = SelectObject(mono.dc(), static_cast<HGDIOBJ>(light));
  PatBlt(mono.dc(), 0, 0, 1, 1, PATCOPY);
  SelectObject(mono.dc(), old);
  DeleteObject(light);
  EXPECT_EQ(mono.Art(), (Rows{"#."}));
}

// ---- StretchBlt ----

TEST(StretchBlt, NearestNeighbourTables) {
  struct Case {
    Rows source;
    int width, height;
    Rows expected;
  };
  const Case cases[] = {
      {{"RG", "B#"}, 4, 4, {"RRGG", "RRGG", "BB##", "BB##"}},
      {{"RG"}, 3, 1, {"RRG"}},          // an exact tie goes to the lower pixel
      {{"RGBY"}, 2, 1, {"GY"}},         // shrinking across keeps the last of each pair
      {{"R", "G", "B", "Y"}, 1, 2, {"R", "B"}},  // shrinking down keeps the first
      {{"RGBY"}, 1, 1, {"B"}},          // one column: the source is one shorter first
      {{"RGB", "CMY"}, 3, 2, {"RGB", "CMY"}},
  };
  for (const Case& c : cases) {
    Canvas src(c.source);
    Canvas dst(c.width, c.height);
    SetStretchBltMode(dst.dc(), COLORONCOLOR);
    EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, c.width, c.height, src.dc(), 0, 0, static_cast<int>(c.source[0].size()),
                           static_cast<int>(c.source.size()), SRCCOPY));
    EXPECT_EQ(dst.Art(), c.expected) << c.source[0] << " to " << c.width << "x" << c.height;
  }
}

TEST(StretchBlt, NegativeExtentsMirror) {
  Canvas src(Rows{"RGB", "CMY"});
  struct Case {
    int x, y, w, h, sx, sy, sw, sh;
    Rows expected;
  };
  const Case cases[] = {
      {3, 0, -3, 2, 0, 0, 3, 2, {"BGR", "YMC"}},
      {0, 0, 3, 2, 3, 0, -3, 2, {"BGR", "YMC"}},
      {0, 2, 3, -2, 0, 0, 3, 2, {"CMY", "RGB"}},
      {3, 2, -3, -2, 3, 2, -3, -2, {"RGB", "CMY"}},  // both negative: no mirror
  };
  for (const Case& c : cases) {
    Canvas dst(3, 2);
    StretchBlt(dst.dc(), c.x, c.y, c.w, c.h, src.dc(), c.sx, c.sy, c.sw, c.sh, SRCCOPY);
    EXPECT_EQ(dst.Art(), c.expected) << c.w << "x" << c.h << " from " << c.sw << "x" << c.sh;
  }
}

TEST(StretchBlt, DestinationPixelsFromOutsideTheSourceAreLeftAlone) {
  Canvas src(Rows{"RG"});
  Canvas dst(Rows{"1111"});
  StretchBlt(dst.dc(), 0, 0, 4, 1, src.dc(), -1, 0, 2, 1, SRCCOPY);  // source -1..0: only 0 exists
  EXPECT_EQ(dst.Art(), (Rows{"11RR"}));
}

TEST(StretchBlt, RasterOperationAndHugeExtentsAreSafe) {
  Canvas src(Rows{"G"});
  Canvas dst(Rows{"RR", "RR"});
  StretchBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, 1, 1, SRCPAINT);
  EXPECT_EQ(dst.Art(), (Rows{"YY", "YY"}));
  EXPECT_TRUE(StretchBlt(dst.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, src.dc(), 0, 0, 1, 1, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 2, 2, src.dc(), INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 0, 2, src.dc(), 0, 0, 1, 1, SRCCOPY));
}

// ---- PatBlt ----

TEST(PatBlt, PaintsTheSelectedBrush) {
  Canvas dst(Rows{"....", "...."});
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(dst.dc(), static_cast<HGDIOBJ>(red));
  EXPECT_TRUE(PatBlt(dst.dc(), 1, 0, 2, 2, PATCOPY));
  EXPECT_TRUE(PatBlt(dst.dc(), 4, 1, -1, -1, PATCOPY));  // normalized to [3, 4) x [0, 1)
  EXPECT_FALSE(PatBlt(dst.dc(), 0, 0, 1, 1, SRCCOPY));
  SelectObject(dst.dc(), GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(PatBlt(dst.dc(), 0, 0, 4, 2, PATCOPY));  // a hollow brush paints nothing
  SelectObject(dst.dc(), old);
  DeleteObject(red);
  EXPECT_EQ(dst.Art(), (Rows{".RRR", ".RR."}));
}

// ---- World transforms ----

XFORM Rotation(double degrees, float dx, float dy) {
  const double r = degrees * std::numbers::pi / 180;
  const float c = static_cast<float>(std::cos(r));
  const float s = static_cast<float>(std::sin(r));
  return XFORM{c, s, -s, c, dx, dy};
}

TEST(TransformedBlit, QuarterTurnsOfATinyPicture) {
  struct Case {
    double degrees;
    float dx, dy;
    int width, height;
    Rows expected;
  };
  const Case cases[] = {
      {90, 2, 0, 2, 3, {"CR", "MG", "YB"}},
      {180, 3, 2, 3, 2, {"YMC", "BGR"}},
      {270, 0, 3, 2, 3, {"BY", "GM", "RC"}},
      {0, 0, 0, 3, 2, {"RGB", "CMY"}},
  };
  for (const Case& c : cases) {
    Canvas src(Rows{"RGB", "CMY"});
    Canvas dst(c.width, c.height);
    ASSERT_TRUE(SetGraphicsMode(dst.dc(), GM_ADVANCED));
    const XFORM turn = Rotation(c.degrees, c.dx, c.dy);
    ASSERT_TRUE(SetWorldTransform(dst.dc(), &turn));
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 3, 2, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Art(), c.expected) << c.degrees;
  }
}

// Distinct pixels 1..w*h for permutation checks.
void Number(const PixelBuffer& p) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.Row(y)[x] = static_cast<Pixel>(1 + y * p.width + x);
}

TEST(TransformedBlit, QuarterTurnsArePermutationsWithoutHoles) {
  const int w = 7, h = 4;
  struct Case {
    double degrees;
    float dx, dy;
    bool swap;
  };
  // Half-pixel translations put pixel centres on pixel edges; quarter turns must still be exact.
  const Case cases[] = {{90, h, 0, true}, {180, w, h, false}, {270, 0, w, true},
                        {90, h + 0.5f, -0.5f, true}, {-90, 0, w, true}, {450, h, 0, true}};
  for (const Case& c : cases) {
    Canvas src(w, h);
    Number(src.pixels());
    const int dw = c.swap ? h : w, dh = c.swap ? w : h;
    Canvas dst(dw + 2, dh + 2);
    SetGraphicsMode(dst.dc(), GM_ADVANCED);
    const XFORM turn = Rotation(c.degrees, c.dx + 1, c.dy + 1);
    SetWorldTransform(dst.dc(), &turn);
    BitBlt(dst.dc(), 0, 0, w, h, src.dc(), 0, 0, SRCCOPY);
    std::vector<Pixel> seen;
    for (int y = 0; y < dh + 2; ++y)
      for (int x = 0; x < dw + 2; ++x)
        if (dst.At(x, y) != 0) seen.push_back(dst.At(x, y));
    std::sort(seen.begin(), seen.end());
    std::vector<Pixel> all(w * h);
    for (int i = 0; i < w * h; ++i) all[i] = static_cast<Pixel>(i + 1);
    EXPECT_EQ(seen, all) << c.degrees << " by " << c.dx << "," << c.dy;
  }
}

TEST(TransformedBlit, ArbitraryAngleStaysInsideTheTurnedRectangle) {
  Canvas src(Rows{"RR", "RR"});
  Canvas dst(8, 8);
  SetGraphicsMode(dst.dc(), GM_ADVANCED);
  const XFORM turn = Rotation(45, 4, 2);
  SetWorldTransform(dst.dc(), &turn);
  BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, SRCCOPY);
  // The turned square covers the diamond around (4, 3.4); corners of the canvas stay black.
  EXPECT_EQ(dst.At(4, 3), 0xFF0000u);
  EXPECT_EQ(dst.At(0, 0), 0u);
  EXPECT_EQ(dst.At(7, 7), 0u);
  EXPECT_EQ(dst.At(4, 0), 0u);
}

TEST(TransformedBlit, ScaleAndFractionalShiftGoThroughTheInverseMap) {
  Canvas src(Rows{"RG"});
  Canvas dst(5, 2);
  SetGraphicsMode(dst.dc(), GM_ADVANCED);
  const XFORM scale{2, 0, 0, 2, 0.5f, 0};
  SetWorldTransform(dst.dc(), &scale);
  BitBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, SRCCOPY);
  // Device centres 0.5 .. 4.5 map to logical -0.0, 0.5, 1.0, 1.5, 2.0.
  EXPECT_EQ(dst.Art(), (Rows{"RRGG.", "RRGG."}));
}

TEST(TransformedBlit, StretchAndPatternFillThroughARotation) {
  Canvas src(Rows{"RG"});
  Canvas dst(2, 4);
  SetGraphicsMode(dst.dc(), GM_ADVANCED);
  const XFORM turn = Rotation(90, 2, 0);
  SetWorldTransform(dst.dc(), &turn);
  StretchBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);  // 4 x 1 turned into a column at x = 1
  EXPECT_EQ(dst.Art(), (Rows{".R", ".R", ".G", ".G"}));
  const RECT band{0, 0, 4, 1};
  FillRect(dst.dc(), &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(dst.Art(), (Rows{".#", ".#", ".#", ".#"}));
}

// ---- AlphaBlend ----

TEST(AlphaBlend, ConstantAlphaPerChannel) {
  Canvas src(Rows{"#R.", "G#B"});
  Canvas dst(Rows{"..#", "B.G"});
  const BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  EXPECT_TRUE(AlphaBlend(dst.dc(), 0, 0, 3, 2, src.dc(), 0, 0, 3, 2, half));
  auto mix = [](Pixel s, Pixel d) {
    Pixel out = 0;
    for (int shift : {16, 8, 0}) {
      out |= ((((s >> shift) & 0xFF) * 128 + ((d >> shift) & 0xFF) * 127 + 127) / 255) << shift;
    }
    return out;
  };
  EXPECT_EQ(dst.At(0, 0), mix(0xFFFFFF, 0));
  EXPECT_EQ(dst.At(0, 0), 0x808080u);
  EXPECT_EQ(dst.At(1, 0), mix(0xFF0000, 0));
  EXPECT_EQ(dst.At(2, 0), mix(0, 0xFFFFFF));
  EXPECT_EQ(dst.At(0, 1), mix(0x00FF00, 0x0000FF));
  EXPECT_EQ(dst.At(2, 1), mix(0x0000FF, 0x00FF00));
}

TEST(AlphaBlend, OpaqueCopiesAndTransparentLeaves) {
  Canvas src(Rows{"RG"});
  Canvas dst(Rows{"BB"});
  AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 255, 0});
  AlphaBlend(dst.dc(), 1, 0, 1, 1, src.dc(), 1, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 0, 0});
  EXPECT_EQ(dst.Art(), (Rows{"RB"}));
}

TEST(AlphaBlend, RefusesWhatTheDesktopApiRefuses) {
  Canvas src(Rows{"RG"});
  Canvas dst(Rows{"BB"});
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), 1, 0, 2, 1, blend));   // source past the bitmap
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), -1, 0, 2, 1, blend));
  EXPECT_FALSE(AlphaBlend(dst.dc(), 2, 0, -2, 1, src.dc(), 0, 0, 2, 1, blend));  // negative extent
  const BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, perPixel));
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 2, 1, nullptr, 0, 0, 2, 1, blend));
  EXPECT_EQ(dst.Art(), (Rows{"BB"}));
  EXPECT_TRUE(AlphaBlend(dst.dc(), -5, 0, 2, 1, src.dc(), 0, 0, 2, 1, blend));  // off the target: nothing
  EXPECT_EQ(dst.Art(), (Rows{"BB"}));
}

TEST(AlphaBlend, StretchesAndClips) {
  Canvas src(Rows{"RG"});
  Canvas dst(Rows{"....", "...."});
  AlphaBlend(dst.dc(), 1, 0, 4, 2, src.dc(), 0, 0, 2, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 255, 0});
  EXPECT_EQ(dst.Art(), (Rows{".RRG", ".RRG"}));
}

TEST(AlphaBlend, OntoAMonochromeTarget) {
  Canvas src(Rows{"##"});
  Canvas mono(Rows{".#"}, true);
  AlphaBlend(mono.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 200, 0});
  EXPECT_EQ(mono.Art(), (Rows{"##"}));
}

// ---- Window surfaces ----

TEST(SurfaceDc, EachDrawingCallIsOneUpdate) {
  ClientSurface surface(4, 2);
  HDC window = CreateSurfaceDC(surface);
  Canvas src(Rows{"RG"});
  const std::uint64_t start = surface.Generation();
  BitBlt(window, 0, 0, 2, 1, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(surface.Generation(), start + 1);
  const RECT r{2, 0, 4, 2};
  FillRect(window, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Rectangle(window, 0, 0, 4, 2);
  EXPECT_EQ(surface.Generation(), start + 3);
  EXPECT_EQ(GetDeviceCaps(window, HORZRES), 4);
  EXPECT_EQ(GetDeviceCaps(window, VERTRES), 2);
  DeleteDC(window);
}

TEST(SurfaceDc, BlitsFromAndWithinASurface) {
  ClientSurface surface(3, 1);
  ClientSurface other(3, 1);
  HDC window = CreateSurfaceDC(surface);
  HDC second = CreateSurfaceDC(surface);  // a second DC on the same surface
  HDC otherDc = CreateSurfaceDC(other);
  Canvas src(Rows{"RGB"});
  BitBlt(window, 0, 0, 3, 1, src.dc(), 0, 0, SRCCOPY);
  BitBlt(second, 1, 0, 2, 1, window, 0, 0, SRCCOPY);  // the same surface: read in place
  BitBlt(otherDc, 0, 0, 3, 1, window, 0, 0, SRCCOPY);  // another surface: copied out first
  Canvas copy(3, 1);
  BitBlt(copy.dc(), 0, 0, 3, 1, otherDc, 0, 0, SRCCOPY);
  EXPECT_EQ(copy.Art(), (Rows{"RRG"}));
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 1, 1);
  EXPECT_EQ(SelectObject(window, bitmap), nullptr);  // no bitmaps in a window DC
  DeleteObject(bitmap);
  DeleteDC(window);
  DeleteDC(second);
  DeleteDC(otherDc);
}

TEST(SurfaceDc, ThreadsNeverMixWithinOneCall) {
  ClientSurface surface(64, 32);
  std::atomic<bool> done{false};
  std::atomic<int> mixed{0};
  auto painter = [&](COLORREF color) {
    HDC dc = CreateSurfaceDC(surface);
    HBRUSH brush = CreateSolidBrush(color);
    const RECT all{0, 0, 64, 32};
    for (int i = 0; i < 300; ++i) FillRect(dc, &all, brush);
    DeleteObject(brush);
    DeleteDC(dc);
  };
  std::thread checker([&] {
    while (!done) {
      surface.Read([&](const PixelBuffer& p) {
        for (int y = 0; y < p.height; ++y)
          for (int x = 0; x < p.width; ++x)
            if (p.Row(y)[x] != p.Row(0)[0]) {
              ++mixed;
              return;
            }
      });
    }
  });
  std::thread a(painter, RGB(255, 0, 0));
  std::thread b(painter, RGB(0, 0, 255));
  a.join();
  b.join();
  done = true;
  checker.join();
  EXPECT_EQ(mixed.load(), 0);
}

}  // namespace
