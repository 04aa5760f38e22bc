// The one window's shared state and the user-interface calls that read it from any thread:
// screen metrics, the pointer, key state and the cursor's display count.
//
// The program hides the pointer and moves it itself, so the pointer is virtual: SetCursorPos
// sets it, real motion moves it (clamped to the screen), GetCursorPos reads it. The window's
// thread keeps the real pointer in step where the display system lets a client warp it: a
// pointer set while a frame is drawn follows once, when the frame is shown; a warp is made only
// when it would move the pointer, and never over real motion reported after the request.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/types.h"
#include "platform/window/backend.h"
#include "platform/window/messages.h"

class ClientSurface;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

int GetSystemMetrics(int index);
// Adds 1 (show) or -1 (hide) to the display count and returns it; the cursor shows at >= 0.
int ShowCursor(BOOL show);
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
// High bit set while the key is down.
SHORT GetKeyState(int virtual_key);

namespace window_system {

// Installs the backend the next dialog opens its window with (the program installs SDL,
// tests the headless one). Not thread-safe: call before any window exists.
void InstallBackend(std::unique_ptr<WindowBackend> backend);
WindowBackend* Backend();

// Window's thread: opens the window and its client surface; false without a display.
bool OpenWindow();
void CloseWindow();
bool IsWindowThread();
ClientSurface* Surface();
// Any thread: how many updates of the surface the window's thread has put on screen so far.
std::uint64_t PresentedFrames();

// Window's thread: the next message, posted ones first; presents the surface and applies
// cursor and pointer requests from other threads while waiting. A stop signal taken since the
// last call (see stop_signals.h) comes as WM_CLOSE.
bool PumpMessage(MSG& msg, int timeout_ms);
// Any thread: queues a message for the window (WM_CLOSE from a worker).
void PostMessage(const MSG& msg);

// Backends report input here (window's thread).
void NoteMouseAt(int x, int y);
void NoteMouseMotion(int dx, int dy);
void NoteKey(UINT virtual_key, bool down);
// Builds the mouse-message flags from the buttons and modifiers held now.
UINT MouseFlags();
void NoteButton(UINT mk_flag, bool down);

}  // namespace window_system
