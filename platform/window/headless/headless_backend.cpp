#include "platform/window/headless/headless_backend.h"

#include <chrono>

#include "platform/window/window_system.h"

bool HeadlessBackend::NextMessage(MSG& msg, int timeout_ms) {
  Input input;
  {
    std::unique_lock<std::mutex> hold(m_lock);
    m_arrived.wait_for(hold, std::chrono::milliseconds(timeout_ms), [this] { return !m_queue.empty() || m_woken; });
    m_woken = false;
    if (m_queue.empty()) return false;
    input = m_queue.front();
    m_queue.pop_front();
  }
  msg = input.msg;
  if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) window_system::NoteKey(msg.key, msg.message == WM_KEYDOWN);
  if (input.moves_pointer) window_system::NoteMouseAt(msg.pt.x, msg.pt.y);
  if (input.button_flag) {
    bool down = msg.message != WM_LBUTTONUP && msg.message != WM_RBUTTONUP && msg.message != WM_MBUTTONUP;
    window_system::NoteButton(input.button_flag, down);
  }
  if (msg.message >= WM_MOUSEMOVE && msg.message <= WM_MOUSEWHEEL) {
    POINT at;
    GetCursorPos(&at);
    msg.pt = CPoint(at.x, at.y);
    msg.flags = window_system::MouseFlags();
  }
  return true;
}

void HeadlessBackend::WarpPointer(int x, int y) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_warps.push_back(POINT{x, y});
}

std::vector<POINT> HeadlessBackend::Warps() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_warps;
}

void HeadlessBackend::Wake() {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_woken = true;
  }
  m_arrived.notify_one();
}

void HeadlessBackend::Push(const Input& input) {
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_queue.push_back(input);
  }
  m_arrived.notify_one();
}

void HeadlessBackend::PushKey(UINT virtual_key, bool down, bool repeat) {
  Input input;
  input.msg.message = down ? WM_KEYDOWN : WM_KEYUP;
  input.msg.key = virtual_key;
  input.msg.was_down = repeat ? TRUE : FALSE;
  Push(input);
}

void HeadlessBackend::PushMouseMove(int x, int y) {
  Input input;
  input.msg.message = WM_MOUSEMOVE;
  input.msg.pt = CPoint(x, y);
  input.moves_pointer = true;
  Push(input);
}

void HeadlessBackend::PushButton(UINT message, int x, int y) {
  Input input;
  input.msg.message = message;
  input.msg.pt = CPoint(x, y);
  input.moves_pointer = true;
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: input.button_flag = MK_LBUTTON; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: input.button_flag = MK_RBUTTON; break;
    default: input.button_flag = MK_MBUTTON; break;
  }
  Push(input);
}

void HeadlessBackend::PushWheel(int turns) {
  Input input;
  input.msg.message = WM_MOUSEWHEEL;
  input.msg.wheel_delta = static_cast<short>(turns * WHEEL_DELTA);
  Push(input);
}

void HeadlessBackend::PushClose() {
  Input input;
  input.msg.message = WM_CLOSE;
  Push(input);
}
