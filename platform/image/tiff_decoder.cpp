#include "platform/image/tiff_decoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/image/oriented_copy.h"

namespace {

// The file as libtiff reads it, and the first message libtiff gave about it.
struct Source {
  std::span<const std::uint8_t> file;
  toff_t at = 0;
  std::string message;
};

Source& SourceOf(thandle_t handle) { return *static_cast<Source*>(handle); }

tmsize_t Read(thandle_t handle, void* out, tmsize_t wanted) {
  Source& source = SourceOf(handle);
  if (wanted <= 0 || source.at >= source.file.size()) return 0;
  const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(wanted), source.file.size() - source.at);
  std::memcpy(out, source.file.data() + source.at, count);
  source.at += count;
  return static_cast<tmsize_t>(count);
}
tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }
toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  Source& source = SourceOf(handle);
  const toff_t base = whence == SEEK_CUR ? source.at : whence == SEEK_END ? source.file.size() : 0;
  source.at = base + offset;
  return source.at;
}
int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return SourceOf(handle).file.size(); }
int Map(thandle_t, void**, toff_t*) { return 0; }  // no mapping: libtiff reads through Read
void Unmap(thandle_t, void*, toff_t) {}

// libtiff's errors and warnings: the first is kept, each stops nothing by itself but fails the
// decode afterwards. A tag libtiff does not know (cameras and scanners write private ones) says
// nothing about the pixels and fails nothing.
int OnMessage(TIFF*, void* user, const char* module, const char* format, va_list args) {
  Source& source = *static_cast<Source*>(user);
  if (!source.message.empty()) return 1;
  char text[256];
  std::vsnprintf(text, sizeof text, format, args);
  source.message = std::string(module ? module : "libtiff") + ": " + text;
  return 1;
}
int OnWarning(TIFF* tiff, void* user, const char* module, const char* format, va_list args) {
  if (std::strstr(format, "Unknown field with tag") != nullptr) return 1;
  return OnMessage(tiff, user, module, format, args);
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFreer {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// The raster libtiff fills: bytes r, g, b, a; as a little-endian word 0xAABBGGRR.
Pixel AbgrToArgb(Pixel word) {
  return (word & 0xFF00FF00u) | ((word & 0xFF) << 16) | ((word >> 16) & 0xFF);
}

int OrientationValue(std::uint16_t tag) { return tag >= 1 && tag <= 8 ? tag : 1; }

}  // namespace

DecodeResult DecodeTiff(std::span<const std::uint8_t> file, const SizeCheck& size_allowed) {
  Source source{file, 0, {}};
  const std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
  if (!options) return DecodeResult::Failed(kOutOfMemoryFailure);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnMessage, &source);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &source);
  const auto failed = [&]() { return DecodeResult::Failed("damaged data: " + source.message); };
  // "rm": read only, no memory mapping.
  const std::unique_ptr<TIFF, TiffCloser> tiff(
      TIFFClientOpenExt("picture", "rm", &source, Read, Write, Seek, Close, Size, Map, Unmap, options.get()));
  if (!tiff || !source.message.empty()) return failed();
  std::uint32_t width = 0, height = 0;
  std::uint16_t orientation = ORIENTATION_TOPLEFT;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height)) {
    return DecodeResult::Failed("damaged data: no width or height");
  }
  if (!size_allowed(width, height)) return DecodeResult::Failed(kTooLargeFailure);
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
  if (TIFFReadDirectory(tiff.get())) return DecodeResult::Failed("more than one page; a bitmap holds one");
  if (!source.message.empty()) return failed();
  TIFFSetDirectory(tiff.get(), 0);
  char message[1024] = {};
  TIFFRGBAImage image{};
  if (!TIFFRGBAImageOK(tiff.get(), message) || !TIFFRGBAImageBegin(&image, tiff.get(), 1, message)) {
    return DecodeResult::Failed(std::string("not decodable: ") + message);
  }
  // Rows as stored, first row first; the orientation is applied afterwards with the others'.
  image.orientation = ORIENTATION_TOPLEFT;
  image.req_orientation = ORIENTATION_TOPLEFT;
  std::vector<Pixel> stored;
  bool got = false;
  try {
    stored.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    got = TIFFRGBAImageGet(&image, stored.data(), width, height) != 0;
  } catch (const std::bad_alloc&) {
    TIFFRGBAImageEnd(&image);
    return DecodeResult::Failed(kOutOfMemoryFailure);
  }
  TIFFRGBAImageEnd(&image);
  if (!got || !source.message.empty()) {
    if (source.message.empty()) source.message = "the pixels cannot be read";
    return failed();
  }
  return CopyOpaqueOriented(stored.data(), static_cast<int>(width), static_cast<int>(height), width,
                            OrientationValue(orientation), AbgrToArgb);
}
