#include "platform/window/sdl/sdl_backend.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/decoded_picture.h"

#include "platform/window/client_surface.h"
#include "platform/window/present_path.h"
#include "platform/window/sdl/sdl_display.h"
#include "platform/window/sdl/sdl_gl_probe.h"
#include "platform/window/sdl/sdl_presenter.h"
#include "platform/window/sdl/sdl_keys.h"
#include "platform/window/window_system.h"

namespace {

std::optional<std::string> HintOf(const char* name) {
  const char* value = SDL_GetHint(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

PresentHints HintsOfUser() {
  return PresentHints{HintOf(SDL_HINT_FRAMEBUFFER_ACCELERATION), HintOf(SDL_HINT_RENDER_DRIVER)};
}

class SdlBackend final : public WindowBackend {
 public:
  ~SdlBackend() override { Close(); }

  bool Open() override {
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // SIGINT and SIGTERM are the program's own (stop_signals.h), not turned into SDL_QUIT.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Before the display is opened: the probe's child must not share this process's connection.
    const PresentPath path = ChoosePresentPath(HintsOfUser(), &ProbeGlRenderer);
    if (!ConnectSdlDisplay()) return false;
    m_initialised = true;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
      std::fprintf(stderr, "quenmira: no display mode: %s\n", SDL_GetError());
      return false;
    }
    m_size = SIZE{mode.w, mode.h};
    m_window = SDL_CreateWindow("Quenmira", SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), SDL_WINDOWPOS_UNDEFINED_DISPLAY(0),
                                mode.w, mode.h, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (!m_window) {
      std::fprintf(stderr, "quenmira: cannot create the window: %s\n", SDL_GetError());
      return false;
    }
    m_presenter = path == PresentPath::kAccelerated ? MakeRendererPresenter(m_window, mode.w, mode.h) : nullptr;
    if (!m_presenter) m_presenter = MakeFramebufferPresenter(m_window, mode.w, mode.h);
    if (!m_presenter) {
      std::fprintf(stderr, "quenmira: cannot show frames: %s\n", SDL_GetError());
      return false;
    }
    m_wake_event = SDL_RegisterEvents(1);
    // A Wayland client cannot place the pointer; there the pointer follows relative motion.
    const char* driver = SDL_GetCurrentVideoDriver();
    m_relative = driver && std::strcmp(driver, "wayland") == 0;
    return true;
  }

  SIZE ScreenSize() const override { return m_size; }

  void ShowFullScreen() override {
    if (!m_window || m_shown) return;
    SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowWindow(m_window);
    SDL_RaiseWindow(m_window);
    if (m_relative) SDL_SetRelativeMouseMode(SDL_TRUE);
    m_shown = true;
  }

  void Close() override {
    m_presenter.reset();
    if (m_window) SDL_DestroyWindow(m_window);
    m_window = nullptr;
    m_shown = false;
    if (m_initialised) DisconnectSdlDisplay();
    m_initialised = false;
  }

  bool NextMessage(MSG& msg, int timeout_ms) override {
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, timeout_ms)) return false;
    do {
      if (Translate(event, msg)) return true;
    } while (SDL_PollEvent(&event));
    return false;
  }

  void Present(ClientSurface& surface) override {
    if (m_presenter) m_presenter->Present(surface);
  }

  void ApplyCursorVisible(bool visible) override {
    if (m_initialised) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }

  void SetIcon(const DecodedPicture& icon) override {
    if (!m_window || icon.width <= 0 || icon.height <= 0) return;
    std::vector<Pixel> opaque(icon.pixels);
    for (Pixel& p : opaque) p |= 0xFF000000u;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(opaque.data(), icon.width, icon.height, 32,
                                                              icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(m_window, surface);
    SDL_FreeSurface(surface);
  }

  void WarpPointer(int x, int y) override {
    if (m_window && !m_relative) SDL_WarpMouseInWindow(m_window, x, y);
  }

  void Wake() override {
    if (m_wake_event == static_cast<Uint32>(-1) || m_wake_event == 0) return;
    SDL_Event event;
    SDL_zero(event);
    event.type = m_wake_event;
    SDL_PushEvent(&event);
  }

 private:
  bool Translate(const SDL_Event& event, MSG& msg) {
    msg = MSG{};
    switch (event.type) {
      case SDL_QUIT:
        msg.message = WM_CLOSE;
        return true;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          msg.message = WM_CLOSE;
          return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED && window_system::Surface()) {
          Present(*window_system::Surface());
        }
        return false;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        UINT key = VirtualKeyFromSdl(event.key.keysym.sym);
        if (key == 0) return false;
        bool down = event.type == SDL_KEYDOWN;
        window_system::NoteKey(key, down);
        msg.message = down ? WM_KEYDOWN : WM_KEYUP;
        msg.key = key;
        msg.was_down = event.key.repeat ? TRUE : FALSE;
        return true;
      }
      case SDL_MOUSEMOTION:
        if (m_relative) {
          window_system::NoteMouseMotion(event.motion.xrel, event.motion.yrel);
        } else {
          window_system::NoteMouseAt(event.motion.x, event.motion.y);
        }
        return MouseMessage(WM_MOUSEMOVE, msg);
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        return ButtonMessage(event.button, msg);
      case SDL_MOUSEWHEEL: {
        int turns = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) turns = -turns;
        if (turns == 0) return false;
        msg.wheel_delta = static_cast<short>(turns * WHEEL_DELTA);
        return MouseMessage(WM_MOUSEWHEEL, msg);
      }
      default:
        return false;
    }
  }

  bool ButtonMessage(const SDL_MouseButtonEvent& button, MSG& msg) {
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    // The second press of a double click arrives as the double-click message.
    bool double_click = down && button.clicks >= 2 && button.clicks % 2 == 0;
    UINT message = 0;
    UINT flag = 0;
    switch (button.button) {
      case SDL_BUTTON_LEFT:
        flag = MK_LBUTTON;
        message = down ? (double_click ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
        break;
      case SDL_BUTTON_RIGHT:
        flag = MK_RBUTTON;
        message = down ? (double_click ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
        break;
      case SDL_BUTTON_MIDDLE:
        flag = MK_MBUTTON;
        message = down ? (double_click ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
        break;
      default:
        return false;
    }
    if (!m_relative) window_system::NoteMouseAt(button.x, button.y);
    window_system::NoteButton(flag, down);
    return MouseMessage(message, msg);
  }

  static bool MouseMessage(UINT message, MSG& msg) {
    POINT at;
    GetCursorPos(&at);
    msg.message = message;
    msg.pt = CPoint(at.x, at.y);
    msg.flags = window_system::MouseFlags();
    return true;
  }

  SDL_Window* m_window = nullptr;
  std::unique_ptr<SdlPresenter> m_presenter;
  SIZE m_size{};
  Uint32 m_wake_event = 0;
  bool m_initialised = false;
  bool m_shown = false;
  bool m_relative = false;
};

}  // namespace

std::unique_ptr<WindowBackend> MakeSdlBackend() { return std::make_unique<SdlBackend>(); }
