#include "platform/image/image_codec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>
#include <span>
#include <vector>

#include "platform/gdi/bitmap_file.h"
#include "platform/image/gif_decoder.h"
#include "platform/image/heif_decoder.h"
#include "platform/image/jpeg_decoder.h"
#include "platform/image/picture_header.h"
#include "platform/image/png_decoder.h"
#include "platform/image/tiff_decoder.h"
#include "platform/image/webp_decoder.h"

namespace {

std::atomic<std::int64_t> g_max_pixels{kMaxDecodedPixels};

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxDecodedDimension && height <= kMaxDecodedDimension &&
         width * height <= g_max_pixels.load(std::memory_order_relaxed);
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

}  // namespace

DecodeResult DecodePictureFile(const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> file = ReadFile(path);
  if (!file) return DecodeResult::Failed("cannot read the file");
  if (file->empty()) return DecodeResult::Failed("empty file");
  const std::span<const std::uint8_t> bytes(*file);
  // Where the header gives the size without a decoder, it is checked before any decoder runs;
  // every decoder checks the size it reads again before it allocates for the pixels.
  if (const std::optional<DeclaredSize> declared = DeclaredPictureSize(bytes)) {
    if (!SizeAllowed(declared->width, declared->height)) return DecodeResult::Failed(kTooLargeFailure);
  }
  switch (FormatOf(bytes)) {
    case PictureFormat::kJpeg: return DecodeJpeg(bytes, JpegExifOrientation(bytes), SizeAllowed);
    case PictureFormat::kPng: return DecodePng(bytes, SizeAllowed);
    case PictureFormat::kGif: return DecodeGif(bytes, SizeAllowed);
    case PictureFormat::kTiff: return DecodeTiff(bytes, SizeAllowed);
    case PictureFormat::kWebp: return DecodeWebp(bytes, SizeAllowed);
    case PictureFormat::kHeif: return DecodeHeif(bytes, SizeAllowed);
    case PictureFormat::kBmp: {
      std::optional<DecodedPicture> picture = DecodeBitmapFile(bytes);
      if (!picture) return DecodeResult::Failed("not decodable: a bitmap layout that is not read");
      return DecodeResult::Decoded(std::move(*picture));
    }
    case PictureFormat::kOther: break;
  }
  return DecodeResult::Failed("not a picture format that is read");
}

void SetMaxDecodedPixelsForTesting(std::int64_t pixels) {
  g_max_pixels.store(pixels < 0 ? kMaxDecodedPixels : pixels, std::memory_order_relaxed);
}
