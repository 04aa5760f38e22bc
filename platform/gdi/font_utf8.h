// UTF-8 decoding for text drawing.
#pragma once

#include <string>
#include <string_view>

// Decodes UTF-8 to code points. Each maximal ill-formed subsequence (a stray byte, a truncated
// sequence, an overlong form, a surrogate, a value above U+10FFFF) becomes one U+FFFD.
std::u32string DecodeUtf8ForDrawing(std::string_view utf8);
