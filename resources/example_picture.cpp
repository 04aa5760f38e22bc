// The example picture put into folder 0 of a new album: a tall lakeside evening scene,
// drawn by code so the program carries no image file.
#include <algorithm>
#include <cmath>

#include "resources/resource_bitmaps.h"

namespace {

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Pixel ToPixel(Rgb c) {
  auto channel = [](double v) { return static_cast<Pixel>(std::clamp(v, 0.0, 255.0)); };
  return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

// Height of a mountain ridge at x: a few summed waves, scaled into the picture.
double Ridge(double x, double base, double height, double seed) {
  return base - height * (0.55 * std::sin(x * 0.011 + seed) + 0.3 * std::sin(x * 0.027 + 2 * seed) +
                          0.15 * std::sin(x * 0.061 + 3 * seed) + 1.0) / 2.0;
}

// The scene above the water line at (x, y).
Rgb Sky(double x, double y, double width, double horizon) {
  const Rgb zenith{28, 36, 92}, glow{250, 150, 90}, haze{255, 214, 150};
  double t = y / horizon;
  Rgb sky = t < 0.6 ? Mix(zenith, glow, t / 0.6) : Mix(glow, haze, (t - 0.6) / 0.4);
  double sun = std::hypot(x - width * 0.62, y - horizon * 0.78);
  if (sun < 46) return Mix({255, 244, 210}, {255, 226, 160}, sun / 46);
  sky = Mix(sky, {255, 230, 170}, std::max(0.0, 1.0 - sun / 180.0) * 0.5);
  if (y > Ridge(x, horizon * 0.92, horizon * 0.38, 1.3)) sky = Mix({98, 70, 110}, sky, 0.25);
  if (y > Ridge(x, horizon * 0.98, horizon * 0.22, 4.1)) sky = {52, 40, 70};
  if (y > Ridge(x, horizon * 1.02, horizon * 0.10, 7.7)) sky = {24, 22, 38};
  return sky;
}

}  // namespace

DecodedPicture ExamplePicture() {
  constexpr int kWidth = kExamplePictureWidth;
  constexpr int kHeight = kExamplePictureHeight;
  const double horizon = kHeight * 0.58;
  DecodedPicture picture;
  picture.width = kWidth;
  picture.height = kHeight;
  picture.pixels.resize(static_cast<std::size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      Rgb colour;
      if (y < horizon) {
        colour = Sky(x, y, kWidth, horizon);
      } else {
        // The lake mirrors the sky with ripples and darkens toward the shore.
        double depth = (y - horizon) / (kHeight - horizon);
        double ripple = 6 * std::sin(y * 0.35 + x * 0.02) * (0.3 + depth);
        double mirrored = std::clamp(2 * horizon - y + ripple, 0.0, horizon - 1);
        colour = Mix(Sky(x + ripple, mirrored, kWidth, horizon), {10, 18, 40}, 0.25 + 0.6 * depth);
        if (y > kHeight - 60 + 18 * std::sin(x * 0.02)) colour = {16, 30, 22};
      }
      picture.pixels[static_cast<std::size_t>(y) * kWidth + x] = ToPixel(colour);
    }
  }
  return picture;
}
