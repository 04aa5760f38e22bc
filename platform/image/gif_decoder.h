// GIF files of one picture decoded with giflib into 32-bit pixels.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/decode_result.h"

// The GIF in `file`. A failure when giflib reports an error (data cut short or malformed), when
// `size_allowed` refuses the screen size, for more than one frame, and when any pixel is not fully
// opaque: one of the transparent colour, or one of the screen the frame does not cover.
DecodeResult DecodeGif(std::span<const std::uint8_t> file, const SizeCheck& size_allowed);
