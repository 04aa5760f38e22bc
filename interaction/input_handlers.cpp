// The mouse and keyboard handlers: every one only writes the viewer state and, where a
// worker thread must act, signals that thread's event. None draws and none blocks.
#include <cstdlib>
#include <mutex>

#include "app/orvale_dlg.h"
#include "interaction/input_rules.h"
#include "interaction/path_interpolation.h"
#include "platform/kernel/time.h"
#include "platform/window/window_system.h"
#include "render/motion_model.h"

namespace {

constexpr int kEdgeZone = 100;

// The current picture's pan offset; pictures beyond the tables pan from (0, 0) and keep nothing.
PanOffset PanOf(const ViewerState& s) { return s.m_pan_table.Get(s.m_folder, s.m_picture, PanOffset{}); }

}  // namespace

BOOL COrvaleDlg::PreTranslateMessage(MSG* msg) {
  // The arrow keys go to the window itself instead of dialog navigation.
  if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->key >= VK_LEFT && msg->key <= VK_DOWN) {
    SendMessage(*msg);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

void COrvaleDlg::CentrePointer() { SetCursorPos(m_screen_cx / 2, m_screen_cy / 2); }

void COrvaleDlg::StepFolderByKey(bool next) {
  m_strip_offset = 0;
  int folder = m_folder;
  if (next) {
    int usable = std::min(CountUsableFolders(), static_cast<int>(m_folder_count));
    if (folder < usable - 1) m_folder = folder + 1;
  } else if (folder > 0) {
    m_folder = folder - 1;
  }
  folder = m_folder;
  if (folder >= 0 && folder < kMaxFolders) {
    m_strip_offset = m_strip_offset_by_folder[static_cast<std::size_t>(folder)].load();
  }
  // The renderer owns the rotation cache: it empties it at its next frame.
  m_cache_flush_request = 1;
  if (next) {
    m_tick_next_folder = GetTickCount();
  } else {
    m_tick_prev_folder = GetTickCount();
  }
}

void COrvaleDlg::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (GetKeyState(static_cast<int>(key)) >= 0) return;
  if (key == VK_UP) StepFolderByKey(true);
  if (key == VK_DOWN) StepFolderByKey(false);
}

void COrvaleDlg::OnMouseMove(UINT flags, CPoint point) {
  const int x = point.x;
  const int y = point.y;
  const int last_x = m_last_mouse_x;
  if (x == last_x && y == m_last_mouse_y) return;
  m_brightness = m_brightness_saved.load();
  if (m_zoom_in == 1 || m_mode == kModeStatic) {
    m_target_x = x;
    m_target_y = y;
  }
  m_anchor_dx = x - m_anchor_x;
  const int n = CountPictures(m_folder);
  if (m_rbutton_held == 0 && m_zoom_in == 0 && m_search_paused == 1 &&
      InEdgeZone(x, y, m_screen_cx, m_screen_cy, kEdgeZone)) {
    CentrePointer();
  }
  const int mode = m_mode;
  if ((m_rbutton_held == 0 && m_zoom_in == 0 && m_zoom <= 1.0f) || mode == kModeFixed || mode == kModeRand ||
      mode == kModeInside || m_dynam == 1) {
    int push = StripPushFromMove(last_x, x, m_strip_offset, m_strip_origin, n, m_screen_w, m_fixed_fast == 1);
    if (push != 0) m_strip_dir = push;
  }
  m_last_mouse_x = x;
  m_last_mouse_y = y;
  if (m_rbutton_held == 1) {
    m_drag_x = x;
    m_target_x = x;
    m_drag_y = y;
    m_target_y = y;
  }
}

int COrvaleDlg::ZoomPathSteps(int slot) {
  const int left = m_left_index;
  const int picture = slot == kSlotLeft ? left : RightSlotPicture(left, m_picture_count);
  return ZoomSteps(m_zoom_table.Get(m_folder, picture, kDefaultZoomTarget));
}

void COrvaleDlg::OnLButtonDown(UINT flags, CPoint point) {
  const int x = point.x;
  const int y = point.y;
  m_dynam = 0;
  const int mode = m_mode;
  if (mode == kModeFixed || mode == kModeRand || mode == kModeInside) m_brightness = m_brightness_saved.load();
  if (m_record_mode == 1) m_record_armed = 1;

  // Leaving search by a press on the preview.
  const int half_w = m_screen_w / 2;
  const int half_h = m_screen_h / 2;
  const int preview_w = m_preview_w / 2;
  const int preview_h = m_preview_h / 2;
  if (m_render_paused == 1 && half_w - preview_w < x && x < half_w + preview_w && half_h - preview_h < y &&
      y < half_h + preview_h) {
    m_search_paused = 1;
    SetEvent(m_evt_jump);
    m_render_paused = 0;
  }
  m_menu_shown = 0;
  // Leaving search by a press on a bar.
  if (m_on_folder_bar == 1 || m_on_picture_bar == 1) {
    if (m_render_paused == 1) {
      SetEvent(m_evt_jump);
      m_render_paused = 0;
    }
    m_search_paused = 1;
  }
  if (m_record_mode != 0 && !(m_playback == 1 && m_record_armed == 1)) {
    if (Relaxed<PanOffset>* pan = m_pan_table.Find(m_folder, m_picture)) {
      PanOffset moved = *pan;
      moved.x += x - m_drag_x;
      moved.y += y - m_drag_y;
      *pan = moved;
    }
  }

  const int w = m_screen_w;
  const int r = w > 0 ? (m_strip_origin - m_strip_offset) % w : 0;
  const int slot = r < w / 2 ? kSlotLeft : kSlotRight;
  m_slot = slot;
  const PanOffset pan = PanOf(*this);
  const int steps = ZoomPathSteps(slot);
  {
    std::lock_guard<CCriticalSection> hold(m_path_lock);
    m_zoom_in_path = InterpolatePoints(steps, CPoint(0, 0), CPoint(pan.x, pan.y));
    m_zoom_in_steps = steps;
  }
  m_capture_restart = 1;
  m_tick_keyframe = GetTickCount();
  m_drag_x = x;
  m_target_x = x;
  m_drag_y = y;
  m_target_y = y;
  m_zoom_in = 1;
  m_mode = kModeNormal;
  m_pan_at_press_x = pan.x;
  m_pan_at_press_y = pan.y;
  m_pan_moved = 0;
}

