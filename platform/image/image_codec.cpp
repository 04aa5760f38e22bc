#include "platform/image/image_codec.h"

#include <SDL.h>
#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "platform/image/jpeg_decoder.h"
#include "platform/image/picture_header.h"
#include "platform/image/picture_orientation.h"

namespace {

static_assert(std::endian::native == std::endian::little, "pixels are copied as little-endian words");

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxDecodedDimension && height <= kMaxDecodedDimension &&
         width * height <= kMaxDecodedPixels;
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> result;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxPictureFileBytes) {
    try {
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
      std::size_t done = 0;
      while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
      }
      if (done == bytes.size()) result = std::move(bytes);
    } catch (const std::bad_alloc&) {
    }
  }
  ::close(fd);
  return result;
}

// The little-endian 32-bit word at `p`.
Pixel LoadWord(const std::uint8_t* p) {
  Pixel value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// SDL keeps an error message per thread and frees it by itself only on threads it started. Called
// before SDL is used on a thread: the thread frees SDL's data when it ends, so a decoding thread
// that met a bad file leaves nothing behind.
void FreeSdlThreadDataAtThreadEnd() {
  struct Cleanup {
    ~Cleanup() { SDL_TLSCleanup(); }
  };
  thread_local Cleanup cleanup;
  (void)cleanup;
}

// Copies the surface's pixels into `out`, turned by `orientation`, in one pass. `read_word`
// may read one byte past a pixel, so the last pixel of each row is read by `read`.
template <typename ReadPixel, typename ReadWord>
void CopyOriented(const SDL_Surface& surface, int bytes_per_pixel, int orientation, Pixel* out, ReadPixel read,
                  ReadWord read_word) {
  const int w = surface.w;
  const int h = surface.h;
  for (int y = 0; y < h; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(surface.pixels) + static_cast<std::ptrdiff_t>(y) * surface.pitch;
    const OrientedRow place = OrientedRowPlacement(orientation, w, h, y);
    if (place.step == 1) {
      Pixel* dst = out + place.start;
      for (int x = 0; x + 1 < w; ++x) dst[x] = read_word(row + x * bytes_per_pixel);
      dst[w - 1] = read(row + (w - 1) * bytes_per_pixel);
    } else {
      Pixel* dst = out + place.start;
      for (int x = 0; x < w; ++x, dst += place.step) *dst = read(row + x * bytes_per_pixel);
    }
  }
}

std::optional<DecodedPicture> PictureFromSurface(SDL_Surface* loaded, int orientation) {
  SurfacePtr converted;
  SDL_Surface* surface = loaded;
  const Uint32 format = loaded->format->format;
  if (format != SDL_PIXELFORMAT_RGB24 && format != SDL_PIXELFORMAT_BGR24 && format != SDL_PIXELFORMAT_ARGB8888 &&
      format != SDL_PIXELFORMAT_RGB888) {
    converted.reset(SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0));
    if (!converted) return std::nullopt;
    surface = converted.get();
  }
  const OrientedSize size = DisplayedSize(orientation, surface->w, surface->h);
  DecodedPicture picture;
  try {
    const std::size_t count = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    picture.pixels.resize(count);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  picture.width = size.width;
  picture.height = size.height;
  if (SDL_LockSurface(surface) != 0) return std::nullopt;
  Pixel* out = picture.pixels.data();
  switch (surface->format->format) {
    case SDL_PIXELFORMAT_RGB24: {  // bytes red, green, blue
      const auto rgb = [](const std::uint8_t* p) { return (Pixel{p[0]} << 16) | (Pixel{p[1]} << 8) | Pixel{p[2]}; };
      // Bytes r g b x read as a little-endian word and reversed give 0xRRGGBBxx.
      const auto rgb_word = [](const std::uint8_t* p) { return __builtin_bswap32(LoadWord(p)) >> 8; };
      CopyOriented(*surface, 3, orientation, out, rgb, rgb_word);
      break;
    }
    case SDL_PIXELFORMAT_BGR24: {
      const auto bgr = [](const std::uint8_t* p) { return (Pixel{p[2]} << 16) | (Pixel{p[1]} << 8) | Pixel{p[0]}; };
      const auto bgr_word = [](const std::uint8_t* p) { return LoadWord(p) & 0x00FFFFFFu; };
      CopyOriented(*surface, 3, orientation, out, bgr, bgr_word);
      break;
    }
    default: {  // 32-bit 0xAARRGGBB words
      const auto argb = [](const std::uint8_t* p) { return LoadWord(p) & 0x00FFFFFFu; };
      CopyOriented(*surface, 4, orientation, out, argb, argb);
      break;
    }
  }
  SDL_UnlockSurface(surface);
  return picture;
}

}  // namespace

DecodeResult DecodePictureFile(const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> file = ReadFile(path);
  if (!file) return DecodeResult::Failed("cannot read the file");
  if (file->empty()) return DecodeResult::Failed("empty file");
  const std::span<const std::uint8_t> bytes(*file);
  // Only formats whose header gives the size (JPEG, PNG, GIF, TIFF, BMP) are decoded, so that the
  // size is checked before a decoder allocates for it. SDL2_image's other readers (XCF, SVG, PCX, ...)
  // allocate whatever their header asks for first, and some leak on a malformed file.
  const std::optional<DeclaredSize> declared = DeclaredPictureSize(bytes);
  if (!declared) return DecodeResult::Failed("not a picture format that is read");
  if (!SizeAllowed(declared->width, declared->height)) return DecodeResult::Failed("too large");
  if (FormatOf(bytes) == PictureFormat::kJpeg) return DecodeJpeg(bytes, JpegExifOrientation(bytes), SizeAllowed);
  // PNG, GIF, TIFF and BMP go through SDL2_image.
  FreeSdlThreadDataAtThreadEnd();
  SDL_RWops* source = SDL_RWFromConstMem(file->data(), static_cast<int>(file->size()));
  if (!source) return DecodeResult::Failed("not enough memory");
  SurfacePtr loaded(IMG_Load_RW(source, 1));
  if (!loaded) return DecodeResult::Failed("not decodable");
  if (!SizeAllowed(loaded->w, loaded->h)) return DecodeResult::Failed("too large");
  std::optional<DecodedPicture> picture = PictureFromSurface(loaded.get(), 1);
  if (!picture) return DecodeResult::Failed("not enough memory");
  return DecodeResult::Decoded(std::move(*picture));
}

bool EncodeJpegFile(const DecodedPicture& picture, const std::string& path, int quality) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.width > INT_MAX / 4 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return false;
  }
  FreeSdlThreadDataAtThreadEnd();
  // SDL only reads the pixels; the cast is for its interface.
  SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Pixel*>(picture.pixels.data()), picture.width,
                                                        picture.height, 32, picture.width * 4,
                                                        SDL_PIXELFORMAT_RGB888));
  if (!surface) return false;
  return IMG_SaveJPG(surface.get(), path.c_str(), quality) == 0;
}
