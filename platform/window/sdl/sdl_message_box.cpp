#include "platform/window/sdl/sdl_message_box.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/window/message_box.h"
#include "platform/window/messages.h"

int SdlMessageBox(std::string_view text, std::string_view caption, UINT type) {
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
  if ((type & 0xF0) == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
  // The viewer's window is full-screen: a box without a parent could open behind it.
  SDL_Window* parent = SDL_GetKeyboardFocus();
  if (!parent) parent = SDL_GetMouseFocus();
  const std::string title(caption);
  const std::string message(text);
  if (SDL_ShowSimpleMessageBox(flags, title.c_str(), message.c_str(), parent) != 0) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  }
  return IDOK;
}
