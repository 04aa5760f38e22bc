// What a picture file's header says, read without decoding: its format, the declared size (JPEG,
// PNG, GIF, TIFF, BMP), EXIF orientations and a PNG's frame count. Every read is bounds-checked, so any bytes are safe input.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct DeclaredSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// The format the file's first bytes (its magic number) name.
// HEIF covers HEIC and AVIF: an ISO media file whose "ftyp" box names a picture brand.
enum class PictureFormat { kJpeg, kPng, kGif, kTiff, kBmp, kWebp, kHeif, kOther };
PictureFormat FormatOf(std::span<const std::uint8_t> file);

// The size the header declares, or nothing for another format or a header cut short. The values
// are as stored (a bitmap's negative height is made positive); they are not checked for sense.
std::optional<DeclaredSize> DeclaredPictureSize(std::span<const std::uint8_t> file);

// The EXIF orientation (1 to 8) of a JPEG file: the value of tag 0x0112 in the first directory of
// the first APP1 "Exif" segment before the scan. 1 (as stored) when there is none or it is invalid.
int JpegExifOrientation(std::span<const std::uint8_t> file);

// The orientation (1 to 8) in EXIF data: a TIFF structure, after an optional "Exif\0\0". 1 when
// there is none or it is invalid.
int ExifOrientation(std::span<const std::uint8_t> exif);

// The EXIF orientation in a PNG file's eXIf chunk before its pixel data; 1 when there is none.
int PngExifOrientation(std::span<const std::uint8_t> file);

// The frame count in a PNG file's animation chunk (acTL) before its pixel data; 1 without one.
std::uint32_t PngFrameCount(std::span<const std::uint8_t> file);
