// Bitmap objects: creation, size queries and loading from .bmp files.
#include <fstream>
#include <new>
#include <utility>
#include <vector>

#include "platform/gdi/bitmap_file.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/raster_loops.h"
#include "platform/gdi/stretch_map.h"

namespace {

constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 31;

// A new bitmap, or null for negative or oversized dimensions or when memory runs out.
HBITMAP NewBitmap(int width, int height, bool mono) {
  if (width < 0 || height < 0) return nullptr;
  if (std::int64_t{width} * height > kMaxBitmapPixels) return nullptr;
  try {
    return new BitmapObject(width, height, mono);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Nearest-neighbour resize with the blit's pixel choice, for LoadImageW's requested size.
DecodedPicture Resize(const DecodedPicture& picture, int width, int height) {
  DecodedPicture out;
  const AxisMap xs = MapAxis({0, width}, width, {0, picture.width}, picture.width, StretchAxis::Horizontal);
  const AxisMap ys = MapAxis({0, height}, height, {0, picture.height}, picture.height, StretchAxis::Vertical);
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (int y = ys.begin; y < ys.end; ++y) {
    const Pixel* in = picture.pixels.data() + static_cast<std::size_t>(ys.SourceOf(y)) * picture.width;
    for (int x = xs.begin; x < xs.end; ++x) out.pixels[static_cast<std::size_t>(y) * width + x] = in[xs.SourceOf(x)];
  }
  return out;
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  // Compatible with a memory DC's current bitmap: monochrome while it holds a 1-bit one (a fresh DC does).
  const bool mono = dc && !dc->surface && dc->bitmap && dc->bitmap->monochrome;
  return NewBitmap(width, height, mono);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const BYTE* bits) {
  if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) return nullptr;
  HBITMAP bitmap = NewBitmap(width, height, bitsPerPixel == 1);
  if (!bitmap || !bits) return bitmap;
  const PixelBuffer buffer = bitmap->Buffer();
  if (bitsPerPixel == 1) {
    // Rows of bits, most significant first, each row padded to 2 bytes.
    const std::size_t rowBytes = (static_cast<std::size_t>(buffer.width) + 15) / 16 * 2;
    for (int y = 0; y < buffer.height; ++y) {
      const BYTE* row = bits + rowBytes * static_cast<std::size_t>(y);
      for (int x = 0; x < buffer.width; ++x) buffer.Row(y)[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? kMonoOne : 0;
    }
  } else {
    for (int y = 0; y < buffer.height; ++y) {
      const BYTE* row = bits + static_cast<std::size_t>(buffer.width) * 4 * static_cast<std::size_t>(y);
      for (int x = 0; x < buffer.width; ++x) {
        const BYTE* p = row + static_cast<std::size_t>(x) * 4;  // blue, green, red, unused
        buffer.Row(y)[x] = (static_cast<Pixel>(p[2]) << 16) | (static_cast<Pixel>(p[1]) << 8) | p[0];
      }
    }
  }
  return bitmap;
}

HBITMAP CreateBitmapFromPicture(DecodedPicture picture) {
  if (picture.width <= 0 || picture.height <= 0) return nullptr;
  if (picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return nullptr;
  }
  if (std::int64_t{picture.width} * picture.height > kMaxBitmapPixels) return nullptr;
  for (Pixel& p : picture.pixels) p &= kPixelMask;
  return new BitmapObject(picture.width, picture.height, std::move(picture.pixels));
}

int GetObjectW(HBITMAP bitmap, int bufferSize, BITMAP* out) {
  if (!bitmap) {
    if (out && bufferSize >= static_cast<int>(sizeof(BITMAP))) *out = BITMAP{};
    return 0;
  }
  if (!out) return static_cast<int>(sizeof(BITMAP));
  if (bufferSize < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP info;
  info.bmWidth = bitmap->width;
  info.bmHeight = bitmap->height;
  info.bmPlanes = 1;
  info.bmBitsPixel = bitmap->monochrome ? 1 : 32;
  info.bmWidthBytes = bitmap->monochrome ? (bitmap->width + 15) / 16 * 2 : bitmap->width * 4;
  *out = info;
  return static_cast<int>(sizeof(BITMAP));
}

HBITMAP LoadImageW(std::nullptr_t, std::string_view path, UINT type, int width, int height, UINT flags) {
  if (type != IMAGE_BITMAP || (flags & LR_LOADFROMFILE) == 0 || width < 0 || height < 0) return nullptr;
  std::ifstream in(std::string(path), std::ios::binary | std::ios::ate);
  if (!in) return nullptr;
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileBytes) return nullptr;
  std::optional<DecodedPicture> picture =
      DecodeBitmapFile(static_cast<std::uint64_t>(size), [&in](std::uint64_t offset, std::span<std::uint8_t> out) {
        in.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size())));
      });
  if (!picture) return nullptr;
  // A zero requested size keeps the file's own.
  const int w = width > 0 ? width : picture->width;
  const int h = height > 0 ? height : picture->height;
  if (w != picture->width || h != picture->height) {
    if (std::int64_t{w} * h > kMaxBitmapPixels) return nullptr;
    picture = Resize(*picture, w, h);
  }
  if ((flags & LR_MONOCHROME) == 0) return CreateBitmapFromPicture(std::move(*picture));
  HBITMAP mono = NewBitmap(w, h, true);
  if (!mono) return nullptr;
  for (std::size_t i = 0; i < picture->pixels.size(); ++i) mono->pixels[i] = NearestMono(picture->pixels[i]);
  return mono;
}

PixelBuffer BitmapPixels(HBITMAP bitmap) { return bitmap ? bitmap->Buffer() : PixelBuffer{}; }

// Two threads: the machine's cores are shared with the rest of the viewer.
constexpr int kLevelThreads = 2;

void MakeBitmapLevels(HBITMAP bitmap) {
  if (!bitmap || bitmap->monochrome) return;
  bitmap->levels = MakeLevels(bitmap->Buffer(), kLevelThreads);
}

std::size_t BitmapLevelBytes(HBITMAP bitmap) { return bitmap ? LevelBytes(bitmap->levels) : 0; }

LevelSource LevelSourceFor(HBITMAP bitmap, const LevelRect& rect, std::int64_t dw, std::int64_t dh) {
  if (!bitmap) return {{}, rect, 0};
  const int level = LevelFor(rect, bitmap->width, bitmap->height, dw, dh, static_cast<int>(bitmap->levels.size()));
  if (level == 0) return {bitmap->Buffer(), rect, 0};
  return {bitmap->levels[static_cast<std::size_t>(level - 1)].Buffer(),
          RectOnLevel(rect, bitmap->width, bitmap->height, level), level};
}
