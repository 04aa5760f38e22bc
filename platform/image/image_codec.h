// The platform's image codec: picture files (JPEG through libjpeg-turbo; PNG, GIF, TIFF and BMP through
// SDL2_image) decoded to 32-bit pixels, and JPEG files written from pixels. This folder is the
// only place that includes SDL_image or jpeglib.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/gdi/decoded_picture.h"
#include "platform/image/decode_result.h"

// Largest width or height decoded, and largest pixel count (4 bytes each: 1 GiB).
constexpr int kMaxDecodedDimension = 20000;
constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 28;
// Largest file read.
constexpr std::int64_t kMaxPictureFileBytes = std::int64_t{512} << 20;

// The picture in the file at `path`, upright: a JPEG's EXIF orientation is applied, so the result
// has the displayed width and height. Pixels are 0x00RRGGBB (alpha dropped). A failure, with its
// reason, when the file cannot be read, is of another format, declares a size above the limits
// (checked before decoding), or cannot be decoded whole: a decoder's warning of damaged or missing
// data fails the decode too.
[[nodiscard]] DecodeResult DecodePictureFile(const std::string& path);

// Writes `picture` as a baseline JPEG file at `quality` (0 to 100); false on failure.
[[nodiscard]] bool EncodeJpegFile(const DecodedPicture& picture, const std::string& path, int quality);
