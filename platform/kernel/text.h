// Text conversions between the viewer's UTF-8 names and the desktop API's UTF-16 strings.
#pragma once

#include <string>
#include <string_view>

// The UTF-8 sequence starting at `pos` (< s.size()): its length and code point, or, when it is
// not valid (a bad lead byte, an overlong form, a surrogate, a value above U+10FFFF, a cut-off
// sequence), the length of its well-formed start, at least 1.
struct Utf8Sequence {
  std::size_t length;
  char32_t code_point;
  bool valid;
};
Utf8Sequence DecodeUtf8At(std::string_view s, std::size_t pos);

// Decodes UTF-8 to UTF-16 code units. Code points above U+FFFF become surrogate pairs. A byte
// that is not part of a valid UTF-8 sequence (Linux names can hold any bytes) becomes the lone
// unit 0xDC00 + byte, so two different byte strings never give the same units.
std::u16string Utf8ToUtf16(std::string_view utf8);
