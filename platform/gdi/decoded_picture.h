// A picture decoded from a file: 32-bit pixels, top row first, no padding.
#pragma once

#include <vector>

#include "platform/gdi/pixel_buffer.h"

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;  // width * height, row after row from the top
};
