#include "platform/framework/dialog.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <vector>

#include "platform/window/client_surface.h"
#include "platform/window/window_system.h"
#include "tests/support/headless_session.h"

namespace {

// A dialog that writes down every handler call, for the loop to be checked against.
class RecordingDialog : public CDialog {
 public:
  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_calls;
  }
  std::promise<void> initialised;
  bool destroyed = false;

 protected:
  BOOL OnInitDialog() override {
    initialised.set_value();
    return TRUE;
  }
  void OnDestroy() override { destroyed = true; }
  void OnKeyDown(UINT key, UINT, UINT flags) override {
    Note("down " + std::to_string(key) + ((flags & 0x4000) ? " repeat" : ""));
  }
  void OnKeyUp(UINT key, UINT, UINT) override { Note("up " + std::to_string(key)); }
  void OnMouseMove(UINT, CPoint p) override { Note("move " + Where(p)); }
  void OnLButtonDown(UINT flags, CPoint p) override { Note("ldown " + Where(p) + Flags(flags)); }
  void OnLButtonUp(UINT flags, CPoint p) override { Note("lup " + Where(p) + Flags(flags)); }
  void OnLButtonDblClk(UINT, CPoint p) override { Note("ldbl " + Where(p)); }
  void OnRButtonDown(UINT, CPoint p) override { Note("rdown " + Where(p)); }
  BOOL OnMouseWheel(UINT, short delta, CPoint p) override {
    Note("wheel " + std::to_string(delta) + " " + Where(p));
    return TRUE;
  }

 private:
  static std::string Where(CPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
  static std::string Flags(UINT flags) { return (flags & MK_LBUTTON) ? " L" : ""; }
  void Note(const std::string& call) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.push_back(call);
  }
  std::mutex m_lock;
  std::vector<std::string> m_calls;
};

struct RunningDialog {
  HeadlessSession session{640, 480};
  RecordingDialog dialog;
  std::future<int> result;

  RunningDialog() {
    result = std::async(std::launch::async, [this] { return dialog.DoModal(); });
    dialog.initialised.get_future().wait();
  }
  int Finish() { return result.get(); }
};

}  // namespace

TEST(DialogLoop, EscapeCancelsAndEnterConfirmsAfterDestroyRuns) {
  {
    RunningDialog run;
    run.session.Backend().PushKey(VK_ESCAPE, true);
    EXPECT_EQ(run.Finish(), IDCANCEL);
    EXPECT_TRUE(run.dialog.destroyed);
    EXPECT_TRUE(run.dialog.Calls().empty());  // Esc never reaches OnKeyDown
  }
  {
    RunningDialog run;
    run.session.Backend().PushKey(VK_RETURN, true);
    EXPECT_EQ(run.Finish(), IDOK);
  }
}

TEST(DialogLoop, CloseRequestedFromAnotherThreadEndsLikeCancel) {
  RunningDialog run;
  std::thread worker([&] { run.dialog.PostMessage(WM_CLOSE); });
  worker.join();
  EXPECT_EQ(run.Finish(), IDCANCEL);
  EXPECT_TRUE(run.dialog.destroyed);
}

TEST(DialogLoop, ArrowKeysAreDialogNavigationOtherKeysReachTheHandlers) {
  RunningDialog run;
  HeadlessBackend& input = run.session.Backend();
  input.PushKey(VK_LEFT, true);
  input.PushKey('A', true);
  input.PushKey('A', true, true);
  input.PushKey('A', false);
  input.PushKey(VK_ESCAPE, true);
  run.Finish();
  std::vector<std::string> expected{"down 65", "down 65 repeat", "up 65"};
  EXPECT_EQ(run.dialog.Calls(), expected);
}

TEST(DialogLoop, MouseMessagesCarryTheClampedPointerAndButtons) {
  RunningDialog run;
  HeadlessBackend& input = run.session.Backend();
  input.PushMouseMove(10, 20);
  input.PushMouseMove(5000, -30);  // clamped to the screen
  input.PushButton(WM_LBUTTONDOWN, 100, 200);
  input.PushButton(WM_LBUTTONUP, 100, 200);
  input.PushButton(WM_LBUTTONDBLCLK, 100, 200);
  input.PushWheel(-2);
  input.PushButton(WM_RBUTTONDOWN, 1, 2);
  input.PushKey(VK_ESCAPE, true);
  run.Finish();
  std::vector<std::string> expected{"move 10,20",         "move 639,0",  "ldown 100,200 L", "lup 100,200",
                                    "ldbl 100,200",       "wheel -240 100,200", "rdown 1,2"};
  EXPECT_EQ(run.dialog.Calls(), expected);
}

