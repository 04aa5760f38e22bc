#include "platform/window/window_dc.h"

#include "platform/window/client_surface.h"
#include "platform/window/window_system.h"

HDC GetDC(HWND) {
  ClientSurface* surface = window_system::Surface();
  return surface ? CreateSurfaceDC(*surface) : nullptr;
}

int ReleaseDC(HWND, HDC dc) { return dc && DeleteDC(dc) ? 1 : 0; }
