#include "platform/gdi/font_utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::u32string DecodeUtf8ForDrawing(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++pos;
      continue;
    }
    std::size_t length = 0;
    unsigned char second_min = 0x80;
    unsigned char second_max = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) second_min = 0xA0;  // shorter forms are overlong
      if (lead == 0xED) second_max = 0x9F;  // U+D800..U+DFFF are not characters
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) second_min = 0x90;  // overlong
      if (lead == 0xF4) second_max = 0x8F;  // above U+10FFFF
    } else {
      out.push_back(kReplacement);
      ++pos;
      continue;
    }
    // Count the bytes that continue the sequence validly; a shorter run is replaced as a whole.
    std::size_t valid = 1;
    while (valid < length && pos + valid < utf8.size()) {
      const auto b = static_cast<unsigned char>(utf8[pos + valid]);
      const unsigned char lo = valid == 1 ? second_min : 0x80;
      const unsigned char hi = valid == 1 ? second_max : 0xBF;
      if (b < lo || b > hi) break;
      ++valid;
    }
    if (valid < length) {
      out.push_back(kReplacement);
      pos += valid;
      continue;
    }
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      value = (value << 6) | (static_cast<unsigned char>(utf8[pos + i]) & 0x3F);
    }
    out.push_back(value);
    pos += length;
  }
  return out;
}
