// JPEG files decoded with libjpeg-turbo straight into 32-bit pixels, already turned upright: one
// pass, no intermediate picture. This folder's image codec uses it for JPEG content, the most
// common picture by far, and falls back to SDL2_image for anything this decoder refuses.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "platform/gdi/decoded_picture.h"

// The JPEG in `file`, its stored pixels placed as EXIF `orientation` says (1 to 8, see
// picture_orientation.h). Pixels are 0x00RRGGBB. Nothing when libjpeg reports an error (corrupt
// data, an unsupported colour space such as CMYK), when the file is not a JPEG, when
// `size_allowed(width, height)` refuses the stored size, or when memory runs out.
std::optional<DecodedPicture> DecodeJpeg(std::span<const std::uint8_t> file, int orientation,
                                         const std::function<bool(std::int64_t, std::int64_t)>& size_allowed);
