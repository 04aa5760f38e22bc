#include "platform/window/window_system.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
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
  std::mutex pointer_lock;  // guards the four pointer fields
  POINT pointer{0, 0};      // the virtual pointer
  bool moved_in_frame = false;  // another thread moved it since that thread's last frame was shown
  std::optional<POINT> warp_to;  // where the window's thread is to move the real pointer
  POINT real_pointer{0, 0};      // where the window's thread put the real pointer or last saw it
  std::atomic<int> cursor_count{0};
  std::atomic<bool> cursor_dirty{false};
  std::array<std::atomic<bool>, VK_KEY_LIMIT> keys{};
  std::atomic<UINT> buttons{0};
  std::mutex posted_lock;
  std::deque<MSG> posted;
  std::uint64_t presented_generation = 0;  // window's thread only
  std::atomic<std::uint64_t> presents{0};
};

State& S() {
  static State state;
  return state;
}

int Clamp(int value, int limit) { return std::clamp(value, 0, std::max(0, limit - 1)); }

POINT OnScreen(int x, int y) {
  State& s = S();
  return POINT{Clamp(x, s.screen_w.load(std::memory_order_relaxed)), Clamp(y, s.screen_h.load(std::memory_order_relaxed))};
}

bool Same(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

// Window's thread, pointer lock held: the real pointer is at `at`, as the display reported it.
// The report is newer than any move still pending, which is dropped.
void SeenAt(State& s, POINT at) {
  s.real_pointer = at;
  s.pointer = at;
  s.moved_in_frame = false;
  s.warp_to.reset();
}

// Any thread, when its frame is shown: the pointer goes where the frame left it.
void FrameShown() {
  State& s = S();
  std::lock_guard<std::mutex> hold(s.pointer_lock);
  if (!s.moved_in_frame) return;
  s.moved_in_frame = false;
  s.warp_to = s.pointer;
}

// Window's thread: the warp to make now, if the real pointer is not there already.
std::optional<POINT> TakeWarp() {
  State& s = S();
  std::lock_guard<std::mutex> hold(s.pointer_lock);
  std::optional<POINT> to;
  to.swap(s.warp_to);
  // A pointer set and set back within one frame has not moved.
  if (!to || Same(*to, s.real_pointer)) return std::nullopt;
  s.real_pointer = *to;
  return to;
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
    s.presents.fetch_add(1, std::memory_order_relaxed);
  }
  if (s.cursor_dirty.exchange(false)) s.backend->ApplyCursorVisible(s.cursor_count.load() >= 0);
  if (const std::optional<POINT> to = TakeWarp()) s.backend->WarpPointer(to->x, to->y);
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
  State& s = S();
  std::lock_guard<std::mutex> hold(s.pointer_lock);
  *point = s.pointer;
  return TRUE;
}

// Set on the window's thread, the real pointer follows at that thread's next pass. Set by a
// thread drawing frames, it follows when the frame is shown: a pointer set several times while
// a frame is drawn moves once, to where the frame left it, instead of being pulled about
// mid-frame against the user's own motion.
BOOL SetCursorPos(int x, int y) {
  State& s = S();
  const POINT at = OnScreen(x, y);
  const bool window_thread = window_system::IsWindowThread();
  {
    std::lock_guard<std::mutex> hold(s.pointer_lock);
    if (Same(at, s.pointer)) return TRUE;
    s.pointer = at;
    if (window_thread) {
      s.warp_to = at;
    } else {
      s.moved_in_frame = true;
    }
  }
  if (window_thread) RequestWindowWork();
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
  {
    std::lock_guard<std::mutex> hold(s.pointer_lock);
    SeenAt(s, OnScreen(size.cx / 2, size.cy / 2));
  }
  s.surface = std::make_unique<ClientSurface>(size.cx, size.cy);
  s.presented_generation = ~std::uint64_t{0};  // the first pump shows the (black) surface
  s.surface->SetUpdateListener([] {
    FrameShown();
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

std::uint64_t PresentedFrames() { return S().presents.load(std::memory_order_relaxed); }

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

void NoteMouseAt(int x, int y) {
  const POINT at = OnScreen(x, y);
  State& s = S();
  std::lock_guard<std::mutex> hold(s.pointer_lock);
  // A report of the place the pointer was put or last seen is no news (a warp's echo, say): it
  // must not undo a move the program asked for since.
  if (!Same(at, s.real_pointer)) SeenAt(s, at);
}

void NoteMouseMotion(int dx, int dy) {
  State& s = S();
  std::lock_guard<std::mutex> hold(s.pointer_lock);
  SeenAt(s, OnScreen(s.pointer.x + dx, s.pointer.y + dy));
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
