#include "platform/gdi/bitmap_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the oldest header: 16-bit sizes, 3-byte palette entries
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
// Everything before the pixels that the decoder reads: the largest header, three masks and a
// palette of 256 four-byte entries.
constexpr std::uint64_t kHeadBytes = kFileHeaderSize + 124 + 12 + 256 * 4;
constexpr std::uint64_t kBandBytes = std::uint64_t{1} << 20;  // file rows read at a time

std::uint32_t ReadU16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8);
}
std::uint32_t ReadU32(std::span<const std::uint8_t> b, std::size_t at) {
  return ReadU16(b, at) | (ReadU16(b, at + 2) << 16);
}
std::int32_t ReadS32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(ReadU32(b, at));
}

struct Layout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // always positive here
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::uint32_t headerSize = 0;
};

std::optional<Layout> ReadLayout(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  Layout l;
  l.headerSize = ReadU32(file, 14);
  const bool core = l.headerSize == kCoreHeaderSize;
  if (!core && l.headerSize != 40 && l.headerSize != 52 && l.headerSize != 56 && l.headerSize != 108 &&
      l.headerSize != 124) {
    return std::nullopt;
  }
  if (file.size() < kFileHeaderSize + l.headerSize) return std::nullopt;
  std::int64_t height = 0;
  std::uint32_t planes = 0;
  if (core) {
    l.width = ReadU16(file, 18);
    height = ReadU16(file, 20);
    planes = ReadU16(file, 22);
    l.bits = ReadU16(file, 24);
  } else {
    l.width = ReadS32(file, 18);
    height = ReadS32(file, 22);
    planes = ReadU16(file, 26);
    l.bits = ReadU16(file, 28);
    l.compression = ReadU32(file, 30);
    l.colorsUsed = ReadU32(file, 46);
  }
  l.topDown = height < 0;
  l.height = height < 0 ? -height : height;  // 64-bit: INT32_MIN negates safely
  if (planes != 1 || l.width <= 0 || l.height <= 0) return std::nullopt;
  if (l.width > kMaxBitmapDimension || l.height > kMaxBitmapDimension) return std::nullopt;
  if (l.width * l.height > kMaxBitmapPixels) return std::nullopt;
  if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24 && l.bits != 32) return std::nullopt;
  if (l.compression == kBiBitfields) {
    // Only the masks that describe the plain layout: blue, green, red bytes.
    if (l.bits != 32 || file.size() < kFileHeaderSize + 40 + 12) return std::nullopt;
    const std::size_t masks = kFileHeaderSize + 40;
    if (ReadU32(file, masks) != 0x00FF0000u || ReadU32(file, masks + 4) != 0x0000FF00u ||
        ReadU32(file, masks + 8) != 0x000000FFu) {
      return std::nullopt;
    }
  } else if (l.compression != kBiRgb) {
    return std::nullopt;
  }
  return l;
}

}  // namespace

