#include "platform/image/heif_decoder.h"

#include <libheif/heif.h>

#include <memory>
#include <string>

#include "platform/image/oriented_copy.h"

namespace {

struct ContextFreer {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleReleaser {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageReleaser {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFreer {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

DecodeResult LibheifFailure(const heif_error& error) {
  return DecodeResult::Failed(std::string("damaged data: ") + (error.message ? error.message : "unknown error"));
}

// Bytes r, g, b, a as a little-endian word: 0xAABBGGRR.
Pixel RgbaToArgb(Pixel word) { return (word & 0xFF00FF00u) | ((word & 0xFF) << 16) | ((word >> 16) & 0xFF); }

}  // namespace

DecodeResult DecodeHeif(std::span<const std::uint8_t> file, const SizeCheck& size_allowed) {
  const std::unique_ptr<heif_context, ContextFreer> context(heif_context_alloc());
  if (!context) return DecodeResult::Failed(kOutOfMemoryFailure);
  heif_error error = heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr);
  if (error.code != heif_error_Ok) return LibheifFailure(error);
  if (heif_context_get_number_of_top_level_images(context.get()) > 1) {
    return DecodeResult::Failed("more than one picture; a bitmap holds one");
  }
  heif_image_handle* raw_handle = nullptr;
  error = heif_context_get_primary_image_handle(context.get(), &raw_handle);
  if (error.code != heif_error_Ok) return LibheifFailure(error);
  const std::unique_ptr<heif_image_handle, HandleReleaser> handle(raw_handle);
  // The stored size and the displayed one (turned by a quarter, the sides swap): both checked.
  const int width = heif_image_handle_get_width(handle.get());
  const int height = heif_image_handle_get_height(handle.get());
  if (!size_allowed(width, height) ||
      !size_allowed(heif_image_handle_get_ispe_width(handle.get()), heif_image_handle_get_ispe_height(handle.get()))) {
    return DecodeResult::Failed(kTooLargeFailure);
  }
  const std::unique_ptr<heif_decoding_options, OptionsFreer> options(heif_decoding_options_alloc());
  if (!options) return DecodeResult::Failed(kOutOfMemoryFailure);
  options->convert_hdr_to_8bit = 1;
  options->strict_decoding = 1;  // invalid input is an error, not a picture with warnings
  heif_image* raw_image = nullptr;
  error = heif_decode_image(handle.get(), &raw_image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                            options.get());
  if (error.code != heif_error_Ok) return LibheifFailure(error);
  const std::unique_ptr<heif_image, ImageReleaser> image(raw_image);
  heif_error warning{};
  if (heif_image_get_decoding_warnings(image.get(), 0, &warning, 1) > 0) return LibheifFailure(warning);
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int decoded_width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int decoded_height = heif_image_get_height(image.get(), heif_channel_interleaved);
  if (!plane || stride % 4 != 0 || decoded_width != width || decoded_height != height) {
    return DecodeResult::Failed("damaged data: the decoded picture is not of the declared size");
  }
  // libheif has applied the rotation and mirroring already.
  return CopyOpaqueOriented(reinterpret_cast<const Pixel*>(plane), width, height, stride / 4, 1, RgbaToArgb);
}
