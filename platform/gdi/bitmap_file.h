// Decoding of .bmp files: uncompressed 1, 4, 8, 24 and 32 bits per pixel, bottom-up or top-down.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/gdi/decoded_picture.h"

// Largest width or height accepted, and largest pixel count.
constexpr int kMaxBitmapDimension = 30000;
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;

// The picture in a .bmp file's bytes, or nothing when the file is truncated, corrupt or unsupported.
// Every offset and size is checked against the input with 64-bit arithmetic before it is read.
[[nodiscard]] std::optional<DecodedPicture> DecodeBitmapFile(std::span<const std::uint8_t> file);
