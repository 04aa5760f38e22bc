// Checks ComposePictureLayer against a plain per-pixel version (each draw written in order,
// then every channel (c * alpha + 127) / 255) on random draws, so that a faster composition
// can be shown pixel-identical. Exits non-zero at the first difference.
//
// Usage: compose_check [rounds]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/gdi/stretch_map.h"
#include "render/compose.h"

namespace {

Pixel Reference(Pixel p, std::uint32_t a) {
  auto channel = [&](int shift) { return ((((p >> shift) & 0xFFu) * a + 127) / 255) << shift; };
  return channel(16) | channel(8) | channel(0);
}

void ReferenceCompose(std::vector<Pixel>& out, int width, int height, const std::vector<LayerDraw>& draws, int alpha) {
  std::fill(out.begin(), out.end(), 0);
  for (const LayerDraw& d : draws) {
    if (!d.source.pixels || d.source.width <= 0 || d.source.height <= 0) continue;
    AxisMap x = MapAxis({d.dx, d.dw}, width, {d.sx, d.sw}, d.source.width, StretchAxis::Horizontal);
    AxisMap y = MapAxis({d.dy, d.dh}, height, {d.sy, d.sh}, d.source.height, StretchAxis::Vertical);
    for (int row = y.begin; row < y.end; ++row) {
      for (int col = x.begin; col < x.end; ++col) {
        out[static_cast<std::size_t>(row) * width + col] = d.source.Row(y.SourceOf(row))[x.SourceOf(col)];
      }
    }
  }
  const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255));
  for (Pixel& p : out) p = Reference(p, a);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 3000;

  // Every channel value at every alpha, with the other channels varied.
  for (std::uint32_t a = 0; a < 256; ++a) {
    for (std::uint32_t c = 0; c < 256; ++c) {
      for (Pixel p : {c * 0x010101u, c << 16 | 0x00FF00u, c << 8 | 0xFF00FFu, c | (255 - c) << 8 | (c ^ 0x5A) << 16}) {
        if (ScaleOverBlack(p, a) != Reference(p, a)) {
          std::printf("ScaleOverBlack(%06X, %u) = %06X, expected %06X\n", p, a, ScaleOverBlack(p, a), Reference(p, a));
          return 1;
        }
      }
    }
  }

  std::mt19937 random(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  std::vector<std::vector<Pixel>> sources;
  for (int round = 0; round < rounds; ++round) {
    // Every 100th output is large enough to be streamed past the caches.
    const bool large = round % 100 == 99;
    const int width = large ? pick(1100, 1300) : pick(1, 97), height = large ? pick(1000, 1100) : pick(1, 41);
    // Odd strides and pixel addresses of every alignment.
    std::vector<Pixel> out_storage(static_cast<std::size_t>(width + 3) * height + 4, 0xDEADBEEF);
    PixelBuffer out{out_storage.data() + pick(0, 3), width, height, width + 3};
    std::vector<LayerDraw> draws;
    sources.clear();
    const int count = pick(0, 4);
    for (int i = 0; i < count; ++i) {
      sources.emplace_back(static_cast<std::size_t>(pick(1, 150)) * pick(1, 60));
      for (Pixel& p : sources.back()) p = static_cast<Pixel>(random()) & 0x00FFFFFFu;
    }
    for (int i = 0; i < count; ++i) {
      std::vector<Pixel>& s = sources[static_cast<std::size_t>(i)];
      LayerDraw d;
      d.source.pixels = s.data();
      d.source.height = pick(1, 60);
      while (static_cast<std::size_t>(d.source.height) > s.size()) d.source.height = pick(1, 60);
      d.source.stride = static_cast<int>(s.size()) / d.source.height;
      d.source.width = std::max(1, d.source.stride - pick(0, 3));
      d.dx = pick(-width, width);
      d.dy = pick(-height, height);
      d.dw = pick(-2 * width, 3 * width);
      d.dh = pick(-2 * height, 3 * height);
      const bool unit = pick(0, 3) == 0;
      d.sx = pick(-2, d.source.width);
      d.sy = pick(-2, d.source.height);
      d.sw = unit ? d.dw : pick(-d.source.width, 2 * d.source.width);
      d.sh = unit ? d.dh : pick(-d.source.height, 2 * d.source.height);
      draws.push_back(d);
    }
    const int alphas[] = {0, 1, 127, 128, 200, 254, 255, 300, -5, pick(0, 255)};
    const int alpha = alphas[pick(0, 9)];
    std::vector<Pixel> expected(static_cast<std::size_t>(width) * height);
    ReferenceCompose(expected, width, height, draws, alpha);
    ComposePictureLayer(out, draws, alpha);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (out.Row(y)[x] != expected[static_cast<std::size_t>(y) * width + x]) {
          std::printf("round %d: pixel (%d, %d) of %dx%d at alpha %d is %06X, expected %06X\n", round, x, y, width,
                      height, alpha, out.Row(y)[x], expected[static_cast<std::size_t>(y) * width + x]);
          return 1;
        }
      }
      // Nothing past the row's end is touched.
      if (y + 1 < height && (out.Row(y)[width] != 0xDEADBEEF || out.Row(y)[width + 2] != 0xDEADBEEF)) {
        std::printf("round %d: row %d written past its end\n", round, y);
        return 1;
      }
    }
  }
  std::printf("compose_check: %d rounds, ScaleOverBlack at every alpha: identical\n", rounds);
  return 0;
}
