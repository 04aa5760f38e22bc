// What every picture decoder gives: the picture, or one line saying why there is none.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/gdi/decoded_picture.h"

struct DecodeResult {
  std::optional<DecodedPicture> picture;
  std::string failure;  // why there is no picture; empty when there is one

  static DecodeResult Decoded(DecodedPicture decoded) { return {std::move(decoded), {}}; }
  static DecodeResult Failed(std::string why) { return {std::nullopt, std::move(why)}; }
};
