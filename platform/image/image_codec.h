// The platform's image codec: picture files decoded to 32-bit pixels by their content, whatever
// their name (JPEG, PNG, GIF, TIFF, WebP, HEIC/HEIF/AVIF, BMP), each format by its own decoder
// file in this folder, and JPEG files written from pixels. This folder is the only place that
// includes the image libraries.
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

// The picture in the file at `path`, upright: the orientation the format carries (EXIF in JPEG,
// PNG and WebP, TIFF's tag, HEIF's rotation and mirroring) is applied, so the result has the
// displayed width and height. Pixels are 0x00RRGGBB (alpha dropped). A failure, with its
// reason, when the file cannot be read, is of another format, declares a size above the limits
// (checked before decoding), or cannot be decoded whole: a decoder's warning of damaged or missing
// data fails the decode too, and so does a picture a bitmap cannot hold whole: an animation of more
// than one frame, several pages or pictures, a pixel that is not fully opaque.
[[nodiscard]] DecodeResult DecodePictureFile(const std::string& path);

// Lowers the largest pixel count decoded (a negative count restores kMaxDecodedPixels), so that
// a fuzzer spends its time on parsing rather than on huge allocations.
void SetMaxDecodedPixelsForTesting(std::int64_t pixels);

// Writes `picture` as a baseline JPEG file at `quality` (0 to 100); false on failure.
[[nodiscard]] bool EncodeJpegFile(const DecodedPicture& picture, const std::string& path, int quality);
