#include "platform/kernel/text.h"

Utf8Sequence DecodeUtf8At(std::string_view s, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {1, lead, true};
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
    return {1, 0, false};
  }
  // Count the bytes that continue the sequence validly.
  std::size_t valid = 1;
  while (valid < length && pos + valid < s.size()) {
    const unsigned char lo = valid == 1 ? second_min : 0x80;
    const unsigned char hi = valid == 1 ? second_max : 0xBF;
    if (byte(valid) < lo || byte(valid) > hi) break;
    ++valid;
  }
  if (valid < length) return {valid, 0, false};
  char32_t value = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (byte(i) & 0x3F);
  return {length, value, true};
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const Utf8Sequence sequence = DecodeUtf8At(utf8, pos);
    char32_t cp = sequence.code_point;
    const std::size_t length = sequence.length;
    if (!sequence.valid) {
      out.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(utf8[pos])));
      ++pos;
      continue;
    }
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    pos += length;
  }
  return out;
}
