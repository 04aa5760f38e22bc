// The message box on SDL2: SDL's simple message box, placed over the viewer's window.
#pragma once

#include <string_view>

#include "platform/types.h"

// Shows `text` under `caption` with an OK button and waits for it; returns IDOK. Install it with
// SetMessageBoxHandler(SdlMessageBox) (platform/window/message_box.h).
int SdlMessageBox(std::string_view text, std::string_view caption, UINT type);
