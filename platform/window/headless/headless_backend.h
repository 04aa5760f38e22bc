// A window without a display, for tests and benchmarks: an off-screen surface of a chosen
// size, input queued by the caller, presents counted instead of shown.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/window/backend.h"

class HeadlessBackend final : public WindowBackend {
 public:
  HeadlessBackend(int width, int height) : m_size{width, height} {}

  bool Open() override { return !m_no_display; }
  SIZE ScreenSize() const override { return m_size; }
  void ShowFullScreen() override { m_shown = true; }
  void Close() override {}
  bool NextMessage(MSG& msg, int timeout_ms) override;
  void Present(ClientSurface&) override { m_presents.fetch_add(1); }
  void ApplyCursorVisible(bool visible) override { m_cursor_visible = visible; }
  void WarpPointer(int x, int y) override;
  void SetIcon(const DecodedPicture&) override { m_has_icon = true; }
  void Wake() override;

  // Open fails from now on, as on a machine where no display can be reached.
  void RemoveDisplay() { m_no_display = true; }

  // Input, from any thread; it reaches the dialog as the display system's input would.
  void PushKey(UINT virtual_key, bool down, bool repeat = false);
  void PushMouseMove(int x, int y);
  void PushButton(UINT message, int x, int y);
  void PushWheel(int turns);
  void PushClose();

  // The window has been shown (it stays true after it closed).
  bool Shown() const { return m_shown; }
  bool CursorVisible() const { return m_cursor_visible; }
  bool HasIcon() const { return m_has_icon; }
  int Presents() const { return m_presents.load(); }
  // Where the real pointer was warped to, in order.
  std::vector<POINT> Warps();

 private:
  // Input as it arrives from the display, applied to the shared pointer state on delivery.
  struct Input {
    MSG msg;
    bool moves_pointer = false;
    UINT button_flag = 0;
  };
  void Push(const Input& input);

  SIZE m_size;
  bool m_no_display = false;
  std::atomic<bool> m_shown{false};
  std::atomic<bool> m_cursor_visible{true};
  std::atomic<int> m_presents{0};
  std::atomic<bool> m_has_icon{false};
  std::mutex m_lock;
  std::condition_variable m_arrived;
  std::deque<Input> m_queue;
  bool m_woken = false;
  std::vector<POINT> m_warps;
};
