// The whole state of the viewer, shared by the window's thread and the four workers.
//
// Every scalar that two threads touch is a relaxed atomic; the album tables' entries are too.
// The zoom paths are the one thing guarded by a lock (m_path_lock).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/album_table.h"
#include "app/play_steps.h"
#include "platform/kernel/critical_section.h"
#include "platform/kernel/event.h"
#include "platform/kernel/relaxed.h"
#include "platform/kernel/thread.h"
#include "platform/types.h"

// The per-folder arrays hold this many folders: the most the viewer can show.
constexpr int kMaxFolders = 1500;
// Key-frame slots per picture.
constexpr int kKeyFrameSlots = 50;

// Per-picture defaults of the album tables.
constexpr float kDefaultZoomTarget = 2.0f;
constexpr float kDefaultSpare = 1.5f;
constexpr float kDefaultKeyZoom = 1.5f;

// Codes held by some fields.
constexpr int kSearchNothingPicked = 888;
constexpr int kSlotLeft = 11;
constexpr int kSlotRight = 22;

// Values of m_mode.
constexpr int kModeNormal = 0;
constexpr int kModeStatic = 1;
constexpr int kModeFixed = 3;
constexpr int kModeRand = 4;
constexpr int kModeInside = 5;
constexpr int kModeDynam = 333;

struct PanOffset {
  int x = 0;
  int y = 0;
};

struct ViewerState {
  using Int = Relaxed<int>;
  using Float = Relaxed<float>;
  using Tick = Relaxed<DWORD>;

  // Album tables: [folder][picture], the key frames [folder][picture][slot].
  AlbumTable<PanOffset> m_pan_table;
  AlbumTable<int> m_recorded_table;
  AlbumTable<int> m_angle_table;
  AlbumTable<int> m_key_count_table;
  AlbumTable<float> m_zoom_table;
  AlbumTable<float> m_spare_table;
  AlbumTable<int> m_steps_table;
  AlbumTable<int> m_key_x;
  AlbumTable<int> m_key_y;
  AlbumTable<float> m_key_zoom;
  // Picture counts the tables were sized with; the record file writes no more than these.
  std::vector<int> m_table_counts;

  std::array<Int, kMaxFolders> m_strip_offset_by_folder{};
  std::array<Int, kMaxFolders> m_count_by_folder{};

  // Album and screen.
  std::string m_album_dir;
  Int m_folder_count{0};
  Int m_folder{0};
  Int m_picture_count{0};
  Int m_picture{0};
  Int m_strip_offset{0};
  Int m_left_index{0};
  Int m_strip_origin{0};
  Int m_screen_w{0};
  Int m_screen_h{0};
  Int m_screen_cx{0};
  Int m_screen_cy{0};
  std::array<std::string, 12> m_month_names{"Jan.", "Feb.", "March.", "April.", "May",   "June",
                                            "July", "Aug.", "Sept.",  "Oct.",   "Nov.", "Dec."};

  // Display.
  Float m_zoom{1.0f};
  Float m_zoom_max{5.0f};
  Int m_angle{0};
  Int m_rotating{0};
  Int m_brightness{255};
  Int m_brightness_saved{255};
  Int m_target_x{0};
  Int m_target_y{0};
  Int m_drag_x{0};
  Int m_drag_y{0};
  Int m_zoom_in_steps{0};
  Int m_path_pan_x{0};
  Int m_path_pan_y{0};
  Int m_pan_at_press_x{0};
  Int m_pan_at_press_y{0};
  Int m_slot{0};
  Int m_view_left_x{0};
  Int m_view_left_y{0};
  Int m_view_right_x{0};
  Int m_view_right_y{0};

  // Motion of the strip, zoom paths and breathing (the renderer steps them every frame).
  Int m_strip_reverse{0};
  Int m_path_index{0};  // stepped under m_path_lock
  Float m_breath{1.0f};
  Int m_breath_up{1};
  // Zoom-in path built at a left press, zoom-out path at the release; replaced and read
  // only under m_path_lock.
  std::vector<CPoint> m_zoom_in_path;
  std::vector<CPoint> m_zoom_out_path;
  Int m_zoom_out_steps{0};
  Int m_neighbour_step{-1};
  // Set by the window's thread to have the renderer empty its rotation cache (folder keys).
  Int m_cache_flush_request{0};
  Int m_strip_origin_y{0};

  // Modes, menu and mouse.
  Int m_mode{kModeNormal};
  Int m_dynam{0};
  Int m_rand{0};
  Int m_strip_auto{0};
  Int m_strip_speed{5};
  Int m_strip_dir{0};
  Int m_static_wheel{0};
  Int m_fixed_fast{0};
  Int m_fixed_special{0};
  Int m_menu_shown{0};
  Int m_rbutton_held{0};
  Int m_zoom_in{0};
  Int m_wheel_up{0};
  Int m_wheel_folder_step{0};
  Tick m_tick_prev_folder{0};
  Tick m_tick_next_folder{0};
  Int m_last_mouse_x{0};
  Int m_last_mouse_y{0};
  Int m_anchor_x{0};
  Int m_anchor_dx{0};
  Int m_pan_moved{0};
  Int m_mbutton_held{0};
  Tick m_tick_fixed{0};
  Int m_fixed_timer_armed{0};

  // Recording and playback.
  Int m_record_mode{0};
  Int m_record_armed{0};
  Int m_capturing{0};
  Int m_capture_restart{0};
  Int m_capture_count{0};
  Tick m_tick_keyframe{0};
  Float m_record_zoom{1.5f};
  Int m_record_wheel{0};
  Int m_playback{1};
  Int m_play_pos{0};
  Int m_play_steps{kDefaultPlaySteps};
  Int m_key_count{0};
  Int m_play_x{0};
  Int m_play_y{0};
  Float m_play_zoom{1.5f};
  Int m_play_backward{0};
  Int m_play_last{0};

  // Search bars.
  Int m_folder_page{0};
  Int m_picture_page{0};
  Int m_search_folder{0};
  Int m_search_picture{0};
  Int m_search_pick{kSearchNothingPicked};
  Int m_on_folder_bar{0};
  Int m_on_picture_bar{0};
  Int m_preview_w{0};
  Int m_preview_h{0};
  Int m_menu_exit_hot{0};
  Int m_menu_search_hot{0};

  // Threads: stop and pause flags, events, the one lock.
  Int m_stop_record{0};
  Int m_stop_render{0};
  Int m_stop_search{0};
  Int m_stop_music{0};
  Int m_render_paused{0};
  Int m_search_paused{1};
  Int m_record_paused{0};
  HEVENT m_evt_search_sync;
  HEVENT m_evt_jump;
  HEVENT m_evt_folder_step;
  HEVENT m_evt_picture_changed;
  HEVENT m_evt_record_zoom;
  HEVENT m_evt_play;
  CCriticalSection m_path_lock;
  std::unique_ptr<CWinThread> m_record_thread;
  std::unique_ptr<CWinThread> m_render_thread;
  std::unique_ptr<CWinThread> m_search_thread;
  std::unique_ptr<CWinThread> m_music_thread;

  // Music: a request to start the song the picture in view calls for.
  Int m_music_start{0};

  // Record file.
  std::string m_record_name;
  Int m_album_changed{0};
};
