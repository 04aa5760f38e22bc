#include <gtest/gtest.h>

#include <mutex>

#include "platform/kernel/time.h"
#include "platform/window/window_system.h"
#include "tests/support/prepared_dialog.h"

namespace {

class FixedTicks : public TickSource {
 public:
  DWORD Now() const override { return now; }
  DWORD now = 100000;
};

bool Signalled(const HEVENT& event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

TEST(MouseMove, PushesTheStripAndIgnoresJumpsAndRepeats) {
  PreparedDialog dlg({5});
  dlg->m_last_mouse_x = 640;
  dlg->m_last_mouse_y = 400;
  dlg->m_brightness = 10;
  dlg->OnMouseMove(0, CPoint(640, 400));  // the same place: nothing at all
  EXPECT_EQ(dlg->m_brightness, 10);
  dlg->OnMouseMove(0, CPoint(630, 400));
  EXPECT_EQ(dlg->m_strip_dir, 2);
  EXPECT_EQ(dlg->m_brightness, 255);
  dlg->m_strip_dir = 0;
  dlg->OnMouseMove(0, CPoint(930, 400));  // a 300-pixel jump
  EXPECT_EQ(dlg->m_strip_dir, 0);
  EXPECT_EQ(dlg->m_last_mouse_x, 930);
}

TEST(MouseMove, TheBorderRecentresThePointerUnlessAButtonOrSearchIsActive) {
  PreparedDialog dlg({1});
  POINT at;
  SetCursorPos(50, 50);
  dlg->OnMouseMove(0, CPoint(50, 50));
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 640);
  EXPECT_EQ(at.y, 400);
  SetCursorPos(50, 50);
  dlg->m_zoom_in = 1;
  dlg->OnMouseMove(0, CPoint(51, 50));
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 50);
  EXPECT_EQ(dlg->m_target_x, 51);  // zooming: the pointer is the pan target
}

TEST(LeftButton, PressBuildsTheZoomPathAndReleaseSnapsTheStrip) {
  PreparedDialog dlg({3});
  dlg->m_mode = kModeInside;
  dlg->m_picture_count = 3;
  dlg->m_pan_table.Set(0, 0, PanOffset{100, -50});
  dlg->m_zoom_table.Set(0, 0, 1.5f);
  dlg->OnLButtonDown(0, CPoint(300, 200));
  EXPECT_EQ(dlg->m_mode, kModeNormal);
  EXPECT_EQ(dlg->m_zoom_in, 1);
  EXPECT_EQ(dlg->m_slot, kSlotLeft);
  EXPECT_EQ(dlg->m_zoom_in_steps, 5);
  {
    std::lock_guard<CCriticalSection> hold(dlg->m_path_lock);
    ASSERT_EQ(dlg->m_zoom_in_path.size(), 7u);
    EXPECT_EQ(dlg->m_zoom_in_path.back().x, 100);
    EXPECT_EQ(dlg->m_zoom_in_path.back().y, -50);
  }
  dlg->m_strip_offset = -700;
  dlg->OnLButtonUp(0, CPoint(310, 190));
  EXPECT_EQ(dlg->m_zoom_in, 0);
  EXPECT_EQ(dlg->m_pan_table.Get(0, 0, PanOffset{}).x, 110);
  EXPECT_EQ(dlg->m_pan_table.Get(0, 0, PanOffset{}).y, -60);
  EXPECT_EQ(dlg->m_pan_moved, 1);
  EXPECT_EQ(dlg->m_strip_offset, -1279);
  EXPECT_EQ(dlg->m_target_x, 300);
}

TEST(LeftButton, AtTheLastPictureTheRightSlotUsesTheLastEntry) {
  PreparedDialog dlg({2});
  dlg->m_picture_count = 2;
  dlg->m_left_index = 1;
  dlg->m_picture = 1;
  dlg->m_strip_offset = -1280 - 900;  // right slot current, one past the table
  dlg->m_zoom_table.Set(0, 1, 3.0f);
  dlg->OnLButtonDown(0, CPoint(1, 1));
  EXPECT_EQ(dlg->m_slot, kSlotRight);
  EXPECT_EQ(dlg->m_zoom_in_steps, 20);
}

TEST(LeftButton, PressOnTheSearchPreviewJumpsBack) {
  PreparedDialog dlg({1});
  dlg->m_render_paused = 1;
  dlg->m_search_paused = 0;
  dlg->m_preview_w = 200;
  dlg->m_preview_h = 100;
  dlg->OnLButtonDown(0, CPoint(640 + 99, 400 - 49));
  EXPECT_EQ(dlg->m_render_paused, 0);
  EXPECT_EQ(dlg->m_search_paused, 1);
  EXPECT_TRUE(Signalled(dlg->m_evt_jump));
}

