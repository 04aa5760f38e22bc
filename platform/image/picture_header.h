// What a picture file's header says, read without decoding: the declared size (JPEG, PNG, GIF,
// TIFF, BMP) and a JPEG's EXIF orientation. Every read is bounds-checked, so any bytes are safe input.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct DeclaredSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// The format the file's first bytes (its magic number) name.
enum class PictureFormat { kJpeg, kPng, kGif, kTiff, kBmp, kOther };
PictureFormat FormatOf(std::span<const std::uint8_t> file);

// The size the header declares, or nothing for another format or a header cut short. The values
// are as stored (a bitmap's negative height is made positive); they are not checked for sense.
std::optional<DeclaredSize> DeclaredPictureSize(std::span<const std::uint8_t> file);

// The EXIF orientation (1 to 8) of a JPEG file: the value of tag 0x0112 in the first directory of
// the first APP1 "Exif" segment before the scan. 1 (as stored) when there is none or it is invalid.
int JpegExifOrientation(std::span<const std::uint8_t> file);
