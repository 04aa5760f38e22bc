// Decoding of .bmp files: uncompressed 1, 4, 8, 24 and 32 bits per pixel, bottom-up or top-down.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "platform/gdi/decoded_picture.h"

// Largest width or height accepted, and largest pixel count.
constexpr int kMaxBitmapDimension = 30000;
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;

// The picture in a .bmp file's bytes, or nothing when the file is truncated, corrupt or unsupported.
// Every offset and size is checked against the input with 64-bit arithmetic before it is read.
[[nodiscard]] std::optional<DecodedPicture> DecodeBitmapFile(std::span<const std::uint8_t> file);

// Reads `out.size()` bytes of the file from `offset` into `out`; false when it cannot.
using BitmapFileReader = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> out)>;

// The same from a file of `size` bytes read a band of rows at a time, so that a picture costs its
// decoded pixels and one band, not a second whole copy.
[[nodiscard]] std::optional<DecodedPicture> DecodeBitmapFile(std::uint64_t size, const BitmapFileReader& read);
