#include "platform/window/window_system.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/kernel/stop_signals.h"
#include "platform/window/client_surface.h"

namespace {

struct State {
  std::unique_ptr<WindowBackend> backend;
  std::unique_ptr<ClientSurface> surface;
  std::thread::id window_thread;
  std::atomic<int> screen_w{0};
  std::atomic<int> screen_h{0};
  std::atomic<int> pointer_x{0};
  std::atomic<int> pointer_y{0};
  std::atomic<bool> warp_pending{false};
  std::atomic<int> cursor_count{0};
  std::atomic<bool> cursor_dirty{false};
  std::array<std::atomic<bool>, VK_KEY_LIMIT> keys{};
  std::atomic<UINT> buttons{0};
  std::mutex posted_lock;
  std::deque<MSG> posted;
  std::uint64_t presented_generation = 0;  // window's thread only
};

State& S() {
  static State state;
  return state;
}

int Clamp(int value, int limit) { return std::clamp(value, 0, std::max(0, limit - 1)); }

void StorePointer(int x, int y) {
  State& s = S();
  s.pointer_x.store(Clamp(x, s.screen_w.load(std::memory_order_relaxed)), std::memory_order_relaxed);
  s.pointer_y.store(Clamp(y, s.screen_h.load(std::memory_order_relaxed)), std::memory_order_relaxed);
}

void RequestWindowWork() {
  State& s = S();
  if (s.backend) s.backend->Wake();
}

// Window's thread: brings the screen, cursor and real pointer in step with the shared state.
void ApplyPending() {
  State& s = S();
  if (!s.backend) return;
  if (s.surface && s.surface->Generation() != s.presented_generation) {
    s.presented_generation = s.surface->Generation();
    s.backend->Present(*s.surface);
  }
  if (s.cursor_dirty.exchange(false)) s.backend->ApplyCursorVisible(s.cursor_count.load() >= 0);
  if (s.warp_pending.exchange(false)) {
    s.backend->WarpPointer(s.pointer_x.load(std::memory_order_relaxed),
                           s.pointer_y.load(std::memory_order_relaxed));
  }
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return S().screen_w.load(std::memory_order_relaxed);
    case SM_CYSCREEN: return S().screen_h.load(std::memory_order_relaxed);
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXICON:
    case SM_CYICON: return 32;
    default: return 0;
  }
}

int ShowCursor(BOOL show) {
  State& s = S();
  int count = s.cursor_count.fetch_add(show ? 1 : -1) + (show ? 1 : -1);
  s.cursor_dirty.store(true);
  if (window_system::IsWindowThread()) {
    ApplyPending();
  } else {
    RequestWindowWork();
  }
  return count;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  point->x = S().pointer_x.load(std::memory_order_relaxed);
  point->y = S().pointer_y.load(std::memory_order_relaxed);
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  StorePointer(x, y);
  S().warp_pending.store(true);
  RequestWindowWork();
  return TRUE;
}

SHORT GetKeyState(int virtual_key) {
  if (virtual_key < 0 || virtual_key >= static_cast<int>(VK_KEY_LIMIT)) return 0;
  return S().keys[static_cast<std::size_t>(virtual_key)].load(std::memory_order_relaxed)
             ? static_cast<SHORT>(0x8000 - 0x10000)
             : 0;
}

namespace window_system {

void InstallBackend(std::unique_ptr<WindowBackend> backend) { S().backend = std::move(backend); }

WindowBackend* Backend() { return S().backend.get(); }

bool OpenWindow() {
  State& s = S();
  if (!s.backend || !s.backend->Open()) return false;
  s.window_thread = std::this_thread::get_id();
  SIZE size = s.backend->ScreenSize();
  s.screen_w.store(static_cast<int>(size.cx));
  s.screen_h.store(static_cast<int>(size.cy));
  StorePointer(size.cx / 2, size.cy / 2);
  s.surface = std::make_unique<ClientSurface>(size.cx, size.cy);
  s.presented_generation = ~std::uint64_t{0};  // the first pump shows the (black) surface
  s.surface->SetUpdateListener([] {
    if (IsWindowThread()) {
      ApplyPending();
    } else {
      RequestWindowWork();
    }
  });
  return true;
}

void CloseWindow() {
  State& s = S();
  if (s.backend) s.backend->Close();
  s.surface.reset();
  s.window_thread = std::thread::id();
  std::lock_guard<std::mutex> hold(s.posted_lock);
  s.posted.clear();
}

bool IsWindowThread() { return S().window_thread == std::this_thread::get_id(); }

ClientSurface* Surface() { return S().surface.get(); }

bool PumpMessage(MSG& msg, int timeout_ms) {
  State& s = S();
  ApplyPending();
  // SIGINT or SIGTERM closes the window as its close button does.
  if (TakeStopSignal() != 0) {
    msg = MSG{};
    msg.message = WM_CLOSE;
    return true;
  }
  {
    std::lock_guard<std::mutex> hold(s.posted_lock);
    if (!s.posted.empty()) {
      msg = s.posted.front();
      s.posted.pop_front();
      return true;
    }
  }
  bool got = s.backend && s.backend->NextMessage(msg, timeout_ms);
  ApplyPending();
  return got;
}

void PostMessage(const MSG& msg) {
  State& s = S();
  {
    std::lock_guard<std::mutex> hold(s.posted_lock);
    s.posted.push_back(msg);
  }
  RequestWindowWork();
}

void NoteMouseAt(int x, int y) { StorePointer(x, y); }

void NoteMouseMotion(int dx, int dy) {
  State& s = S();
  StorePointer(s.pointer_x.load(std::memory_order_relaxed) + dx, s.pointer_y.load(std::memory_order_relaxed) + dy);
}

void NoteKey(UINT virtual_key, bool down) {
  if (virtual_key < VK_KEY_LIMIT) S().keys[virtual_key].store(down, std::memory_order_relaxed);
}

void NoteButton(UINT mk_flag, bool down) {
  if (down) {
    S().buttons.fetch_or(mk_flag);
  } else {
    S().buttons.fetch_and(~mk_flag);
  }
}

UINT MouseFlags() {
  UINT flags = S().buttons.load();
  if (GetKeyState(VK_SHIFT) < 0) flags |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) flags |= MK_CONTROL;
  return flags;
}

}  // namespace window_system
