// TIFF files of one page decoded with libtiff into 32-bit pixels, turned upright by their
// Orientation tag.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/decode_result.h"

// The TIFF in `file`. A failure when libtiff reports an error or a warning (data cut short, a
// malformed directory, an unknown tag), when `size_allowed` refuses the size of the first
// directory, for more than one page, and when any pixel is not fully opaque.
DecodeResult DecodeTiff(std::span<const std::uint8_t> file, const SizeCheck& size_allowed);
