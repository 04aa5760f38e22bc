#include "render/frame_renderer.h"

#include <cstdlib>
#include <vector>

#include "album/album_paths.h"
#include "app/orvale_dlg.h"
#include "platform/kernel/time.h"
#include "platform/window/messages.h"
#include "platform/window/window_dc.h"
#include "platform/window/window_system.h"
#include "interaction/recording.h"
#include "interaction/ring_menu.h"
#include "render/compose.h"
#include "render/mem_dc.h"
#include "render/motion_model.h"
#include "render/overlays.h"
#include "render/picture_angle.h"
#include "render/transformed_blit.h"
#include "resources/resource_bitmaps.h"

namespace {

constexpr int kSpriteDy = 150;
constexpr float kSpriteFit = 1.0f;
constexpr float kSpriteScale = 0.5f;

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&now, &local)) local.tm_mon = -1;  // the date line is left out
  return local;
}

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {};
  return {info.bmWidth, info.bmHeight};
}

WORD Key(int picture) { return static_cast<WORD>(std::abs(picture)); }

bool Poll(const HEVENT& event) {
  if (WaitForSingleObject(event, 0) != WAIT_OBJECT_0) return false;
  ResetEvent(event);
  return true;
}

}  // namespace

// The first rate sample runs from now, so the rate reads 0 until a full second of frames.
FrameRenderer::FrameRenderer() : m_fps_tick(GetTickCount()), m_clock(&LocalNow) {}

FrameRenderer::~FrameRenderer() { Release(); }

int FrameRenderer::PictureByFolder(int folder) const {
  return folder >= 0 && folder < kMaxFolders ? m_picture_by_folder[static_cast<std::size_t>(folder)] : 0;
}

void FrameRenderer::Release() {
  FlushCache();
  m_files.Clear();
  DeleteObject(m_frame_buffer);
  DeleteObject(m_small_bitmap);
  m_frame_buffer = nullptr;
  m_small_bitmap = nullptr;
}

void FrameRenderer::FlushCache() {
  m_bitmap_cache.ForEach([](WORD, HBITMAP bitmap) { DeleteObject(bitmap); });
  m_bitmap_cache.RemoveAll();
}

void FrameRenderer::CacheRotated(int key, HBITMAP source, int degrees) {
  HBITMAP replaced = nullptr;
  if (m_bitmap_cache.Lookup(Key(key), replaced)) DeleteObject(replaced);  // never leak a replaced entry
  HBITMAP rotated = RotateBitmap(source, DegreesToRadians(degrees));
  m_bitmap_cache.SetAt(Key(key), rotated);
}

void FrameRenderer::KeepRotatedSlots(int left_key, int right_key) {
  std::vector<WORD> unused;
  m_bitmap_cache.ForEach([&](WORD key, HBITMAP) {
    if (key != Key(left_key) && key != Key(right_key)) unused.push_back(key);
  });
  for (WORD key : unused) {
    HBITMAP rotated = nullptr;
    m_bitmap_cache.Lookup(key, rotated);
    DeleteObject(rotated);
    m_bitmap_cache.RemoveKey(key);
  }
}

void FrameRenderer::RenderDriverStep(COrvaleDlg& dlg) {
  // A search jump; the poll consumes the signal even when nothing was picked.
  if (WaitForSingleObject(dlg.m_evt_jump, 0) == WAIT_OBJECT_0) {
    int pick = dlg.m_search_pick;
    if (pick != kSearchNothingPicked) {
      int folder = dlg.m_search_folder;
      if (folder >= 0 && folder < dlg.m_folder_count) dlg.m_folder = folder;
      if (pick == 1) dlg.m_strip_offset = -(dlg.m_search_picture * dlg.m_screen_w);
      if (pick == 0) dlg.m_strip_offset = 0;
    }
    ResetEvent(dlg.m_evt_jump);
  }
  if (Poll(dlg.m_evt_folder_step)) {
    if (dlg.m_wheel_folder_step == 1) {
      int folder = dlg.m_folder;
      if (dlg.m_wheel_up == 1) {
        if (folder < dlg.CountUsableFolders() - 1 && folder < dlg.m_folder_count - 1) dlg.m_folder = folder + 1;
        dlg.m_tick_next_folder = GetTickCount();
      } else {
        if (folder > 0) dlg.m_folder = folder - 1;
        dlg.m_tick_prev_folder = GetTickCount();
      }
      folder = dlg.m_folder;
      dlg.m_strip_offset = dlg.m_strip_offset_by_folder[static_cast<std::size_t>(folder)].load();
      dlg.m_picture_count = dlg.CountPictures(folder);
      if (dlg.m_dynam == 1 && dlg.m_picture_count > 1) dlg.m_strip_offset = 0;
      dlg.m_wheel_folder_step = 0;
    }
    dlg.m_brightness = dlg.m_brightness_saved.load();
  }

  RenderFrame(dlg);

  ++m_frame_count;
  m_fps_elapsed = static_cast<int>(GetTickCount() - m_fps_tick);
  if (m_fps_elapsed >= 1000) {
    m_fps_tick = GetTickCount();
    m_fps = m_frame_count;
    m_fps_elapsed = 0;
    m_frame_count = 0;
  }
}

