// The window on SDL2: one borderless full-screen window, input turned into window messages.
#pragma once

#include <memory>

#include "platform/window/backend.h"

std::unique_ptr<WindowBackend> MakeSdlBackend();
