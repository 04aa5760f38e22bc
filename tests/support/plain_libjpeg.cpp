#include "tests/support/plain_libjpeg.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include <vector>

PlainLibjpegVerdict PlainLibjpegDecode(std::span<const std::uint8_t> bytes) {
  struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf fatal;
    bool warned = false;
  };
  jpeg_decompress_struct decoder{};
  Errors errors{};
  decoder.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = [](j_common_ptr d) { std::longjmp(reinterpret_cast<Errors*>(d->err)->fatal, 1); };
  errors.manager.emit_message = [](j_common_ptr d, int level) {
    const int code = d->err->msg_code;
    if (level < 0 && code != JWRN_JFIF_MAJOR && code != JWRN_ADOBE_XFORM) reinterpret_cast<Errors*>(d->err)->warned = true;
  };
  PlainLibjpegVerdict verdict = PlainLibjpegVerdict::kFailed;
  std::vector<JSAMPLE> row;
  if (setjmp(errors.fatal) == 0) {
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&decoder, TRUE);
    jpeg_start_decompress(&decoder);
    row.resize(static_cast<std::size_t>(decoder.output_width) * static_cast<std::size_t>(decoder.output_components));
    while (decoder.output_scanline < decoder.output_height) {
      JSAMPROW rows[1] = {row.data()};
      jpeg_read_scanlines(&decoder, rows, 1);
    }
    jpeg_finish_decompress(&decoder);
    verdict = errors.warned ? PlainLibjpegVerdict::kWarned : PlainLibjpegVerdict::kClean;
  }
  jpeg_destroy_decompress(&decoder);
  return verdict;
}

