// Bitmap operations beyond plain stretching: a picture turned by any angle, a recorded
// picture zoomed and panned for playback, and sprites whose pure black pixels are transparent.
#pragma once

#include "platform/gdi/gdi.h"

struct ViewerState;

// The box a w x h picture occupies once turned by the angle whose cosine and sine are given:
// its size and the (non-positive) offsets of its top-left corner.
struct TurnedBox {
  int min_x = 0;
  int min_y = 0;
  int width = 0;
  int height = 0;
};
TurnedBox TurnedBoundingBox(int w, int h, float cos_a, float sin_a);

// Degrees as the angle tables hold them, in radians as a 32-bit float.
float DegreesToRadians(int degrees);

// A new bitmap holding `source` turned by `angle` (radians, counter-clockwise on screen) on
// black, sized to the turned box, with its pre-filtered copies (it is drawn like a picture
// file); the caller deletes it. The source is not changed.
HBITMAP RotateBitmap(HBITMAP source, float angle);

// A new bitmap of the source's box holding the picture enlarged by the playback zoom about the
// box centre, its source shifted by the playback point, with its pre-filtered copies; the
// caller deletes it.
HBITMAP PlaybackBitmap(const ViewerState& state, HBITMAP source, float angle);

// Puts into `mask_dc` a new 1-bit bitmap of the sprite's size whose bits are 1 where the
// sprite in `image_dc` is black, and blacks out the sprite where the mask is 1. Returns the
// bitmap the mask DC held before; the caller selects it back and deletes the mask.
HBITMAP MakeSpriteMask(HDC image_dc, HDC mask_dc, int width, int height);

// Draws the sprite stretched to (x, y, dw, dh): its black pixels leave the target unchanged.
void DrawSprite(HDC target, int x, int y, int dw, int dh, HDC mask_dc, HDC image_dc, int sw, int sh);

// Keeps the pointer inside the box around the screen centre where the ring menu lies and
// draws the red sight on it.
void DrawMenuPointer(const ViewerState& state, HDC target);
