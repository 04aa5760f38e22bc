#include <gtest/gtest.h>
#include <cstdio>
#include "platform/gdi/gdi.h"
#include "tests/support/frame_rig.h"
using frame_test::FrameRig;
TEST(FrameZzDebug, Dump) {
  FrameRig rig(1280, 800);
  frame_test::WritePatternBitmap(FrameRig::Picture(0, 0), 480, 400, [](int x, int) { return x < 240 ? 0xD02010u : 0x10C040u; });
  rig.Start();
  rig.dlg.m_angle_table.Set(0, 0, 90);
  rig.Render();
  HBITMAP found = nullptr;
  rig.dlg.m_renderer.Cache().Lookup(0, found);
  PixelBuffer p = BitmapPixels(found);
  BITMAP info{}; GetObjectW(found, sizeof info, &info); printf("bitmap %dx%d bpp %d\n", p.width, p.height, (int)info.bmBitsPixel);
  for (int y = 0; y < p.height; y += 40) { for (int x = 0; x < p.width; x += 40) printf("%06x ", p.Row(y)[x] & 0xffffff); printf("\n"); }
  auto shot = rig.Read();
  for (int y = 0; y < 800; y += 80) { for (int x = 0; x < 1280; x += 80) printf("%06x ", shot.At(x, y)); printf("\n"); }
}
