// PNG files decoded with libpng's simplified reader into 32-bit pixels, turned upright by an eXIf
// chunk's orientation.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/decode_result.h"

// The PNG in `file`. A failure when libpng gives up or warns (a bad checksum, data cut short),
// when `size_allowed` refuses the size read from the header, for an animation of more than one
// frame, and when any pixel is not fully opaque.
DecodeResult DecodePng(std::span<const std::uint8_t> file, const SizeCheck& size_allowed);
