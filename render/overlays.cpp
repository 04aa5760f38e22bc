#include "render/overlays.h"

#include <cstdio>

#include "app/viewer_state.h"

namespace {

HFONT MakeOverlayFont(int height, int width) {
  return CreateFontW(height, width, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 2 /*character precision*/,
                     1 /*character clipping*/, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
}

void Text(HDC dc, int x, int y, const std::string& text) {
  if (!text.empty()) TextOutW(dc, x, y, text, static_cast<int>(text.size()));
}

}  // namespace

std::string DateLine(const std::array<std::string, 12>& month_names, const std::tm* local) {
  if (!local || local->tm_mon < 0 || local->tm_mon > 11) return "";
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d:%02d", local->tm_hour, local->tm_min);
  return month_names[static_cast<std::size_t>(local->tm_mon)] + " " + std::to_string(local->tm_mday) + "   " + clock;
}

OverlayTexts ComposeOverlayTexts(const ViewerState& state, int fps, DWORD now, const std::tm* local) {
  OverlayTexts texts;
  int mode = state.m_mode;
  if (mode == kModeRand || mode == kModeInside) texts.speed = " " + std::to_string(state.m_strip_speed.load());
  texts.picture_counter =
      std::to_string(state.m_picture.load()) + "/" + std::to_string(state.m_picture_count.load() - 1);
  texts.date_line = DateLine(state.m_month_names, local);
  if (fps < 100) texts.fps_line = "FPS = " + std::to_string(fps);
  texts.folder_counter =
      std::to_string(state.m_folder.load()) + "/" + std::to_string(state.m_folder_count.load() - 1);
  // Unsigned differences, so a wrapped tick counter still works.
  if (now - state.m_tick_prev_folder.load() < kBigNumberMs || now - state.m_tick_next_folder.load() < kBigNumberMs) {
    texts.big_number = std::to_string(state.m_folder.load());
  }
  return texts;
}

void DrawOverlays(HDC dc, const OverlayTexts& texts, int screen_w, int screen_h) {
  HFONT overlay_font = MakeOverlayFont(30, 12);
  HFONT big_font = MakeOverlayFont(150, 132);
  HFONT previous = SelectObject(dc, overlay_font);
  SetTextColor(dc, kOverlayColor);
  Text(dc, 0, 60, texts.speed);
  Text(dc, 0, 0, texts.picture_counter);
  Text(dc, 150, 0, texts.date_line);
  Text(dc, 350, 0, texts.fps_line);
  SetTextColor(dc, kFolderLineColor);
  Text(dc, 0, 35, texts.folder_counter);
  SelectObject(dc, big_font);
  SetTextColor(dc, kBigNumberColor);
  Text(dc, (screen_w - 132) / 2, (screen_h - 150) / 2, texts.big_number);
  SelectObject(dc, previous);
  SetTextColor(dc, 0);
  DeleteObject(overlay_font);
  DeleteObject(big_font);
}