void FrameRenderer::StepMarker() {
  if (m_sprite_bounce > 20) m_sprite_falling = true;
  if (m_sprite_bounce < 1) {
    m_sprite_falling = false;
    m_sprite_bounce += 2;
  } else {
    m_sprite_bounce += m_sprite_falling ? -2 : 2;
  }
}

void FrameRenderer::RotationRequest(COrvaleDlg& dlg, int left_index, int right_key, HBITMAP left, HBITMAP right,
                                    int fraction) {
  int folder = dlg.m_folder;
  int angle = dlg.m_angle_table.Get(folder, dlg.m_picture, 0);
  if (dlg.m_menu_shown == 1) angle = StepAngle(angle, dlg.m_wheel_up == 1);
  dlg.m_angle = angle;
  dlg.m_angle_table.Set(folder, dlg.m_picture, angle);
  int half = dlg.m_screen_w / 2;
  if (fraction < half) {
    CacheRotated(left_index, left, angle);
  } else if (fraction > half) {
    CacheRotated(right_key, right, angle);
  }
  dlg.m_rotating = 0;
}

void FrameRenderer::RenderFrame(COrvaleDlg& dlg) {
  ViewerState& s = dlg;
  const int W = s.m_screen_w;
  const int H = s.m_screen_h;
  const int U = s.m_strip_origin;
  const int folder_in = s.m_folder;

  // Count the folder and move the strip.
  int n = dlg.CountPictures(folder_in);
  s.m_picture_count = n;
  PlaybackZoomHandOver(s);
  AutoAdvance(s, m_prev_left_index);
  StripPush(s);
  ArrowKeys(s, GetKeyState(VK_LEFT) < 0, GetKeyState(VK_RIGHT) < 0);
  StaticSnap(s);

  // Which pictures the slots show, and the picture in view.
  const int F = s.m_folder;
  const int R = s.m_strip_offset;
  StripView view = StripGeometry(W, R, U, n);
  const int L = view.left_index;
  s.m_left_index = L;
  if (view.picture != s.m_picture) {
    SetEvent(s.m_evt_picture_changed);
    s.m_drag_x = s.m_target_x.load();
    s.m_drag_y = s.m_target_y.load();
    s.m_music_start = 0;
  }
  s.m_picture = view.picture;
  if (s.m_record_paused == 1) {
    SetEvent(s.m_evt_play);
    s.m_record_paused = 0;
  }
  s.m_neighbour_step = view.neighbour_step;

  HBITMAP file_left = m_files.Load(PicturePath(s.m_album_dir, F, view.left_file));
  HBITMAP file_right = m_files.Load(PicturePath(s.m_album_dir, F, view.right_file));

  // The rotation cache holds the folder in view only.
  if (s.m_cache_flush_request.exchange(0) != 0 || m_cached_folder != F) {
    FlushCache();
    m_cached_folder = F;
  }
  const int right_key = L + 1;
  const int right_entry = RightSlotPicture(L, n);
  HBITMAP found = nullptr;
  if (s.m_menu_shown == 0) {
    int angle_left = s.m_angle_table.Get(F, L, 0);
    if (angle_left != 0 && !m_bitmap_cache.Lookup(Key(L), found)) CacheRotated(L, file_left, angle_left);
    int angle_right = s.m_angle_table.Get(F, right_entry, 0);
    if (angle_right != 0 && !m_bitmap_cache.Lookup(Key(right_key), found)) {
      CacheRotated(right_key, file_right, angle_right);
    }
  }
  const int fraction = view.fraction;
  if (s.m_rotating == 1) RotationRequest(dlg, L, right_key, file_left, file_right, fraction);

  HBITMAP draw_left = m_bitmap_cache.Lookup(Key(L), found) ? found : file_left;
  HBITMAP draw_right = m_bitmap_cache.Lookup(Key(right_key), found) ? found : file_right;
  KeepRotatedSlots(L, right_key);

  // A recorded picture plays back in its own temporary bitmap.
  const bool left_current = fraction < W / 2;
  const bool recorded = s.m_recorded_table.Get(F, s.m_picture, 0) == 1;
  HBITMAP temp = nullptr;
  if (s.m_mode == kModeNormal && s.m_zoom_in == 0 && s.m_playback == 1 && recorded) {
    HBITMAP& slot = left_current ? draw_left : draw_right;
    temp = PlaybackBitmap(s, slot, 0.0f);
    slot = temp;
  }
  SIZE left_size = SizeOf(draw_left);
  SIZE right_size = SizeOf(draw_right);

  // Zoom, breathing, scale and centring.
  StepZoomPaths(s);
  PlaybackZoomOverride(s);
  Breathe(s);
  SlotScales scales = ScaleAndCentre(H, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), s.m_breath,
                                     s.m_zoom, left_size, right_size);

  if (F >= 0 && F < kMaxFolders) {
    m_picture_by_folder[static_cast<std::size_t>(F)] = s.m_picture;
    s.m_strip_offset_by_folder[static_cast<std::size_t>(F)] = s.m_strip_offset.load();
  }
  m_prev_left_index = L;

  // Compose the picture layer straight into the off-screen buffer.
  HDC window = GetDC(&dlg);
  RECT client;
  dlg.GetClientRect(&client);
  if (window && !m_frame_buffer) m_frame_buffer = CreateCompatibleBitmap(window, client.right, client.bottom);
  if (window) {
    CMemDC buffer(window, &client, m_frame_buffer, CMemDC::Start::kCoveredByCaller);
    SetBkMode(buffer, TRANSPARENT);

    std::vector<LayerDraw> draws;
    auto strip_draw = [&](HBITMAP bitmap, SIZE size, const SlotScale& scale, int index) {
      draws.push_back(PictureDraw(bitmap, scale.centre_x + U - R - index * W, scale.centre_y + s.m_strip_origin_y,
                                  scale.drawn_w, scale.drawn_h, 0, 0, size.cx, size.cy));
    };
    const bool zoomed = s.m_zoom_in == 1 || s.m_zoom > 1.0f || s.m_mode != kModeNormal;
    const bool playback_case = !zoomed && s.m_playback == 1 && s.m_capturing == 0 && recorded && temp;
    if (playback_case) {
      if (left_current) {
        strip_draw(draw_left, left_size, scales.left, L);
      } else {
        strip_draw(draw_right, right_size, scales.right, L + view.neighbour_step);
      }
    } else if (!zoomed) {
      strip_draw(draw_left, left_size, scales.left, L);
      if (L + 1 != n && U - R > 0) strip_draw(draw_right, right_size, scales.right, L + view.neighbour_step);
    } else {
      CPoint origin = ViewPosition(s, left_current);
      HBITMAP bitmap = left_current ? draw_left : draw_right;
      SIZE size = left_current ? left_size : right_size;
      const SlotScale& scale = left_current ? scales.left : scales.right;
      draws.push_back(PictureDraw(bitmap, scale.centre_x, scale.centre_y, scale.drawn_w, scale.drawn_h, origin.x,
                                  origin.y, size.cx, size.cy));
    }
    ComposePictureLayer(BitmapPixels(buffer.Buffer()), draws, s.m_brightness & 0xFF);

    std::tm local = m_clock();
    DrawOverlays(buffer, ComposeOverlayTexts(s, m_fps, GetTickCount(), local.tm_mon < 0 ? nullptr : &local), W, H);

    // The marker: a sprite whose black pixels are transparent, bouncing below the centre.
    if (!m_small_bitmap) m_small_bitmap = LoadBitmapW(IDB_MARKER);
    SIZE marker = SizeOf(m_small_bitmap);
    HDC image_dc = CreateCompatibleDC(window);
    HDC mask_dc = CreateCompatibleDC(window);
    HBITMAP image_previous = SelectObject(image_dc, m_small_bitmap);
    HBITMAP mask_previous = MakeSpriteMask(image_dc, mask_dc, marker.cx, marker.cy);
    int sprite_x = static_cast<int>((GetSystemMetrics(SM_CXSCREEN) - kSpriteFit * marker.cx) * 0.5);
    int sprite_y = static_cast<int>((GetSystemMetrics(SM_CYSCREEN) - kSpriteFit * marker.cy) * 0.5);
    StepMarker();
    DrawSprite(buffer, m_sprite_bounce + U + sprite_x, s.m_strip_origin_y + sprite_y + kSpriteDy,
               static_cast<int>(kSpriteScale * marker.cx), static_cast<int>(kSpriteScale * marker.cy), mask_dc,
               image_dc, marker.cx, marker.cy);
    DeleteObject(SelectObject(mask_dc, mask_previous));
    SelectObject(image_dc, image_previous);
    DeleteDC(mask_dc);
    DeleteDC(image_dc);

    if (s.m_rbutton_held != 0) RecordingStep(s);
    // The ring menu draws itself and takes the mode the pointer rests on.
    if (s.m_menu_shown == 1) {
      DrawRingMenu(s, buffer);
      if (s.m_menu_shown == 1) DrawMenuPointer(s, buffer);
    }
  }  // the buffer goes on screen here
  DeleteObject(temp);
  ReleaseDC(&dlg, window);
  m_files.EndFrame();
}
