// EncodeJpegFile (image_codec.h): pictures written as baseline JPEG files with libjpeg-turbo.
#include "platform/image/image_codec.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>

#include <climits>
#include <memory>

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf fatal;
};

[[noreturn]] void OnFatalError(j_common_ptr encoder) {
  std::longjmp(reinterpret_cast<JpegErrors*>(encoder->err)->fatal, 1);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Compresses `picture` into `file`; false when libjpeg gave up.
bool Compress(jpeg_compress_struct* encoder, JpegErrors* errors, const DecodedPicture& picture, std::FILE* file,
              int quality) {
  if (setjmp(errors->fatal) != 0) return false;
  jpeg_create_compress(encoder);
  jpeg_stdio_dest(encoder, file);
  encoder->image_width = static_cast<JDIMENSION>(picture.width);
  encoder->image_height = static_cast<JDIMENSION>(picture.height);
  encoder->input_components = 4;
  encoder->in_color_space = JCS_EXT_BGRX;  // 0x00RRGGBB words are the bytes b, g, r, x
  jpeg_set_defaults(encoder);
  jpeg_set_quality(encoder, quality, TRUE);
  jpeg_start_compress(encoder, TRUE);
  while (encoder->next_scanline < encoder->image_height) {
    // libjpeg only reads the row; the cast is for its interface.
    const Pixel* row = picture.pixels.data() + static_cast<std::size_t>(encoder->next_scanline) * picture.width;
    JSAMPROW scanline = reinterpret_cast<JSAMPROW>(const_cast<Pixel*>(row));
    jpeg_write_scanlines(encoder, &scanline, 1);
  }
  jpeg_finish_compress(encoder);
  return true;
}

}  // namespace

bool EncodeJpegFile(const DecodedPicture& picture, const std::string& path, int quality) {
  if (picture.width <= 0 || picture.height <= 0 || picture.width > INT_MAX / 4 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  jpeg_compress_struct encoder{};
  JpegErrors errors{};
  encoder.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnFatalError;
  const bool compressed = Compress(&encoder, &errors, picture, file.get(), quality);
  jpeg_destroy_compress(&encoder);
  const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
  return compressed && flushed && std::fclose(file.release()) == 0;
}
