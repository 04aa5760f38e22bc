#include "platform/image/jpeg_decoder.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>

#include <new>
#include <vector>

#include "platform/image/picture_orientation.h"

namespace {

// libjpeg's error manager, extended with the jump target its fatal errors return to.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf fatal;
};

[[noreturn]] void OnFatalError(j_common_ptr decoder) {
  std::longjmp(reinterpret_cast<JpegErrors*>(decoder->err)->fatal, 1);
}

// Warnings (extraneous bytes, a missing end marker) are not printed: the picture is still used.
void OnMessage(j_common_ptr, int) {}

// Bytes b, g, r, x as a little-endian word are 0xXXRRGGBB; the x byte is dropped.
constexpr Pixel kColourBits = 0x00FFFFFFu;

// Everything the decoding run changes lives in the caller's frame and is reached through these
// pointers, so a fatal error's jump back into DecodeScanlines leaves no local in doubt.
struct DecodeTarget {
  DecodedPicture* picture;
  std::vector<Pixel>* row;  // one stored row, for orientations that do not keep rows in place
  const std::function<bool(std::int64_t, std::int64_t)>* size_allowed;
};

// Runs the decoder over `file` into `target`; false when libjpeg gave up or the size is refused.
// May throw std::bad_alloc.
bool DecodeScanlines(jpeg_decompress_struct* decoder, JpegErrors* errors, std::span<const std::uint8_t> file,
                     int orientation, const DecodeTarget* target) {
  if (setjmp(errors->fatal) != 0) return false;
  jpeg_create_decompress(decoder);
  jpeg_mem_src(decoder, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(decoder, TRUE) != JPEG_HEADER_OK) return false;
  if (!(*target->size_allowed)(decoder->image_width, decoder->image_height)) return false;
  decoder->out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(decoder);
  const int width = static_cast<int>(decoder->output_width);
  const int height = static_cast<int>(decoder->output_height);
  const OrientedSize size = DisplayedSize(orientation, width, height);
  DecodedPicture& picture = *target->picture;
  picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  picture.width = size.width;
  picture.height = size.height;
  target->row->resize(static_cast<std::size_t>(width));
  while (decoder->output_scanline < decoder->output_height) {
    const int y = static_cast<int>(decoder->output_scanline);
    const OrientedRow place = OrientedRowPlacement(orientation, width, height, y);
    // A row that keeps its order is decoded in place; any other goes through the row buffer.
    Pixel* row = place.step == 1 ? picture.pixels.data() + place.start : target->row->data();
    JSAMPROW scanline = reinterpret_cast<JSAMPROW>(row);
    if (jpeg_read_scanlines(decoder, &scanline, 1) != 1) return false;
    if (place.step == 1) {
      for (int x = 0; x < width; ++x) row[x] &= kColourBits;
    } else {
      Pixel* dst = picture.pixels.data() + place.start;
      for (int x = 0; x < width; ++x, dst += place.step) *dst = row[x] & kColourBits;
    }
  }
  jpeg_finish_decompress(decoder);
  return true;
}

}  // namespace

std::optional<DecodedPicture> DecodeJpeg(std::span<const std::uint8_t> file, int orientation,
                                         const std::function<bool(std::int64_t, std::int64_t)>& size_allowed) {
  if (file.size() < 3 || file[0] != 0xFF || file[1] != 0xD8 || file[2] != 0xFF) return std::nullopt;
  jpeg_decompress_struct decoder{};
  JpegErrors errors{};
  decoder.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnFatalError;
  errors.manager.emit_message = OnMessage;
  DecodedPicture picture;
  std::vector<Pixel> row;
  const DecodeTarget target{&picture, &row, &size_allowed};
  bool decoded = false;
  try {
    decoded = DecodeScanlines(&decoder, &errors, file, orientation, &target);
  } catch (const std::bad_alloc&) {
    decoded = false;
  }
  jpeg_destroy_decompress(&decoder);  // does nothing when creating it failed
  if (!decoded) return std::nullopt;
  return picture;
}
