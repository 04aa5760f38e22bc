#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

#include "app/orvale_app.h"
#include "app/orvale_dlg.h"
#include "app/thread_steps.h"
#include "platform/window/window_system.h"
#include "tests/support/headless_session.h"

namespace fs = std::filesystem;

namespace {

void FillFolder(int folder, int pictures) {
  fs::create_directories("album/" + std::to_string(folder));
  for (int p = 0; p < pictures; ++p) WriteTinyBitmap("album/" + std::to_string(folder) + "/" + std::to_string(p) + ".bmp");
}

// Waits up to a second for a worker thread to bring `ready` about.
template <class Condition>
bool Eventually(Condition ready) {
  for (int i = 0; i < 200; ++i) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ready();
}

}  // namespace

TEST(StartUp, FirstRunMakesTheAlbumTreeAndEndsWithEscape) {
  HeadlessSession session;
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  session.Backend().PushKey(VK_ESCAPE, true);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(fs::is_directory("album"));
  for (int folder = 0; folder <= 20; ++folder) EXPECT_TRUE(fs::is_directory("album/" + std::to_string(folder)));
  EXPECT_FALSE(fs::exists("album/21"));
  EXPECT_TRUE(session.Backend().Shown());
  EXPECT_EQ(dlg.m_screen_w, 1280);
  EXPECT_EQ(dlg.m_screen_cy, 800);
}

TEST(StartUp, WithoutADisplayTheAlbumIsLeftAsItWasAndTheProgramFails) {
  HeadlessSession session;
  fs::create_directories("album/0");
  std::ofstream("album/0/holiday.jpg") << "a photograph the import would convert";
  WriteTinyBitmap("album/0/7.bmp");  // the numbering would rename it
  session.Backend().RemoveDisplay();
  COrvaleApp app;
  app.InitInstance();
  EXPECT_EQ(app.m_dialog_result, -1);
  EXPECT_FALSE(session.Backend().Shown());
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator("album")) left.push_back(entry.path().generic_string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"album/0", "album/0/7.bmp", "album/0/holiday.jpg"}));
}

TEST(StartUp, TablesFollowTheCensusWithTheirDefaults) {
  HeadlessSession session;
  for (int folder : {0, 1, 2, 3, 5, 6}) FillFolder(folder, folder + 1);
  fs::create_directories("album/4");  // empty: ends the usable album
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.m_folder_count, 4);
  EXPECT_EQ(dlg.m_zoom_table.FolderCount(), 4);
  EXPECT_EQ(dlg.m_key_x.FolderCount(), 4);
  for (int folder = 0; folder < 4; ++folder) {
    EXPECT_EQ(dlg.m_angle_table.PictureCount(folder), folder + 1);
    for (int p = 0; p <= folder; ++p) {
      EXPECT_FLOAT_EQ(dlg.m_zoom_table.Get(folder, p, 0), 2.0f);
      EXPECT_FLOAT_EQ(dlg.m_spare_table.Get(folder, p, 0), 1.5f);
      EXPECT_EQ(dlg.m_steps_table.Get(folder, p, 0), 10);
      EXPECT_EQ(dlg.m_recorded_table.Get(folder, p, -1), 0);
      EXPECT_EQ(dlg.m_key_count_table.Get(folder, p, -1), 0);
      EXPECT_EQ(dlg.m_pan_table.Get(folder, p, PanOffset{9, 9}).x, 0);
      for (int slot : {0, 49}) {
        EXPECT_EQ(dlg.m_key_y.Get(folder, p, -1, slot), 0);
        EXPECT_FLOAT_EQ(dlg.m_key_zoom.Get(folder, p, 0, slot), 1.5f);
      }
    }
  }
  EXPECT_FALSE(dlg.m_zoom_table.Contains(4, 0));
  EXPECT_EQ(dlg.m_brightness, 255);
  EXPECT_FLOAT_EQ(dlg.m_zoom_max, 5.0f);
  EXPECT_LT(ShowCursor(TRUE), 0 + 1);  // hidden by start-up: one below where it started
  ShowCursor(FALSE);
  dlg.OnDestroy();
  EXPECT_EQ(dlg.m_zoom_table.FolderCount(), 0);
  EXPECT_EQ(dlg.m_stop_record, 1);
}

