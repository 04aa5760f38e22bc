#include "app/orvale_dlg.h"

#include <algorithm>

#include "album/album_paths.h"
#include "album/census.h"
#include "album/picture_import.h"
#include "album/picture_numbering.h"
#include "interaction/web_page.h"
#include "platform/kernel/files.h"
#include "platform/window/window_system.h"
#include "resources/resource_bitmaps.h"

COrvaleDlg::~COrvaleDlg() { StopWorkerThreads(); }

BOOL COrvaleDlg::OnInitDialog() {
  DecodedPicture icon = ResourcePicture(IDI_MAINFRAME);
  SetIcon(icon, TRUE);
  SetIcon(icon, FALSE);
  m_album_dir = kAlbumDir;
  CreateAlbumFolders();
  ReadScreenSize();
  PlaceFullScreen();
  ShowWindow(SW_MAXIMIZE);
  ShowSplash();
  ImportAlbumPictures();
  NumberPictures(m_album_dir);
  EnsureExamplePicture();

  // The per-folder arrays bound the album: a larger census is capped.
  m_folder_count = std::min(CountUsableFolders(), kMaxFolders);
  AllocateAlbumTables();
  ResetAlbumFields();
  LoadRecordFile();

  int folder = m_folder;
  if (folder < 0 || folder >= m_folder_count) {
    folder = 0;
    m_folder = 0;
  }
  m_strip_offset = m_strip_offset_by_folder[static_cast<std::size_t>(folder)].load();
  m_brightness = m_brightness_saved.load();

  CreateEvents();
  StartWorkerThreads();
  ShowCursor(FALSE);
  WriteReadme();
  return TRUE;
}

void COrvaleDlg::CreateAlbumFolders() {
  CreateDirectoryW(m_album_dir);
  for (int folder = 0; folder < kStartupFolders; ++folder) CreateDirectoryW(FolderPath(m_album_dir, folder));
}

void COrvaleDlg::ReadScreenSize() {
  m_screen_cx = GetSystemMetrics(SM_CXSCREEN);
  m_screen_cy = GetSystemMetrics(SM_CYSCREEN);
  m_screen_w = GetSystemMetrics(SM_CXSCREEN);
  m_screen_h = GetSystemMetrics(SM_CYSCREEN);
}

// The window is placed one border outside the screen on every side, so no frame shows.
void COrvaleDlg::PlaceFullScreen() {
  int width = GetSystemMetrics(SM_CXSCREEN) + GetSystemMetrics(SM_CXBORDER);
  int height = GetSystemMetrics(SM_CYSCREEN) + GetSystemMetrics(SM_CYBORDER);
  SetWindowPos(nullptr, 1 - GetSystemMetrics(SM_CXBORDER), 1 - GetSystemMetrics(SM_CYBORDER), width + 1, height + 1,
               SWP_NOZORDER);
}

// Converts the JPEG files of the album; an album that cannot be listed ends the program.
void COrvaleDlg::ImportAlbumPictures() {
  WindowImportDisplay display(this, m_screen_w, m_screen_h);
  if (ImportPictures(m_album_dir, display).root_listed) return;
  m_render_paused = 1;
  OpenAlbumWebPage();
  PostMessage(WM_CLOSE);
}

int COrvaleDlg::CountUsableFolders() const { return ::CountUsableFolders(m_album_dir); }

int COrvaleDlg::CountPictures(int folder) const { return ::CountPictures(PicturePattern(m_album_dir, folder)); }

// Every table is sized from one count of each folder's pictures, taken here.
void COrvaleDlg::AllocateAlbumTables() {
  m_table_counts.clear();
  for (int folder = 0; folder < m_folder_count; ++folder) m_table_counts.push_back(CountPictures(folder));
  m_pan_table.Allocate(m_table_counts, 1, PanOffset{});
  m_recorded_table.Allocate(m_table_counts, 1, 0);
  m_angle_table.Allocate(m_table_counts, 1, 0);
  m_key_count_table.Allocate(m_table_counts, 1, 0);
  m_zoom_table.Allocate(m_table_counts, 1, kDefaultZoomTarget);
  m_spare_table.Allocate(m_table_counts, 1, kDefaultSpare);
  m_steps_table.Allocate(m_table_counts, 1, kDefaultPlaySteps);
  m_key_x.Allocate(m_table_counts, kKeyFrameSlots, 0);
  m_key_y.Allocate(m_table_counts, kKeyFrameSlots, 0);
  m_key_zoom.Allocate(m_table_counts, kKeyFrameSlots, kDefaultKeyZoom);
}

void COrvaleDlg::ResetAlbumFields() {
  m_capture_count = 0;
  m_capturing = 0;
  m_zoom_max = 5.0f;
  m_path_pan_x = 0;
  m_path_pan_y = 0;
  m_pan_at_press_x = 0;
  m_pan_at_press_y = 0;
  for (auto& offset : m_strip_offset_by_folder) offset = 0;
  for (auto& count : m_count_by_folder) count = 0;
}

void COrvaleDlg::ReleaseAlbumTables() {
  m_key_x.Release();
  m_key_y.Release();
  m_key_zoom.Release();
  m_pan_table.Release();
  m_angle_table.Release();
  m_key_count_table.Release();
  m_zoom_table.Release();
  m_recorded_table.Release();
  m_spare_table.Release();
  m_steps_table.Release();
  m_table_counts.clear();
}

void COrvaleDlg::OnDestroy() {
  ShowCursor(TRUE);
  StopWorkerThreads();
  StoreRecordFile();
  m_renderer.Release();
  ReleaseAlbumTables();
}
