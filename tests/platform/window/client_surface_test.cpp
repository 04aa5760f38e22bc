#include "platform/window/client_surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Fill(ClientSurface& surface, Pixel colour) {
  surface.Update([&](const PixelBuffer& pixels) {
    for (int y = 0; y < pixels.height; ++y) {
      for (int x = 0; x < pixels.width; ++x) pixels.Row(y)[x] = colour;
    }
  });
}

TEST(ClientSurface, DrawsStraightIntoAFramebufferItIsGivenWithThatBuffersPitch) {
  ClientSurface surface(4, 3);
  Fill(surface, 0x112233u);
  std::vector<Pixel> framebuffer(6 * 3, 0xDEADu);  // rows of 6 pixels, 2 of them padding
  const PixelBuffer external{framebuffer.data(), 4, 3, 6};
  surface.Show([&](const PixelBuffer& pixels) {
    EXPECT_EQ(pixels.Row(2)[3], 0x112233u);  // the presenter sees the own pixels once more
    return external;
  });
  Fill(surface, 0x445566u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(framebuffer[static_cast<std::size_t>(y * 6 + x)], x < 4 ? 0x445566u : 0xDEADu);
  }
  surface.Read([&](const PixelBuffer& pixels) { EXPECT_EQ(pixels.pixels, framebuffer.data()); });
}

TEST(ClientSurface, ABufferOfAnotherSizeIsRefusedAndAnEmptyOneBringsBackItsOwnPixels) {
  ClientSurface surface(4, 3);
  std::vector<Pixel> small(2 * 3, 0);
  surface.Show([&](const PixelBuffer&) { return PixelBuffer{small.data(), 2, 3, 2}; });
  surface.Read([&](const PixelBuffer& pixels) { EXPECT_NE(pixels.pixels, small.data()); });

  std::vector<Pixel> framebuffer(4 * 3, 0);
  surface.Show([&](const PixelBuffer&) { return PixelBuffer{framebuffer.data(), 4, 3, 4}; });
  Fill(surface, 0x778899u);
  surface.Show([](const PixelBuffer&) { return PixelBuffer{}; });
  surface.Read([&](const PixelBuffer& pixels) {
    EXPECT_NE(pixels.pixels, framebuffer.data());
    EXPECT_EQ(pixels.stride, 4);
    EXPECT_EQ(pixels.Row(2)[3], 0u);  // back in its own pixels, which start black
  });
}

}  // namespace