void COrvaleDlg::OnLButtonUp(UINT flags, CPoint point) {
  const int x = point.x;
  const int y = point.y;
  m_strip_auto = 0;
  m_capturing = 0;
  if (m_record_mode != 0) m_playback = 1;
  m_record_armed = m_record_mode == 1 ? 1 : 0;

  PanOffset pan = PanOf(*this);
  pan.x += x - m_drag_x;
  pan.y += y - m_drag_y;
  if (Relaxed<PanOffset>* entry = m_pan_table.Find(m_folder, m_picture)) *entry = pan;
  if (pan.x != m_pan_at_press_x || pan.y != m_pan_at_press_y) m_pan_moved = 1;

  const int steps = ZoomPathSteps(m_slot);
  {
    std::lock_guard<CCriticalSection> hold(m_path_lock);
    m_zoom_out_path = InterpolatePoints(steps, CPoint(0, 0), CPoint(pan.x, pan.y));
    m_zoom_out_steps = steps;
  }
  m_target_x = m_drag_x.load();
  m_target_y = m_drag_y.load();
  m_zoom_in = 0;
  m_strip_offset = SnapStripOffset(m_strip_offset, m_strip_origin, m_screen_w);
  m_last_mouse_x = x;
  m_last_mouse_y = y;
}

void COrvaleDlg::OnRButtonDown(UINT flags, CPoint point) {
  m_fixed_timer_armed = 1;
  CentrePointer();
  m_anchor_x = m_screen_cx / 2;
  m_anchor_dx = 0;
  m_menu_shown = 1;
  m_rbutton_held = 1;
  if (m_record_mode != 0) {
    m_zoom_in = 1;
    m_record_armed = 0;
    m_playback = 1;
  }
}

void COrvaleDlg::OnRButtonUp(UINT flags, CPoint point) {
  const DWORD rest = GetTickCount() - m_tick_fixed;
  FixedChoice fixed = FixedChoiceFromRest(rest, m_mode == kModeFixed);
  m_fixed_fast = fixed.fast;
  m_fixed_special = fixed.special;
  if (m_menu_exit_hot == 1) {
    m_render_paused = 1;
    PostMessage(WM_CLOSE);
  }
  if (m_menu_search_hot == 1) {
    m_render_paused = 1;
    if (m_search_paused == 1) {
      SetEvent(m_evt_search_sync);
      m_search_paused = 0;
    }
  }
  if (m_mode == kModeFixed || m_dynam == 1) m_zoom_in = 0;
  m_menu_shown = 0;
  m_rbutton_held = 0;
  m_anchor_x = 0;
  m_anchor_dx = 0;
  m_drag_x = point.x;
  m_target_x = point.x;
  m_drag_y = point.y;
  m_target_y = point.y;
}

BOOL COrvaleDlg::OnMouseWheel(UINT flags, short delta, CPoint point) {
  const bool up = delta > 0;
  m_record_paused = 1;
  m_strip_dir = 0;
  const int mode = m_mode;
  const int picture = m_picture;
  if (mode == kModeStatic && m_record_mode == 0 && picture != 0 && picture != m_picture_count - 1) CentrePointer();

  const bool plain = m_zoom_in == 0 && m_menu_shown == 0 && m_mbutton_held == 0;
  if (plain && mode != kModeStatic && mode != kModeRand && mode != kModeInside) {
    if (up) {
      if (m_on_folder_bar == 1 && m_folder_page < 10) ++m_folder_page;
      if (m_on_picture_bar == 1 && m_picture_page < 10) ++m_picture_page;
    } else {
      if (m_on_folder_bar == 1 && m_folder_page > 0) --m_folder_page;
      if (m_on_picture_bar == 1 && m_picture_page > 0) --m_picture_page;
    }
    m_wheel_up = up ? 1 : 0;
    if (m_render_paused == 0) m_wheel_folder_step = 1;
    SetEvent(m_evt_folder_step);
  }
  if (m_menu_shown == 1 && m_zoom_in == 0) {
    m_wheel_up = up ? 1 : 0;
    m_rotating = 1;
  }
  if (plain && (mode == kModeRand || mode == kModeInside)) {
    int speed = m_strip_speed;
    if (up && speed < 10) m_strip_speed = speed + 1;
    if (!up && speed >= 2) m_strip_speed = speed - 1;
  }
  if (mode == kModeStatic && m_mbutton_held == 0) {
    m_static_wheel = 1;
    m_wheel_up = up ? 1 : 0;
  } else {
    m_static_wheel = 0;
  }
  if (m_mbutton_held == 1) {
    m_brightness = StepBrightness(m_brightness, up);
    m_brightness_saved = m_brightness.load();
  }
  if (m_record_mode != 0) {
    m_record_wheel = 1;
    m_wheel_up = up ? 1 : 0;
    SetEvent(m_evt_record_zoom);
  }
  return TRUE;
}
