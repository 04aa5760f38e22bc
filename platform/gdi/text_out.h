// Drawing a rendered text mask onto pixels: TextOut's compositing, apart from the font engine.
#pragma once

#include <optional>

#include "platform/gdi/draw_target.h"
#include "platform/gdi/font_engine.h"

// Draws `mask` with its top-left at device pixel (x, y): the cell is first filled with `background` when
// given (OPAQUE mode), then `color` is blended over by each pixel's coverage (255: exactly `color`, 0: the
// pixel is left alone). On a 1-bit target a coverage of 128 or more takes `color`. Clipped to the target.
void CompositeTextMask(const DrawTarget& target, int x, int y, const TextMask& mask, Pixel color,
                       std::optional<Pixel> background);
