// What every picture decoder is given and gives: a check of the size its header declares, made
// before anything is allocated for the pixels, and the picture or one line saying why there is none.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/gdi/decoded_picture.h"

// True when a picture of `width` x `height` pixels may be decoded.
using SizeCheck = std::function<bool(std::int64_t width, std::int64_t height)>;

struct DecodeResult {
  std::optional<DecodedPicture> picture;
  std::string failure;  // why there is no picture; empty when there is one

  static DecodeResult Decoded(DecodedPicture decoded) { return {std::move(decoded), {}}; }
  static DecodeResult Failed(std::string why) { return {std::nullopt, std::move(why)}; }
};

// The reasons that are the same for every format.
inline constexpr const char* kTooLargeFailure = "too large";
inline constexpr const char* kOutOfMemoryFailure = "not enough memory";
inline constexpr const char* kAnimationFailure = "an animation of more than one frame; a bitmap holds one";
inline constexpr const char* kNotOpaqueFailure = "pixels that are not fully opaque; a bitmap has no transparency";
