// The renderer: one full-screen frame per pass of the render thread, from the viewer state.
// It alone decides which picture is in view and tells the other threads when that changes.
#pragma once

#include <array>
#include <ctime>

#include "app/viewer_state.h"
#include "platform/framework/map_word_to_ptr.h"
#include "platform/gdi/gdi.h"
#include "render/picture_files.h"

class COrvaleDlg;

// Rotated bitmaps of the folder in view, keyed by picture number.
using BitmapCache = CMapWordToPtr<HBITMAP>;

class FrameRenderer {
 public:
  FrameRenderer();
  ~FrameRenderer();
  FrameRenderer(const FrameRenderer&) = delete;
  FrameRenderer& operator=(const FrameRenderer&) = delete;

  // One pass of the render thread: a pending search jump or folder step, a frame, the rate.
  void RenderDriverStep(COrvaleDlg& dlg);
  // Draws one frame onto the window.
  void RenderFrame(COrvaleDlg& dlg);
  // Deletes every bitmap the renderer keeps (shutdown).
  void Release();

  int Fps() const { return m_fps; }
  const BitmapCache& Cache() const { return m_bitmap_cache; }
  int CachedFolder() const { return m_cached_folder; }
  int PictureByFolder(int folder) const;

  // The local time the date line shows; tests fix it.
  using Clock = std::tm (*)();
  void SetClock(Clock clock) { m_clock = clock; }

 private:
  void FlushCache();
  void CacheRotated(int key, HBITMAP source, int degrees);
  // Deletes the rotated bitmaps of every slot but the two in view: turned pictures are turned
  // again when they come back into view.
  void KeepRotatedSlots(int left_key, int right_key);
  void RotationRequest(COrvaleDlg& dlg, int left_index, int right_key, HBITMAP left, HBITMAP right,
                       int fraction);
  void StepMarker();

  BitmapCache m_bitmap_cache{100};
  int m_cached_folder = 0;
  int m_prev_left_index = 0;
  std::array<int, kMaxFolders> m_picture_by_folder{};
  // The two pictures of the frame in view, no more: a large picture costs its size once.
  PictureFiles m_files{1};
  HBITMAP m_frame_buffer = nullptr;  // the off-screen buffer, kept between frames
  HBITMAP m_small_bitmap = nullptr;  // the marker sprite

  int m_frame_count = 0;
  DWORD m_fps_tick = 0;
  int m_fps_elapsed = 0;
  int m_fps = 0;

  int m_sprite_bounce = 0;
  bool m_sprite_falling = false;
  Clock m_clock;
};
