#include "platform/image/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/image/oriented_copy.h"

namespace {

// The file as giflib reads it: bytes handed out from the front.
struct Source {
  std::span<const std::uint8_t> file;
  std::size_t at = 0;
};

int Read(GifFileType* gif, GifByteType* out, int wanted) {
  Source& source = *static_cast<Source*>(gif->UserData);
  const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(wanted), source.file.size() - source.at);
  std::memcpy(out, source.file.data() + source.at, count);
  source.at += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

DecodeResult GiflibFailure(int error) {
  const char* text = GifErrorString(error);
  return DecodeResult::Failed(std::string("damaged data: ") + (text ? text : "unknown error"));
}

// Rows of an interlaced frame come in four passes: every 8th from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1. Gives the frame row of the `n`th row read.
int InterlacedRow(int n, int height) {
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows = kStart[pass] < height ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (n < rows) return kStart[pass] + n * kStep[pass];
    n -= rows;
  }
  return height - 1;  // not reached for n < height
}

}  // namespace

DecodeResult DecodeGif(std::span<const std::uint8_t> file, const SizeCheck& size_allowed) {
  Source source{file, 0};
  int error = 0;
  const std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, Read, &error));
  if (!gif) return GiflibFailure(error);
  const int width = gif->SWidth;
  const int height = gif->SHeight;
  if (!size_allowed(width, height)) return DecodeResult::Failed(kTooLargeFailure);
  std::vector<Pixel> argb;  // the screen, 0xAARRGGBB; alpha 0 where no frame drew
  std::vector<GifPixelType> line;
  int transparent = NO_TRANSPARENT_COLOR;
  int frames = 0;
  try {
    argb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE;) {
      if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) return GiflibFailure(gif->Error);
      if (record == EXTENSION_RECORD_TYPE) {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) return GiflibFailure(gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block) {
          GraphicsControlBlock control;
          if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
        }
        while (block) {
          if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) return GiflibFailure(gif->Error);
        }
      } else if (record == IMAGE_DESC_RECORD_TYPE) {
        if (++frames > 1) return DecodeResult::Failed(kAnimationFailure);
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return GiflibFailure(gif->Error);
        const GifImageDesc& frame = gif->Image;
        if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0 ||
            frame.Left > width - frame.Width || frame.Top > height - frame.Height) {
          return DecodeResult::Failed("damaged data: the frame lies outside the screen");
        }
        const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!colours) return DecodeResult::Failed("damaged data: no colour table");
        line.resize(static_cast<std::size_t>(frame.Width));
        for (int n = 0; n < frame.Height; ++n) {
          if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return GiflibFailure(gif->Error);
          const int y = frame.Top + (frame.Interlace ? InterlacedRow(n, frame.Height) : n);
          Pixel* row = argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + frame.Left;
          for (int x = 0; x < frame.Width; ++x) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == transparent) continue;  // stays alpha 0
            if (index >= colours->ColorCount) return DecodeResult::Failed("damaged data: a colour outside the table");
            const GifColorType c = colours->Colors[index];
            row[x] = 0xFF000000u | (Pixel{c.Red} << 16) | (Pixel{c.Green} << 8) | Pixel{c.Blue};
          }
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return DecodeResult::Failed(kOutOfMemoryFailure);
  }
  if (frames == 0) return DecodeResult::Failed("damaged data: no frame");
  return CopyOpaqueOriented(argb.data(), width, height, width, 1, [](Pixel word) { return word; });
}
