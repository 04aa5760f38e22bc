#include "platform/window/sdl/sdl_gl_probe.h"

#include <SDL.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr unsigned kGlRenderer = 0x1F01;  // GL_RENDERER
constexpr int kProbeTimeoutMs = 5000;

// In the child: makes a hidden GL window and writes the renderer's name to `out`.
[[noreturn]] void RunProbe(int out) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) _exit(1);
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  using GetString = const unsigned char* (*)(unsigned);
  auto get_string = context ? reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString")) : nullptr;
  const unsigned char* name = get_string ? get_string(kGlRenderer) : nullptr;
  if (!name) _exit(1);
  const char* text = reinterpret_cast<const char*>(name);
  const ssize_t written = write(out, text, std::strlen(text));
  // No clean-up: the process ends here, without the parent's exit handlers.
  _exit(written > 0 ? 0 : 1);
}

}  // namespace

std::optional<std::string> ProbeGlRenderer() {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    RunProbe(pipe_ends[1]);
  }
  close(pipe_ends[1]);
  if (child < 0) {
    close(pipe_ends[0]);
    return std::nullopt;
  }
  std::string name;
  pollfd wait_for{pipe_ends[0], POLLIN, 0};
  char chunk[256];
  bool ended = false;  // the child closed its end: it has exited or is exiting
  while (poll(&wait_for, 1, kProbeTimeoutMs) > 0) {
    const ssize_t got = read(pipe_ends[0], chunk, sizeof chunk);
    if (got <= 0) {
      ended = got == 0;
      break;
    }
    name.append(chunk, static_cast<std::size_t>(got));
  }
  close(pipe_ends[0]);
  // A probe stuck in a driver is ended; the choice then falls to the framebuffer.
  if (!ended) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || name.empty()) return std::nullopt;
  return name;
}
