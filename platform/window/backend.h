// The neutral interface behind which a display system provides the one window.
//
// Backends: SDL (the real program) and headless (tests and benchmarks). Every call except
// Wake and ScreenSize is made on the window's thread, the thread that runs the dialog.
#pragma once

#include <functional>

#include "platform/types.h"
#include "platform/window/messages.h"

class ClientSurface;
struct DecodedPicture;

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // Opens the display and creates the window, not yet shown; false when there is no display.
  virtual bool Open() = 0;
  // Size of the primary display in pixels, known after Open.
  virtual SIZE ScreenSize() const = 0;
  // Shows the window borderless over the whole primary display.
  virtual void ShowFullScreen() = 0;
  virtual void Close() = 0;

  // Waits up to `timeout_ms` for input and translates it; false when nothing arrived.
  // Input also updates the shared pointer and key state (see window_system.h).
  virtual bool NextMessage(MSG& msg, int timeout_ms) = 0;
  // Puts the surface on screen.
  virtual void Present(ClientSurface& surface) = 0;
  virtual void ApplyCursorVisible(bool visible) = 0;
  virtual void SetIcon(const DecodedPicture& icon) = 0;
  // Moves the real pointer to the virtual pointer's place, where the display system allows it.
  virtual void WarpPointer(int x, int y) = 0;

  // Any thread: makes a pending or next NextMessage return promptly.
  virtual void Wake() = 0;
};
