#include "platform/image/picture_header.h"

#include <array>
#include <cstring>

namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t Be16(Bytes b, std::size_t at) { return (std::uint32_t{b[at]} << 8) | b[at + 1]; }
std::uint32_t Be32(Bytes b, std::size_t at) { return (Be16(b, at) << 16) | Be16(b, at + 2); }
std::uint32_t Le16(Bytes b, std::size_t at) { return (std::uint32_t{b[at + 1]} << 8) | b[at]; }
std::uint32_t Le32(Bytes b, std::size_t at) { return (Le16(b, at + 2) << 16) | Le16(b, at); }

bool StartsWith(Bytes b, std::span<const std::uint8_t> magic) {
  return b.size() >= magic.size() && std::memcmp(b.data(), magic.data(), magic.size()) == 0;
}

constexpr std::array<std::uint8_t, 3> kJpegMagic{0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 8> kPngMagic{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Calls `visit(marker, payload)` for each marker segment of a JPEG file up to the first scan,
// where the payload follows the two length bytes; stops when `visit` returns false or the data
// ends or is malformed. Returns the offset just past the first scan's marker, or 0 when the walk
// did not reach one.
template <typename Visit>
std::size_t ForEachJpegSegment(Bytes file, Visit visit) {
  if (!StartsWith(file, kJpegMagic)) return 0;
  std::size_t at = 2;
  while (at < file.size()) {
    if (file[at] != 0xFF) return 0;
    while (at < file.size() && file[at] == 0xFF) ++at;  // fill bytes before a marker
    if (at >= file.size()) return 0;
    const std::uint8_t marker = file[at++];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length follows
    if (marker == 0xDA) return at;                                        // start of scan
    if (marker == 0xD9) return 0;                                         // end of image
    if (file.size() - at < 2) return 0;
    const std::size_t length = Be16(file, at);
    if (length < 2 || length > file.size() - at) return 0;
    if (!visit(marker, file.subspan(at + 2, length - 2))) return 0;
    at += length;
  }
  return 0;
}

// Calls `visit(type, data)` for each chunk of a PNG file before its first pixel data (IDAT);
// stops when `visit` returns false or the data ends or is malformed.
template <typename Visit>
void ForEachPngChunk(Bytes file, Visit visit) {
  if (!StartsWith(file, kPngMagic)) return;
  std::size_t at = kPngMagic.size();
  while (file.size() - at >= 12) {
    const std::size_t length = Be32(file, at);
    const Bytes type = file.subspan(at + 4, 4);
    if (std::memcmp(type.data(), "IDAT", 4) == 0 || length > file.size() - at - 12) return;
    if (!visit(type, file.subspan(at + 8, length))) return;
    at += 12 + length;
  }
}

bool IsFrameMarker(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

constexpr std::uint32_t kTiffShort = 3;
constexpr std::uint32_t kTiffLong = 4;

// A single value of `tag` in the first directory of a TIFF structure, with its field type (a
// short or a long); nothing when the structure is malformed or lacks the tag.
struct TiffValue {
  std::uint32_t type = 0;
  std::uint32_t value = 0;
};
std::optional<TiffValue> TiffTag(Bytes tiff, std::uint32_t tag) {
  if (tiff.size() < 8) return std::nullopt;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  const bool big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!little && !big) return std::nullopt;
  auto u16 = [&](std::size_t at) { return little ? Le16(tiff, at) : Be16(tiff, at); };
  auto u32 = [&](std::size_t at) { return little ? Le32(tiff, at) : Be32(tiff, at); };
  if (u16(2) != 42) return std::nullopt;
  const std::uint64_t directory = u32(4);
  if (directory + 2 > tiff.size()) return std::nullopt;
  const std::uint32_t entries = u16(static_cast<std::size_t>(directory));
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint64_t entry = directory + 2 + std::uint64_t{12} * i;
    if (entry + 12 > tiff.size()) return std::nullopt;
    const auto e = static_cast<std::size_t>(entry);
    if (u16(e) != tag) continue;
    const std::uint32_t type = u16(e + 2);
    if (u32(e + 4) < 1 || (type != kTiffShort && type != kTiffLong)) return std::nullopt;
    // A single short sits at the start of the value field.
    return TiffValue{type, type == kTiffShort ? u16(e + 8) : u32(e + 8)};
  }
  return std::nullopt;
}

// Tag 0x0112 of the first directory of a TIFF structure (the body of an EXIF segment).
int TiffOrientation(Bytes tiff) {
  const std::optional<TiffValue> tag = TiffTag(tiff, 0x0112);
  if (!tag || tag->type != kTiffShort) return 1;
  return tag->value >= 1 && tag->value <= 8 ? static_cast<int>(tag->value) : 1;
}

}  // namespace