TEST(WindowSystem, PointerKeysAndMetricsFollowTheWindow) {
  HeadlessSession session(800, 600);
  session.OpenWindow();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  POINT at;
  SetCursorPos(-5, 9999);
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 599);
  std::thread other([] { SetCursorPos(400, 300); });
  other.join();
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 400);
  EXPECT_EQ(at.y, 300);
  EXPECT_EQ(GetKeyState(VK_LEFT), 0);
  window_system::NoteKey(VK_LEFT, true);
  EXPECT_LT(GetKeyState(VK_LEFT), 0);
  window_system::NoteKey(VK_LEFT, false);
  EXPECT_EQ(GetKeyState(VK_LEFT), 0);
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetKeyState(100000), 0);
}

// Polls for up to two seconds; true once `done` holds.
template <class Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 400 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

// A frame drawn off the window's thread: its present brings the window thread's pass.
void PresentFrame(RunningDialog& run) {
  const int before = run.session.Backend().Presents();
  window_system::Surface()->Update([](const PixelBuffer&) {});
  ASSERT_TRUE(WaitFor([&] { return run.session.Backend().Presents() > before; }));
}

bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

POINT Pointer() {
  POINT at{};
  GetCursorPos(&at);
  return at;
}

TEST(WindowSystem, APointerSetDuringAFrameMovesTheRealOneOnceToWhereTheFrameLeftIt) {
  RunningDialog run;
  HeadlessBackend& display = run.session.Backend();
  // Snapped to one place and held back a pixel by another rule, every frame.
  for (int frame = 0; frame < 3; ++frame) {
    SetCursorPos(300, 301);
    SetCursorPos(300, 300);
    if (frame == 0) {
      EXPECT_TRUE(display.Warps().empty()) << "warped before the frame was shown";
    }
    PresentFrame(run);
  }
  EXPECT_EQ(display.Warps(), (std::vector<POINT>{POINT{300, 300}}));
  // Set again where it is: nothing to move.
  SetCursorPos(300, 300);
  PresentFrame(run);
  EXPECT_EQ(display.Warps().size(), 1u);
  display.PushKey(VK_ESCAPE, true);
  run.Finish();
}

TEST(WindowSystem, RealMotionAfterARequestWinsAndAWarpsEchoDoesNotUndoALaterOne) {
  RunningDialog run;
  HeadlessBackend& display = run.session.Backend();
  SetCursorPos(50, 50);
  display.PushMouseMove(200, 100);  // the user moved before the frame was shown
  ASSERT_TRUE(WaitFor([&] { return !run.dialog.Calls().empty(); }));
  PresentFrame(run);
  EXPECT_TRUE(display.Warps().empty());
  EXPECT_EQ(Pointer(), (POINT{200, 100}));

  SetCursorPos(60, 60);
  PresentFrame(run);
  SetCursorPos(70, 70);
  display.PushMouseMove(60, 60);  // the display reports the first warp after the second request
  ASSERT_TRUE(WaitFor([&] { return run.dialog.Calls().size() == 2; }));
  EXPECT_EQ(Pointer(), (POINT{70, 70}));
  PresentFrame(run);
  EXPECT_EQ(display.Warps(), (std::vector<POINT>{POINT{60, 60}, POINT{70, 70}}));
  display.PushKey(VK_ESCAPE, true);
  run.Finish();
  const std::vector<std::string> moves{"move 200,100", "move 70,70"};
  EXPECT_EQ(run.dialog.Calls(), moves);
}

TEST(WindowSystem, CursorDisplayCountHidesBelowZero) {
  HeadlessSession session;
  session.OpenWindow();
  int start = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  EXPECT_TRUE(session.Backend().CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), start - 1);
  EXPECT_EQ(ShowCursor(FALSE), start - 2);
  EXPECT_EQ(session.Backend().CursorVisible(), start - 2 >= 0);
  ShowCursor(TRUE);
  ShowCursor(TRUE);
}

TEST(ClientSurface, UpdatesFromWorkersArePresentedByTheWindowThread) {
  RunningDialog run;
  ClientSurface* surface = window_system::Surface();
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->Width(), 640);
  int before = run.session.Backend().Presents();
  std::thread worker([&] {
    surface->Update([](const PixelBuffer& pixels) { pixels.Row(479)[639] = 0x00FF0000; });
  });
  worker.join();
  for (int i = 0; i < 200 && run.session.Backend().Presents() == before; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GT(run.session.Backend().Presents(), before);
  surface->Read([](const PixelBuffer& pixels) { EXPECT_EQ(pixels.Row(479)[639], 0x00FF0000u); });
  run.session.Backend().PushKey(VK_ESCAPE, true);
  run.Finish();
}
