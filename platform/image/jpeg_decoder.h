// JPEG files decoded with libjpeg-turbo straight into 32-bit pixels, already turned upright: one
// pass, no intermediate picture.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/decode_result.h"

// The JPEG in `file`, its stored pixels placed as EXIF `orientation` says (1 to 8, see
// picture_orientation.h). Pixels are 0x00RRGGBB; CMYK pictures are turned into RGB. A failure when
// the file is not a JPEG, when `size_allowed(width, height)` refuses the stored size, when
// memory runs out, when libjpeg gives up, and when it warns of damaged or missing data (extraneous
// bytes, a bad Huffman code, a file cut short): it would fill what it could not read with grey and
// carry on, and such a picture is not the photo.
DecodeResult DecodeJpeg(std::span<const std::uint8_t> file, int orientation, const SizeCheck& size_allowed);
