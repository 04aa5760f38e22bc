// Blit entry points shared by the shape and text code.
#pragma once

#include "platform/gdi/gdi.h"

// PatBlt with `brush` instead of the DC's selected brush (FillRect, FillSolidRect).
BOOL PatBltWithBrush(HDC dc, int x, int y, int width, int height, HBRUSH brush, DWORD rop);
