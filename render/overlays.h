// The text written over the picture: counters, date and time, frame rate, speed and the big
// folder number after a folder step.
#pragma once

#include <array>
#include <ctime>
#include <string>

#include "platform/gdi/gdi.h"

struct ViewerState;

constexpr COLORREF kOverlayColor = RGB(255, 200, 0);
constexpr COLORREF kFolderLineColor = RGB(255, 100, 0);
constexpr COLORREF kBigNumberColor = RGB(25, 20, 0);
// How long the big folder number stays after a folder step.
constexpr DWORD kBigNumberMs = 500;

// What the overlays say this frame; empty texts are not drawn.
struct OverlayTexts {
  std::string speed;            // at (0, 60), Rand and Inside only
  std::string picture_counter;  // at (0, 0)
  std::string date_line;        // at (150, 0)
  std::string fps_line;         // at (350, 0), below 100 frames a second only
  std::string folder_counter;   // at (0, 35), in the folder colour
  std::string big_number;       // centred, for a moment after a folder step
};

// "Dec. 8   14:05" from the month names and a local time; "" when the time is unknown.
std::string DateLine(const std::array<std::string, 12>& month_names, const std::tm* local);

// The texts for the state, the frame rate, the tick count `now` and the local time.
OverlayTexts ComposeOverlayTexts(const ViewerState& state, int fps, DWORD now, const std::tm* local);

// Draws the texts into `dc` and leaves it with its previous font and black text.
void DrawOverlays(HDC dc, const OverlayTexts& texts, int screen_w, int screen_h);
