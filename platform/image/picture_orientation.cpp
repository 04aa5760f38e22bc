#include "platform/image/picture_orientation.h"

OrientedSize DisplayedSize(int orientation, int width, int height) {
  if (orientation >= 5 && orientation <= 8) return {height, width};
  return {width, height};
}

OrientedRow OrientedRowPlacement(int orientation, int width, int height, int y) {
  const std::ptrdiff_t w = width;
  const std::ptrdiff_t h = height;
  switch (orientation) {
    case 2: return {y * w + w - 1, -1};
    case 3: return {(h - 1 - y) * w + w - 1, -1};
    case 4: return {(h - 1 - y) * w, 1};
    // In 5 to 8 the displayed picture is h wide: stored (x, y) lands in displayed row x or w-1-x.
    case 5: return {y, h};
    case 6: return {h - 1 - y, h};
    case 7: return {(w - 1) * h + h - 1 - y, -h};
    case 8: return {(w - 1) * h + y, -h};
    default: return {y * w, 1};
  }
}
