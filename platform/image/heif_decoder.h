// HEIC, HEIF and AVIF files decoded with libheif into 32-bit pixels, turned as the file's
// rotation and mirroring say.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/decode_result.h"

// The primary picture of the HEIF container in `file`. A failure when libheif reports an error or
// a decoding warning, when `size_allowed` refuses the size (read before decoding), for a file of
// more than one top-level picture, and when any pixel is not fully opaque.
DecodeResult DecodeHeif(std::span<const std::uint8_t> file, const SizeCheck& size_allowed);
