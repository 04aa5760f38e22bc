// Device contexts of the window: every drawing call on one lands on the client surface whole.
#pragma once

#include "platform/framework/dialog.h"
#include "platform/gdi/gdi.h"

// A DC over the window's client area (null without a window); release it with ReleaseDC.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