TEST(StartUp, AnAlbumThatCannotBeMadeStartsWithNoFoldersAndRunsSafely) {
  HeadlessSession session;
  std::ofstream("album") << "a file where the album should be";
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.m_folder_count, 0);
  EXPECT_EQ(dlg.m_zoom_table.FolderCount(), 0);
  // Requests that would index the tables find nothing there.
  SetEvent(dlg.m_evt_picture_changed);
  EXPECT_TRUE(Eventually([&] { return WaitForSingleObject(dlg.m_evt_picture_changed, 0) == WAIT_TIMEOUT; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(dlg.m_play_steps, 10);
  dlg.OnDestroy();
  EXPECT_TRUE(fs::is_regular_file("album"));
}

TEST(StartUp, ASavedFolderOutsideTheAlbumFallsBackToTheFirst) {
  HeadlessSession session;
  FillFolder(0, 2);
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.m_folder = 7;
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.m_folder_count, 1);
  EXPECT_EQ(dlg.m_folder, 0);
  dlg.OnDestroy();
}

TEST(StartUp, MoreFoldersThanThePerFolderArraysHoldAreCapped) {
  HeadlessSession session;
  for (int folder = 0; folder < kMaxFolders + 3; ++folder) {
    fs::create_directories("album/" + std::to_string(folder));
    std::ofstream("album/" + std::to_string(folder) + "/0.bmp");
  }
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.m_folder_count, kMaxFolders);
  EXPECT_EQ(dlg.m_zoom_table.FolderCount(), kMaxFolders);
  dlg.OnDestroy();
}

TEST(WorkerThreads, RecordingThreadTakesThePlaybackStepsOfTheNewPicture) {
  HeadlessSession session;
  FillFolder(0, 3);
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.m_render_paused = 1;  // the renderer would move the view under the test
  dlg.OnInitDialog();
  dlg.m_steps_table.Set(0, 2, 7);
  dlg.m_picture = 2;
  dlg.m_record_zoom = 3.0f;
  SetEvent(dlg.m_evt_picture_changed);
  EXPECT_TRUE(Eventually([&] { return dlg.m_play_steps == 7; }));
  EXPECT_FLOAT_EQ(dlg.m_record_zoom, 1.5f);
  EXPECT_EQ(dlg.m_play_pos, 0);
  dlg.OnDestroy();
}

TEST(WorkerThreads, RecordingThreadStepsTheRecordZoomOnlyWhenTheWheelAsked) {
  HeadlessSession session;
  FillFolder(0, 1);
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.m_render_paused = 1;  // the renderer would move the view under the test
  dlg.OnInitDialog();
  SetEvent(dlg.m_evt_record_zoom);  // no wheel request: nothing changes
  EXPECT_TRUE(Eventually([&] { return WaitForSingleObject(dlg.m_evt_record_zoom, 0) == WAIT_TIMEOUT; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FLOAT_EQ(dlg.m_record_zoom, 1.5f);
  dlg.m_wheel_up = 1;
  dlg.m_record_wheel = 1;
  SetEvent(dlg.m_evt_record_zoom);
  EXPECT_TRUE(Eventually([&] { return dlg.m_record_wheel == 0; }));
  EXPECT_NEAR(dlg.m_record_zoom, 1.6f, 1e-5);
  EXPECT_FLOAT_EQ(dlg.m_zoom, dlg.m_record_zoom);
  dlg.OnDestroy();
}

TEST(WorkerThreads, SearchThreadSeedsTheBarsWithTheViewAndItsPages) {
  HeadlessSession session;
  FillFolder(0, 1);
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.m_render_paused = 1;  // the renderer would move the view under the test
  dlg.OnInitDialog();
  dlg.m_folder = 234;
  dlg.m_picture = 99;
  SetEvent(dlg.m_evt_search_sync);
  EXPECT_TRUE(Eventually([&] { return dlg.m_search_pick == 1; }));
  EXPECT_EQ(dlg.m_folder_page, 2);
  EXPECT_EQ(dlg.m_picture_page, 0);
  EXPECT_EQ(dlg.m_search_folder, 234);
  EXPECT_EQ(dlg.m_search_picture, 99);
  dlg.m_folder = 0;
  dlg.OnDestroy();
}

TEST(WorkerThreads, StartUpSignalsThePlaybackReloadOnce) {
  HeadlessSession session;
  FillFolder(0, 1);
  session.OpenWindow();
  COrvaleDlg dlg;
  dlg.m_splash_ms = 0;
  dlg.m_render_paused = 1;
  dlg.m_record_paused = 1;  // the recording step would consume the signal
  dlg.OnInitDialog();
  EXPECT_EQ(WaitForSingleObject(dlg.m_evt_play, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(dlg.m_evt_play, 0), WAIT_TIMEOUT);
  dlg.OnDestroy();
}

TEST(RecordZoomStep, StopsNearFourPointSixGoingUpAndOnePointOneGoingDown) {
  float zoom = 1.5f;
  for (int i = 0; i < 31; ++i) zoom = StepRecordZoom(zoom, true);
  EXPECT_NEAR(zoom, 4.6f, 1e-4);
  EXPECT_FLOAT_EQ(StepRecordZoom(zoom, true), zoom);
  zoom = 1.5f;
  for (int i = 0; i < 4; ++i) zoom = StepRecordZoom(zoom, false);
  EXPECT_NEAR(zoom, 1.1f, 1e-4);
  EXPECT_FLOAT_EQ(StepRecordZoom(zoom, false), zoom);
}
