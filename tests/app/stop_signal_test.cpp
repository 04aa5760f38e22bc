// SIGTERM and SIGINT end a running viewer the way Esc does: the dialog closes through its
// message loop, the worker threads stop and the record file is written.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/orvale_dlg.h"
#include "platform/kernel/stop_signals.h"
#include "platform/window/window_system.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;

namespace {

// Starts the viewer on a one-folder album of three pictures, sends `signal_number` to the
// process once frames are being drawn, and returns what DoModal returned.
int RunUntilSignalled(HeadlessSession& session, COrvaleDlg& dlg, int signal_number) {
  fs::create_directories("album/0");
  for (int p = 0; p < 3; ++p) WriteTinyBitmap("album/0/" + std::to_string(p) + ".bmp");
  dlg.m_splash_ms = 0;
  dlg.m_brightness_saved = 77;  // kept in the record file only if shutdown ran
  InstallStopSignalHandlers();
  std::thread sender([&] {
    // Frames reach the window once start-up is over and the render thread runs.
    while (session.Backend().Presents() < 5) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(getpid(), signal_number);
  });
  int result = dlg.DoModal();
  sender.join();
  RestoreDefaultStopSignals();
  return result;
}

int LastButTwoValue(const std::string& path) {
  std::vector<std::uint8_t> bytes(fs::file_size(path));
  std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::size_t at = bytes.size() - 8;  // brightness, then the one strip offset
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
}

}  // namespace

TEST(StopSignal, SigtermClosesTheDialogAsEscDoes) {
  HeadlessSession session;
  COrvaleDlg dlg;
  EXPECT_EQ(RunUntilSignalled(session, dlg, SIGTERM), IDCANCEL);
  // Shutdown ran in full: threads joined, record file of one folder of three pictures.
  EXPECT_EQ(dlg.m_render_thread, nullptr);
  EXPECT_EQ(dlg.m_record_thread, nullptr);
  ASSERT_TRUE(fs::is_regular_file("album/._album_.txt"));
  EXPECT_EQ(fs::file_size("album/._album_.txt"), 1892u);
  EXPECT_EQ(LastButTwoValue("album/._album_.txt"), 77);
}

TEST(StopSignal, SigintClosesTheDialogAsEscDoes) {
  HeadlessSession session;
  COrvaleDlg dlg;
  EXPECT_EQ(RunUntilSignalled(session, dlg, SIGINT), IDCANCEL);
  EXPECT_EQ(dlg.m_search_thread, nullptr);
  EXPECT_EQ(dlg.m_music_thread, nullptr);
  EXPECT_EQ(LastButTwoValue("album/._album_.txt"), 77);
}

TEST(StopSignal, ASignalDuringStartUpClosesTheDialogOnceStartUpIsDone) {
  HeadlessSession session;
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  InstallStopSignalHandlers();
  ASSERT_EQ(raise(SIGTERM), 0);  // before the window exists
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  RestoreDefaultStopSignals();
  // Start-up ran to its end (album made, example picture) and shutdown wrote the record file.
  EXPECT_TRUE(fs::is_regular_file("album/0/0.bmp"));
  EXPECT_TRUE(fs::is_regular_file("album/._album_.txt"));
}
