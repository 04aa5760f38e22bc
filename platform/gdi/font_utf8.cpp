#include "platform/gdi/font_utf8.h"

#include "platform/kernel/text.h"

std::u32string DecodeUtf8ForDrawing(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Sequence sequence = DecodeUtf8At(utf8, pos);
    // A broken sequence draws as one replacement character.
    out.push_back(sequence.valid ? sequence.code_point : U'\uFFFD');
    pos += sequence.length;
  }
  return out;
}