std::optional<DecodedPicture> DecodeBitmapFile(std::uint64_t size, const BitmapFileReader& read) {
  // The head: the file's start up to the end of the largest palette (or the whole file).
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min(size, kHeadBytes)));
  if (!read(0, head)) return std::nullopt;
  const std::span<const std::uint8_t> file(head);
  const std::optional<Layout> layout = ReadLayout(file);
  if (!layout) return std::nullopt;
  const Layout& l = *layout;
  const std::uint64_t pixelOffset = ReadU32(file, 10);
  if (pixelOffset > size) return std::nullopt;  // everything before the pixels, palette included, is then in the file

  // The palette follows the headers (and the three masks of a 40-byte header with bitfields).
  std::uint64_t paletteStart = kFileHeaderSize + l.headerSize;
  if (l.compression == kBiBitfields && l.headerSize == 40) paletteStart += 12;
  std::array<Pixel, 256> palette{};
  std::uint64_t paletteCount = 0;
  if (l.bits <= 8) {
    const std::uint64_t maxColors = std::uint64_t{1} << l.bits;
    paletteCount = l.colorsUsed == 0 ? maxColors : l.colorsUsed;
    if (paletteCount > maxColors) return std::nullopt;
    const std::uint64_t entrySize = l.headerSize == kCoreHeaderSize ? 3 : 4;
    if (paletteStart + paletteCount * entrySize > pixelOffset) return std::nullopt;
    for (std::uint64_t i = 0; i < paletteCount; ++i) {
      const std::size_t at = static_cast<std::size_t>(paletteStart + i * entrySize);
      palette[i] = (static_cast<Pixel>(file[at + 2]) << 16) | (static_cast<Pixel>(file[at + 1]) << 8) |
                   static_cast<Pixel>(file[at]);
    }
  }
  if (pixelOffset < paletteStart) return std::nullopt;

  // Rows are padded to 4 bytes; all of them, padding included, must be in the file.
  const std::uint64_t width = static_cast<std::uint64_t>(l.width);
  const std::uint64_t height = static_cast<std::uint64_t>(l.height);
  const std::uint64_t stride = (width * l.bits + 31) / 32 * 4;
  if (stride * height > size - pixelOffset) return std::nullopt;

  DecodedPicture picture;
  try {
    picture.pixels.resize(static_cast<std::size_t>(width * height));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  const std::uint64_t band_rows = std::max<std::uint64_t>(1, kBandBytes / stride);
  std::vector<std::uint8_t> band;
  try {
    band.resize(static_cast<std::size_t>(std::min(band_rows, height) * stride));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::uint64_t band_first = 0;  // the first file row in the band
  std::uint64_t band_end = 0;    // one past its last
  for (std::uint64_t y = 0; y < height; ++y) {
    const std::uint64_t file_row = l.topDown ? y : height - 1 - y;
    if (file_row < band_first || file_row >= band_end) {
      // The band of rows that holds this one and those that come after it in the picture.
      band_first = l.topDown ? file_row : (file_row + 1 > band_rows ? file_row + 1 - band_rows : 0);
      band_end = std::min(height, band_first + band_rows);
      const std::span<std::uint8_t> into(band.data(), static_cast<std::size_t>((band_end - band_first) * stride));
      if (!read(pixelOffset + band_first * stride, into)) return std::nullopt;
    }
    const std::uint8_t* row = band.data() + (file_row - band_first) * stride;
    Pixel* out = picture.pixels.data() + y * width;
    switch (l.bits) {
      case 32:
        for (std::uint64_t x = 0; x < width; ++x) {
          const std::uint8_t* p = row + x * 4;  // blue, green, red, and an alpha byte that is dropped
          out[x] = (static_cast<Pixel>(p[2]) << 16) | (static_cast<Pixel>(p[1]) << 8) | p[0];
        }
        break;
      case 24:
        for (std::uint64_t x = 0; x < width; ++x) {
          const std::uint8_t* p = row + x * 3;
          out[x] = (static_cast<Pixel>(p[2]) << 16) | (static_cast<Pixel>(p[1]) << 8) | p[0];
        }
        break;
      default: {
        // Paletted, most significant bits first; an index past the palette reads as black.
        const std::uint32_t bits = l.bits;
        const std::uint32_t mask = (1u << bits) - 1;
        for (std::uint64_t x = 0; x < width; ++x) {
          const std::uint64_t bit = x * bits;
          const std::uint32_t shift = 8 - bits - static_cast<std::uint32_t>(bit % 8);
          const std::uint32_t index = (row[bit / 8] >> shift) & mask;
          out[x] = index < paletteCount ? palette[index] : 0;
        }
        break;
      }
    }
  }
  return picture;
}

std::optional<DecodedPicture> DecodeBitmapFile(std::span<const std::uint8_t> file) {
  return DecodeBitmapFile(file.size(), [file](std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > file.size() || out.size() > file.size() - offset) return false;
    if (!out.empty()) std::memcpy(out.data(), file.data() + offset, out.size());
    return true;
  });
}
