// Turning a picture as its EXIF orientation says, so that it is stored the way it is displayed.
//
// Orientations: 1 as stored, 2 mirrored left-right, 3 turned 180 degrees, 4 mirrored top-bottom,
// 5 transposed, 6 turned 90 degrees clockwise, 7 transversed, 8 turned 90 degrees anticlockwise.
// Any other value is treated as 1.
#pragma once

#include <cstddef>

struct OrientedSize {
  int width = 0;
  int height = 0;
};

// The displayed size of a `width` x `height` stored picture: 5 to 8 swap the sides.
OrientedSize DisplayedSize(int orientation, int width, int height);

// Where stored row `y` lands in the displayed picture (row after row, no padding): stored pixel
// (x, y) goes to index start + x * step.
struct OrientedRow {
  std::ptrdiff_t start = 0;
  std::ptrdiff_t step = 1;
};
OrientedRow OrientedRowPlacement(int orientation, int width, int height, int y);
