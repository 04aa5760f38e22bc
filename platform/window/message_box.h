// The desktop API's message box: a modal box with a text, a caption and buttons.
//
// The box itself comes from a process-wide handler: the program installs SDL's simple message box
// (platform/window/sdl/sdl_message_box.h) before the window opens. With no handler installed, as
// in tests, the text is recorded for TakeShownMessages and printed as one line on standard error.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/dialog.h"
#include "platform/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

// Shows the box and returns the button chosen (IDOK for an OK box).
using MessageBoxHandler = std::function<int(std::string_view text, std::string_view caption, UINT type)>;

// Any thread: installs `handler` for every later box; an empty handler restores recording.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Shows `text` under `caption` and waits for the user; the window is not used to place the box.
int MessageBoxW(HWND window, std::string_view text, std::string_view caption, UINT type);
inline int MessageBox(HWND window, std::string_view text, std::string_view caption, UINT type) {
  return MessageBoxW(window, text, caption, type);
}

// The texts of the boxes recorded since the last call, oldest first (boxes shown by an installed
// handler are not recorded).
std::vector<std::string> TakeShownMessages();
