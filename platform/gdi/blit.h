// Blit entry points shared by the shape and text code.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

// PatBlt with `brush` instead of the DC's selected brush, and extents past the int range (FillRect).
BOOL PatBltWithBrush(HDC dc, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, HBRUSH brush,
                     DWORD rop);
