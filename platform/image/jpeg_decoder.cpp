#include "platform/image/jpeg_decoder.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>

#include <new>
#include <string>
#include <vector>

#include "platform/image/picture_orientation.h"

namespace {

// libjpeg's error manager, extended with the jump target its fatal errors and damage warnings
// return to and the text of the message that ended the run.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf fatal;
  bool damaged = false;
  char message[JMSG_LENGTH_MAX] = {};
};

JpegErrors& ErrorsOf(j_common_ptr decoder) { return *reinterpret_cast<JpegErrors*>(decoder->err); }

[[noreturn]] void OnFatalError(j_common_ptr decoder) {
  JpegErrors& errors = ErrorsOf(decoder);
  decoder->err->format_message(decoder, errors.message);
  std::longjmp(errors.fatal, 1);
}

// Level -1 is a warning; higher levels are trace messages, ignored. Every warning but two means
// damaged or missing data, and ends the run: the rest of the picture would be grey filler. The
// two exceptions concern metadata only (a JFIF revision or an Adobe transform code libjpeg does
// not know) and leave the pixels as they are.
void OnMessage(j_common_ptr decoder, int level) {
  if (level >= 0) return;
  const int code = decoder->err->msg_code;
  if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM) return;
  JpegErrors& errors = ErrorsOf(decoder);
  decoder->err->format_message(decoder, errors.message);
  errors.damaged = true;
  std::longjmp(errors.fatal, 1);
}

// Bytes b, g, r, x as a little-endian word are 0xXXRRGGBB; the x byte is dropped.
constexpr Pixel kColourBits = 0x00FFFFFFu;

// Bytes c, m, y, k as a little-endian word, as RGB. `inverted`: the file stores 255 - ink, as
// Adobe's files (those with an Adobe marker) do.
Pixel CmykToRgb(Pixel word, bool inverted) {
  Pixel c = word & 0xFF, m = (word >> 8) & 0xFF, y = (word >> 16) & 0xFF, k = word >> 24;
  if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
  return ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
}

// Everything the decoding run changes lives in the caller's frame and is reached through these
// pointers, so a fatal error's jump back into DecodeScanlines leaves no local in doubt.
struct DecodeTarget {
  DecodedPicture* picture;
  std::vector<Pixel>* row;  // one stored row, for orientations that do not keep rows in place
  const SizeCheck* size_allowed;
  bool* size_refused;
};

// Runs the decoder over `file` into `target`; false when libjpeg gave up or warned, or the size
// is refused. May throw std::bad_alloc.
bool DecodeScanlines(jpeg_decompress_struct* decoder, JpegErrors* errors, std::span<const std::uint8_t> file,
                     int orientation, const DecodeTarget* target) {
  if (setjmp(errors->fatal) != 0) return false;
  jpeg_create_decompress(decoder);
  jpeg_mem_src(decoder, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(decoder, TRUE) != JPEG_HEADER_OK) return false;
  if (!(*target->size_allowed)(decoder->image_width, decoder->image_height)) {
    *target->size_refused = true;
    return false;
  }
  const bool cmyk = decoder->jpeg_color_space == JCS_CMYK || decoder->jpeg_color_space == JCS_YCCK;
  const bool inverted = decoder->saw_Adobe_marker;
  decoder->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
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
    Pixel* dst = picture.pixels.data() + place.start;
    if (cmyk) {
      for (int x = 0; x < width; ++x, dst += place.step) *dst = CmykToRgb(row[x], inverted);
    } else if (place.step == 1) {
      for (int x = 0; x < width; ++x) row[x] &= kColourBits;
    } else {
      for (int x = 0; x < width; ++x, dst += place.step) *dst = row[x] & kColourBits;
    }
  }
  // Reads on to the end marker: damage after the last row still warns here.
  jpeg_finish_decompress(decoder);
  return true;
}

}  // namespace

DecodeResult DecodeJpeg(std::span<const std::uint8_t> file, int orientation, const SizeCheck& size_allowed) {
  if (file.size() < 3 || file[0] != 0xFF || file[1] != 0xD8 || file[2] != 0xFF) {
    return DecodeResult::Failed("not a JPEG file");
  }
  jpeg_decompress_struct decoder{};
  JpegErrors errors{};
  decoder.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnFatalError;
  errors.manager.emit_message = OnMessage;
  DecodedPicture picture;
  std::vector<Pixel> row;
  bool size_refused = false;
  const DecodeTarget target{&picture, &row, &size_allowed, &size_refused};
  bool decoded = false;
  bool out_of_memory = false;
  try {
    decoded = DecodeScanlines(&decoder, &errors, file, orientation, &target);
  } catch (const std::bad_alloc&) {
    out_of_memory = true;
  }
  jpeg_destroy_decompress(&decoder);  // does nothing when creating it failed
  if (decoded) return DecodeResult::Decoded(std::move(picture));
  if (out_of_memory) return DecodeResult::Failed(kOutOfMemoryFailure);
  if (size_refused) return DecodeResult::Failed(kTooLargeFailure);
  if (errors.damaged) return DecodeResult::Failed(std::string("damaged data: ") + errors.message);
  if (errors.message[0] == '\0') return DecodeResult::Failed("no picture in the file");
  return DecodeResult::Failed(std::string("not decodable: ") + errors.message);
}
