// SDL key codes to the desktop API's virtual-key codes.
#pragma once

#include <SDL.h>

#include "platform/types.h"

// 0 for keys the viewer has no code for.
UINT VirtualKeyFromSdl(SDL_Keycode key);
