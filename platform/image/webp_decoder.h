// WebP files decoded with libwebp into 32-bit pixels, turned upright by an EXIF chunk's orientation.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/decode_result.h"

// The WebP in `file`. A failure when libwebp finds the file malformed or cut short, when
// `size_allowed` refuses the canvas size, for an animation of more than one frame, and when any
// pixel is not fully opaque (a frame smaller than the canvas leaves transparent pixels).
DecodeResult DecodeWebp(std::span<const std::uint8_t> file, const SizeCheck& size_allowed);