PictureFormat FormatOf(Bytes file) {
  if (StartsWith(file, kJpegMagic)) return PictureFormat::kJpeg;
  if (StartsWith(file, kPngMagic)) return PictureFormat::kPng;
  if (file.size() >= 6 && (std::memcmp(file.data(), "GIF87a", 6) == 0 || std::memcmp(file.data(), "GIF89a", 6) == 0)) {
    return PictureFormat::kGif;
  }
  if (file.size() >= 4 && ((file[0] == 'I' && file[1] == 'I' && file[2] == 42 && file[3] == 0) ||
                            (file[0] == 'M' && file[1] == 'M' && file[2] == 0 && file[3] == 42))) {
    return PictureFormat::kTiff;
  }
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return PictureFormat::kBmp;
  if (file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 && std::memcmp(file.data() + 8, "WEBP", 4) == 0) {
    return PictureFormat::kWebp;
  }
  if (file.size() >= 12 && std::memcmp(file.data() + 4, "ftyp", 4) == 0) {
    for (const char* brand : {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1", "avif", "avis"}) {
      if (std::memcmp(file.data() + 8, brand, 4) == 0) return PictureFormat::kHeif;
    }
  }
  return PictureFormat::kOther;
}

std::optional<DeclaredSize> DeclaredPictureSize(Bytes file) {
  const PictureFormat format = FormatOf(file);
  if (format == PictureFormat::kJpeg) {
    std::optional<DeclaredSize> size;
    ForEachJpegSegment(file, [&](std::uint8_t marker, Bytes payload) {
      if (!IsFrameMarker(marker)) return true;
      if (payload.size() >= 5) size = DeclaredSize{Be16(payload, 3), Be16(payload, 1)};
      return false;
    });
    return size;
  }
  if (format == PictureFormat::kPng) {
    if (file.size() < 24) return std::nullopt;
    return DeclaredSize{Be32(file, 16), Be32(file, 20)};
  }
  if (format == PictureFormat::kGif) {
    if (file.size() < 10) return std::nullopt;
    return DeclaredSize{Le16(file, 6), Le16(file, 8)};
  }
  if (format == PictureFormat::kTiff) {
    const std::optional<TiffValue> width = TiffTag(file, 256);
    const std::optional<TiffValue> height = TiffTag(file, 257);
    if (!width || !height) return std::nullopt;
    return DeclaredSize{width->value, height->value};
  }
  if (format == PictureFormat::kBmp && file.size() >= 26) {
    const std::uint32_t header = Le32(file, 14);
    if (header == 12) return DeclaredSize{Le16(file, 18), Le16(file, 20)};  // the oldest header: 16-bit sizes
    const auto width = static_cast<std::int32_t>(Le32(file, 18));
    const auto height = static_cast<std::int32_t>(Le32(file, 22));
    return DeclaredSize{std::int64_t{width}, height < 0 ? -std::int64_t{height} : std::int64_t{height}};
  }
  return std::nullopt;
}

int ExifOrientation(Bytes exif) {
  constexpr std::array<std::uint8_t, 6> kExif{'E', 'x', 'i', 'f', 0, 0};
  return TiffOrientation(StartsWith(exif, kExif) ? exif.subspan(kExif.size()) : exif);
}

int PngExifOrientation(Bytes file) {
  int orientation = 1;
  ForEachPngChunk(file, [&](Bytes type, Bytes data) {
    if (std::memcmp(type.data(), "eXIf", 4) != 0) return true;
    orientation = ExifOrientation(data);
    return false;
  });
  return orientation;
}

std::uint32_t PngFrameCount(Bytes file) {
  std::uint32_t frames = 1;
  ForEachPngChunk(file, [&](Bytes type, Bytes data) {
    if (std::memcmp(type.data(), "acTL", 4) != 0) return true;
    if (data.size() >= 4) frames = Be32(data, 0);
    return false;
  });
  return frames;
}

int JpegExifOrientation(Bytes file) {
  int orientation = 1;
  ForEachJpegSegment(file, [&](std::uint8_t marker, Bytes payload) {
    constexpr std::array<std::uint8_t, 6> kExif{'E', 'x', 'i', 'f', 0, 0};
    if (marker != 0xE1 || !StartsWith(payload, kExif)) return true;
    orientation = TiffOrientation(payload.subspan(kExif.size()));
    return false;
  });
  return orientation;
}