TEST(RightButton, PressCentresOnTheMenuAndReleaseTakesExitSearchAndFixed) {
  PreparedDialog dlg({1});
  FixedTicks ticks;
  InstallTickSource(&ticks);
  SetCursorPos(10, 10);
  dlg->OnRButtonDown(0, CPoint(10, 10));
  POINT at;
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 640);
  EXPECT_EQ(dlg->m_menu_shown, 1);
  EXPECT_EQ(dlg->m_fixed_timer_armed, 1);

  struct Case {
    DWORD rest;
    int fast, special;
  } cases[] = {{2000, 0, 0}, {2001, 1, 0}, {5001, 1, 1}};
  for (const Case& c : cases) {
    dlg->m_mode = kModeFixed;
    dlg->m_tick_fixed = ticks.now - c.rest;
    dlg->OnRButtonUp(0, CPoint(5, 6));
    EXPECT_EQ(dlg->m_fixed_fast, c.fast) << c.rest;
    EXPECT_EQ(dlg->m_fixed_special, c.special) << c.rest;
  }
  EXPECT_EQ(dlg->m_menu_shown, 0);
  EXPECT_EQ(dlg->m_drag_x, 5);

  dlg->m_menu_search_hot = 1;
  dlg->OnRButtonUp(0, CPoint(0, 0));
  EXPECT_EQ(dlg->m_render_paused, 1);
  EXPECT_EQ(dlg->m_search_paused, 0);
  EXPECT_TRUE(Signalled(dlg->m_evt_search_sync));
  InstallTickSource(nullptr);
}

TEST(Wheel, StepsFoldersBrightnessSpeedRotationAndRecordZoom) {
  PreparedDialog dlg({1, 1});
  dlg->OnMouseWheel(0, 120, CPoint());
  EXPECT_EQ(dlg->m_wheel_up, 1);
  EXPECT_EQ(dlg->m_wheel_folder_step, 1);
  EXPECT_EQ(dlg->m_record_paused, 1);
  EXPECT_TRUE(Signalled(dlg->m_evt_folder_step));

  dlg->m_mbutton_held = 1;
  for (int i = 0; i < 8; ++i) dlg->OnMouseWheel(0, -120, CPoint());
  EXPECT_EQ(dlg->m_brightness, 0);
  EXPECT_EQ(dlg->m_brightness_saved, 0);
  EXPECT_FALSE(Signalled(dlg->m_evt_folder_step));  // no folder step with the middle button held
  dlg->m_mbutton_held = 0;

  dlg->m_mode = kModeRand;
  for (int i = 0; i < 12; ++i) dlg->OnMouseWheel(0, 120, CPoint());
  EXPECT_EQ(dlg->m_strip_speed, 10);
  for (int i = 0; i < 12; ++i) dlg->OnMouseWheel(0, -120, CPoint());
  EXPECT_EQ(dlg->m_strip_speed, 1);

  dlg->m_mode = kModeNormal;
  dlg->m_menu_shown = 1;
  dlg->OnMouseWheel(0, -120, CPoint());
  EXPECT_EQ(dlg->m_rotating, 1);
  EXPECT_EQ(dlg->m_wheel_up, 0);

  dlg->m_menu_shown = 0;
  dlg->m_record_mode = 1;
  dlg->OnMouseWheel(0, 120, CPoint());
  EXPECT_EQ(dlg->m_record_wheel, 1);
  EXPECT_TRUE(Signalled(dlg->m_evt_record_zoom));

  dlg->m_record_mode = 0;
  dlg->m_mode = kModeStatic;
  dlg->OnMouseWheel(0, -120, CPoint());
  EXPECT_EQ(dlg->m_static_wheel, 1);
  EXPECT_EQ(dlg->m_wheel_up, 0);
}

TEST(ArrowKeys, StepFoldersWithinTheAlbumAndAskForACacheFlush) {
  PreparedDialog dlg({1, 1, 1});
  window_system::NoteKey(VK_UP, true);
  dlg->m_strip_offset_by_folder[1] = -2560;
  dlg->OnKeyDown(VK_UP, 1, 0);
  EXPECT_EQ(dlg->m_folder, 1);
  EXPECT_EQ(dlg->m_strip_offset, -2560);
  EXPECT_EQ(dlg->m_cache_flush_request, 1);
  dlg->OnKeyDown(VK_UP, 1, 0x4000);  // auto-repeat steps again
  dlg->OnKeyDown(VK_UP, 1, 0x4000);  // but not past the last usable folder
  EXPECT_EQ(dlg->m_folder, 2);
  window_system::NoteKey(VK_UP, false);
  dlg->OnKeyDown(VK_UP, 1, 0);  // a key that is no longer down does nothing
  EXPECT_EQ(dlg->m_folder, 2);
  window_system::NoteKey(VK_DOWN, true);
  for (int i = 0; i < 4; ++i) dlg->OnKeyDown(VK_DOWN, 1, 0);
  EXPECT_EQ(dlg->m_folder, 0);
  window_system::NoteKey(VK_DOWN, false);
}

TEST(InputFlood, ButtonsInAnyOrderAndAnEmptyAlbumStayInsideTheTables) {
  PreparedDialog dlg({});
  for (int i = 0; i < 2000; ++i) {
    CPoint p((i * 37) % 1280, (i * 91) % 800);
    switch (i % 9) {
      case 0: dlg->OnLButtonUp(0, p); break;
      case 1: dlg->OnRButtonUp(0, p); break;
      case 2: dlg->OnMouseWheel(0, (i % 2) ? 120 : -120, p); break;
      case 3: dlg->OnLButtonDown(0, p); break;
      case 4: dlg->OnRButtonDown(0, p); break;
      case 5: dlg->OnMButtonDown(0, p); break;
      case 6: dlg->OnMButtonUp(0, p); break;
      default: dlg->OnMouseMove(0, p); break;
    }
  }
  EXPECT_EQ(dlg->m_folder_count, 0);
  EXPECT_GE(dlg->m_brightness, 0);
  EXPECT_LE(dlg->m_brightness, 255);
}
