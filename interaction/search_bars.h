// The search screen: a dark background, an orange preview panel, a lower bar with one tick per
// folder and an upper bar with one tick per picture of the chosen folder, a hundred ticks to a
// page. The search thread draws it every pass while search is shown; sliding the pointer along a
// bar selects a folder or picture, snaps the pointer to its tick and previews it.
//
// Geometry is computed from the screen size with halves truncated toward zero; positions along
// the bars use a float tick unit and are truncated toward zero when they become pixels.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "render/picture_files.h"

class COrvaleDlg;
struct ViewerState;

inline constexpr COLORREF kSearchBackground = RGB(0, 0, 55);
inline constexpr int kSearchBackgroundPenWidth = 5;
inline constexpr COLORREF kSearchPanelPen = RGB(255, 55, 0);
inline constexpr COLORREF kSearchPanelFill = RGB(255, 100, 50);
inline constexpr COLORREF kSearchBarPen = RGB(0, 155, 0);
inline constexpr COLORREF kSearchBarFill = RGB(100, 100, 0);
inline constexpr COLORREF kSearchBarHighlight = RGB(200, 200, 0);
inline constexpr COLORREF kSearchSelectedPen = RGB(255, 0, 0);
inline constexpr COLORREF kSearchHoverText = RGB(255, 0, 0);
inline constexpr int kSearchTicksPerPage = 100;
inline constexpr int kSearchPreviewHeight = 350;

enum class SearchBar { kFolder, kPicture };

// The fixed rectangles of the screen and the spacing of the ticks.
struct SearchLayout {
  int half_w = 0;
  int half_h = 0;
  RECT screen{};
  RECT panel{};
  RECT folder_bar{};
  RECT picture_bar{};
  float unit = 0;  // (bar right - (bar left + 12)) / 100, 7.08

  const RECT& Bar(SearchBar bar) const { return bar == SearchBar::kFolder ? folder_bar : picture_bar; }
};
SearchLayout SearchLayoutFor(int screen_w, int screen_h);

// Tick i (1..100) of a bar: the x of its centre, its square, the open window where the pointer
// hovers it (three pixels high), and the point the pointer snaps to.
int TickCentreX(const SearchLayout& layout, int i);
RECT TickSquare(const SearchLayout& layout, SearchBar bar, int i);
bool InHoverWindow(const SearchLayout& layout, SearchBar bar, int i, int x, int y);
POINT TickSnapPoint(const SearchLayout& layout, SearchBar bar, int i);
// Where the selected index is written, below the panel (folders) or above it (pictures).
POINT HoverLabelOrigin(const SearchLayout& layout, SearchBar bar, int i);

// The bar's active area: inside it horizontally, up to ten pixels above it, and one tick unit in
// from either end.
bool OnBarActiveArea(const SearchLayout& layout, SearchBar bar, int x, int y);
// The index a pointer at x selects on a bar showing `page`: trunc(((x - left) - u) / u + page * 100).
int SelectionAt(const SearchLayout& layout, SearchBar bar, int x, int page);

// The five page labels: their x positions and the numbers they show for `page`.
std::array<int, 5> PageLabelXs(const SearchLayout& layout, SearchBar bar);
std::array<int, 5> PageLabelValues(int page);
int PageLabelY(const SearchLayout& layout, SearchBar bar);

// Where a picture of pic_w x pic_h is previewed: 350 high, centred, keeping its aspect ratio;
// nothing for a picture of no height.
struct PreviewPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
std::optional<PreviewPlace> PreviewPlacement(int screen_w, int screen_h, int pic_w, int pic_h);

// The number of pictures in a folder, counted again only when the folder's entries may have
// changed: its modification time differs, or it was modified so recently that a further change
// could still carry the same time.
class PictureCountCache {
 public:
  int Count(const std::string& album_dir, int folder);
  int Recounts() const { return m_recounts; }

 private:
  std::string m_folder_path;
  std::filesystem::file_time_type m_modified{};
  bool m_settled = false;
  int m_count = 0;
  int m_recounts = 0;
};

// What the search screen keeps between frames: the off-screen buffer (so a frame allocates no
// screen-sized bitmap), the preview pictures (so a file is not decoded again every frame; a
// changed file is read again) and the picture count of the selected folder. Used by one thread
// at a time.
//
// The buffer also keeps the background: outside the panel, a frame draws only the selection
// labels (in two bands just above and below the panel), a preview wider than the panel and,
// should it leave the panel, the sight. A frame on a kept buffer refills just those with the
// background colour instead of the whole screen; the pixels are the same as a full fill.
class SearchScreen {
 public:
  SearchScreen() = default;
  ~SearchScreen() { Release(); }
  SearchScreen(const SearchScreen&) = delete;
  SearchScreen& operator=(const SearchScreen&) = delete;

  // Draws one complete search screen onto the dialog's window: both bars into the off-screen
  // buffer, then the menu sight; the whole buffer is copied to the window at the end.
  void Frame(COrvaleDlg& dlg);

  // Background, panel and folder bar, its labels, hover, ticks and preview. Reads the pointer,
  // may move it to a tick, and updates the folder selection. Called on its own, it fills the
  // whole background.
  void FolderBar(HDC dc, ViewerState& state);
  // The picture bar, its labels, hover, ticks and preview, for the pictures of the selected
  // folder (counted once per call). Updates the picture selection.
  void PictureBar(HDC dc, ViewerState& state);
  // Draws picture `picture` of folder `folder` centred and 350 high and records its size in
  // m_preview_w / m_preview_h. A file that cannot be read, or has no height, is not drawn and
  // leaves the recorded size as it was.
  void Preview(ViewerState& state, HDC dc, int folder, int picture);

  // Deletes the buffer and the preview bitmaps (search hidden, or shutdown).
  void Release();
  int CachedPreviews() const { return m_previews.Count(); }
  bool HoldsBuffer() const { return m_buffer != nullptr; }
  const PictureCountCache& Counts() const { return m_counts; }

 private:
  void Background(HDC dc, const SearchLayout& layout);
  void Bar(HDC dc, ViewerState& state, SearchBar bar, int count);
  // Notes a rectangle drawn outside the panel, to be refilled on the next kept-buffer frame.
  void Drawn(const SearchLayout& layout, const RECT& r);

  HBITMAP m_buffer = nullptr;
  bool m_background_kept = false;  // set by Frame for a buffer whose background is still whole
  bool m_recording = false;        // set by Frame: what is drawn outside the panel is noted
  std::vector<RECT> m_drawn_outside;  // by the frame being drawn
  std::vector<RECT> m_to_refill;      // drawn outside the panel by the frame before
  PictureFiles m_previews;
  PictureCountCache m_counts;
};

// Search thread, while search is shown: one search frame, drawn by the calling thread's screen.
void SearchBarStep(COrvaleDlg& dlg);
// Search thread, while search is hidden: lets go of the calling thread's buffer and previews.
void SearchBarRest();
