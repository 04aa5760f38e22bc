#include "platform/image/webp_decoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/image/oriented_copy.h"
#include "platform/image/picture_header.h"

namespace {

struct DemuxDeleter {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

const char* StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return kOutOfMemoryFailure;
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "not decodable: a feature libwebp does not support";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "damaged data: the file is cut short";
    default: return "damaged data: the bitstream is malformed";
  }
}

// The orientation in the file's EXIF chunk, 1 when there is none.
int ExifChunkOrientation(const WebPDemuxer* demux) {
  WebPChunkIterator chunk;
  if (!WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) return 1;
  const int orientation = ExifOrientation(std::span(chunk.chunk.bytes, chunk.chunk.size));
  WebPDemuxReleaseChunkIterator(&chunk);
  return orientation;
}

}  // namespace

DecodeResult DecodeWebp(std::span<const std::uint8_t> file, const SizeCheck& size_allowed) {
  const WebPData data{file.data(), file.size()};
  // The demuxer takes only a whole file: one cut short is refused here.
  const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
  if (!demux) return DecodeResult::Failed("damaged data: the file is cut short or malformed");
  const int width = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
  const int height = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
  if (!size_allowed(width, height)) return DecodeResult::Failed(kTooLargeFailure);
  if (WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT) > 1) return DecodeResult::Failed(kAnimationFailure);
  WebPIterator frame;
  if (!WebPDemuxGetFrame(demux.get(), 1, &frame)) return DecodeResult::Failed("damaged data: no frame");
  const bool covers = frame.x_offset == 0 && frame.y_offset == 0 && frame.width == width && frame.height == height;
  const WebPData fragment = frame.fragment;
  WebPDemuxReleaseIterator(&frame);
  if (!covers) return DecodeResult::Failed(kNotOpaqueFailure);

  std::vector<Pixel> stored;
  try {
    stored.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return DecodeResult::Failed(kOutOfMemoryFailure);
  }
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return DecodeResult::Failed("not decodable: libwebp version mismatch");
  config.output.colorspace = MODE_BGRA;  // bytes b, g, r, a: the word 0xAARRGGBB
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = reinterpret_cast<std::uint8_t*>(stored.data());
  config.output.u.RGBA.stride = width * 4;
  config.output.u.RGBA.size = stored.size() * sizeof(Pixel);
  const VP8StatusCode status = WebPDecode(fragment.bytes, fragment.size, &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) return DecodeResult::Failed(StatusText(status));
  return CopyOpaqueOriented(stored.data(), width, height, width, ExifChunkOrientation(demux.get()),
                            [](Pixel word) { return word; });
}
