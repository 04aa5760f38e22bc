#include "resources/resource_bitmaps.h"

#include <cmath>

namespace {

constexpr Pixel kBlack = 0x000000;
constexpr Pixel kRed = 0xFF0000;

DecodedPicture Blank(int width, int height, Pixel fill) {
  DecodedPicture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  return picture;
}

// A ring with a cross through it, the cross broken around a hollow centre.
DecodedPicture Sight() {
  DecodedPicture sight = Blank(37, 37, kBlack);
  const double centre = 18.0;
  for (int y = 0; y < 37; ++y) {
    for (int x = 0; x < 37; ++x) {
      double distance = std::hypot(x - centre, y - centre);
      bool ring = distance >= 14.5 && distance <= 17.0;
      bool cross = (x == 18 || y == 18) && distance >= 5.0;
      if (ring || cross) sight.pixels[static_cast<std::size_t>(y * 37 + x)] = kRed;
    }
  }
  return sight;
}

// A framed landscape: sky, sun and a hill, readable at 16 pixels too.
DecodedPicture Icon() {
  const int size = 48;
  DecodedPicture icon = Blank(size, size, 0x303030);
  for (int y = 3; y < size - 3; ++y) {
    for (int x = 3; x < size - 3; ++x) {
      double hill = 34 - 7 * std::sin((x - 3) / 9.0);
      Pixel colour = static_cast<Pixel>(0x2060C0 + ((y * 3) << 8));
      if (std::hypot(x - 32, y - 14) < 6) colour = 0xFFD040;
      if (y > hill) colour = 0x30A040;
      icon.pixels[static_cast<std::size_t>(y * size + x)] = colour;
    }
  }
  return icon;
}

}  // namespace

DecodedPicture ResourcePicture(int id) {
  switch (id) {
    case IDI_MAINFRAME: return Icon();
    case IDB_MARKER: return Blank(15, 11, kBlack);
    case IDB_MENU_POINTER: return Sight();
    case IDB_EXAMPLE: return ExamplePicture();
    default: return {};
  }
}
