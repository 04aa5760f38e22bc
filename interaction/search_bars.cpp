#include "interaction/search_bars.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "album/album_paths.h"
#include "album/census.h"
#include "app/orvale_dlg.h"
#include "platform/window/window_dc.h"
#include "platform/window/window_system.h"
#include "render/mem_dc.h"
#include "render/transformed_blit.h"

namespace {

// Selects an object into a DC for a scope and puts the previous one back at its end. Declared
// after the object it selects, so the object is deselected before it is deleted.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(m_dc, m_previous); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// A pen, brush or font deleted at the end of its scope.
template <class Handle>
class Owned {
 public:
  explicit Owned(Handle handle) : m_handle(handle) {}
  ~Owned() { DeleteObject(m_handle); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  operator Handle() const { return m_handle; }  // NOLINT: passed wherever the handle is

 private:
  Handle m_handle;
};

// A float position along a bar as a pixel: truncated toward zero.
int Truncate(float x) { return static_cast<int>(x); }

void TextAt(HDC dc, int x, int y, int value) {
  char text[16];
  const int length = std::snprintf(text, sizeof(text), "%d", value);
  TextOutW(dc, x, y, std::string_view(text, static_cast<std::size_t>(length)), length);
}

// Rectangle in the pen, then FillRect in the brush. FillRect covers every pixel the
// Rectangle's inside would get from the DC's brush, so that inside is left unfilled: the same
// pixels, one large fill fewer.
void Shape(HDC dc, const RECT& r, HPEN pen, HBRUSH brush) {
  Selected with_pen(dc, pen);
  {
    Selected hollow(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  }
  FillRect(dc, &r, brush);
}

// The selected index in red, in its own bold font over the DC's colours, which are restored.
void HoverLabel(HDC dc, POINT at, int value) {
  Owned<HFONT> font(CreateFontW(30, 12, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 2, 1, 0, 0,
                                "Times New Roman"));
  Selected with_font(dc, font);
  const COLORREF text = SetTextColor(dc, kSearchHoverText);
  const COLORREF back = SetBkColor(dc, RGB(0, 0, 0));
  TextAt(dc, at.x, at.y, value);
  SetBkColor(dc, back);
  SetTextColor(dc, text);
}

void RedTick(HDC dc, const RECT& square) {
  Owned<HPEN> red(CreatePen(PS_SOLID, 1, kSearchSelectedPen));
  Selected with_red(dc, red);
  Rectangle(dc, square.left, square.top, square.right, square.bottom);
}

}  // namespace

SearchLayout SearchLayoutFor(int screen_w, int screen_h) {
  SearchLayout l;
  const int cx = screen_w / 2;
  const int cy = screen_h / 2;
  l.half_w = cx;
  l.half_h = cy;
  l.screen = RECT{0, 0, screen_w, screen_h};
  l.panel = RECT{cx - 400, cy - 300, cx + 400, cy + 300};
  l.folder_bar = RECT{cx - 360, cy + 250, cx + 360, cy + 280};
  l.picture_bar = RECT{cx - 360, cy - 280, cx + 360, cy - 250};
  l.unit = static_cast<float>(l.folder_bar.right - (l.folder_bar.left + 12)) / 100;
  return l;
}

int TickCentreX(const SearchLayout& layout, int i) {
  return Truncate(static_cast<float>(layout.half_w - 355) + static_cast<float>(i) * layout.unit);
}

RECT TickSquare(const SearchLayout& layout, SearchBar bar, int i) {
  const int xc = TickCentreX(layout, i);
  const int top = bar == SearchBar::kFolder ? layout.half_h + 263 : layout.half_h - 267;
  return RECT{xc - 2, top, xc + 2, top + 4};
}

bool InHoverWindow(const SearchLayout& layout, SearchBar bar, int i, int x, int y) {
  const float along = static_cast<float>(i) * layout.unit;
  const float fx = static_cast<float>(x);
  if (!(static_cast<float>(layout.half_w - 358) + along < fx && fx < static_cast<float>(layout.half_w - 354) + along)) {
    return false;
  }
  const int top = bar == SearchBar::kFolder ? layout.half_h + 263 : layout.half_h - 267;
  return top < y && y < top + 4;
}

POINT TickSnapPoint(const SearchLayout& layout, SearchBar bar, int i) {
  const int y = bar == SearchBar::kFolder ? layout.half_h + 265 : layout.half_h - 265;
  return POINT{TickCentreX(layout, i), y};
}

POINT HoverLabelOrigin(const SearchLayout& layout, SearchBar bar, int i) {
  const int x = Truncate(static_cast<float>(i - 1) * layout.unit + static_cast<float>(layout.half_w - 356));
  const int y = bar == SearchBar::kFolder ? layout.half_h + 305 : layout.half_h - 335;
  return POINT{x, y};
}

bool OnBarActiveArea(const SearchLayout& layout, SearchBar bar, int x, int y) {
  const RECT& r = layout.Bar(bar);
  const float fx = static_cast<float>(x);
  return r.left < x && x < r.right && r.top - 10 < y && y < r.bottom &&
         static_cast<float>(r.left) + layout.unit < fx && fx < static_cast<float>(r.right) - layout.unit;
}

int SelectionAt(const SearchLayout& layout, SearchBar bar, int x, int page) {
  const RECT& r = layout.Bar(bar);
  return Truncate((static_cast<float>(x - r.left) - layout.unit) / layout.unit +
               static_cast<float>(page * kSearchTicksPerPage));
}

std::array<int, 5> PageLabelXs(const SearchLayout& layout, SearchBar bar) {
  const RECT& r = layout.Bar(bar);
  const float left = static_cast<float>(r.left);
  const float u = layout.unit;
  return {Truncate(left + u), Truncate(left + 26 * u), Truncate(left + 50 * u), Truncate(left + 76 * u),
          Truncate(static_cast<float>(r.right) - 4 * u)};
}

std::array<int, 5> PageLabelValues(int page) {
  const int first = page * kSearchTicksPerPage;
  return {first, first + 25, first + 50, first + 75, first + 99};
}

int PageLabelY(const SearchLayout& layout, SearchBar bar) {
  return bar == SearchBar::kFolder ? layout.half_h + 230 : layout.half_h - 245;
}

std::optional<PreviewPlace> PreviewPlacement(int screen_w, int screen_h, int pic_w, int pic_h) {
  if (pic_h <= 0 || pic_w < 0) return std::nullopt;
  const std::int64_t scaled = std::int64_t{pic_w} * kSearchPreviewHeight / pic_h;
  const float ratio = static_cast<float>(kSearchPreviewHeight) / static_cast<float>(pic_h);
  const float drawn = static_cast<float>(pic_w) * ratio;
  if (scaled > std::numeric_limits<int>::max() / 2 || drawn >= static_cast<float>(std::numeric_limits<int>::max())) {
    return std::nullopt;  // wider than any screen could show
  }
  PreviewPlace place;
  place.left = screen_w / 2 - static_cast<int>(scaled) / 2;
  place.top = screen_h / 2 - kSearchPreviewHeight / 2;
  place.width = static_cast<int>(drawn);
  place.height = kSearchPreviewHeight;
  return place;
}

int PictureCountCache::Count(const std::string& album_dir, int folder) {
  const std::string path = FolderPath(album_dir, folder);
  std::error_code error;
  const std::filesystem::file_time_type modified = std::filesystem::last_write_time(path, error);
  if (!error && m_settled && path == m_folder_path && modified == m_modified) return m_count;
  m_count = CountPictures(PicturePattern(album_dir, folder));
  ++m_recounts;
  m_folder_path = path;
  m_modified = modified;
  // File times are coarse: a change within the same tick could keep the time just read. One a
  // second old cannot be given to a later change.
  m_settled = !error && std::filesystem::file_time_type::clock::now() - modified > std::chrono::seconds(1);
  return m_count;
}

void SearchScreen::Release() {
  m_previews.Clear();
  DeleteObject(m_buffer);
  m_buffer = nullptr;
  m_drawn_outside.clear();
  m_to_refill.clear();
}

void SearchScreen::Drawn(const SearchLayout& layout, const RECT& r) {
  const RECT& p = layout.panel;
  if (!m_recording || (p.left <= r.left && r.right <= p.right && p.top <= r.top && r.bottom <= p.bottom)) return;
  const RECT& screen = layout.screen;
  RECT clipped{std::max(r.left, screen.left), std::max(r.top, screen.top), std::min(r.right, screen.right),
               std::min(r.bottom, screen.bottom)};
  if (clipped.left < clipped.right && clipped.top < clipped.bottom) m_drawn_outside.push_back(clipped);
}

void SearchScreen::Background(HDC dc, const SearchLayout& layout) {
  Owned<HPEN> pen(CreatePen(PS_SOLID, kSearchBackgroundPenWidth, kSearchBackground));
  Owned<HBRUSH> brush(CreateSolidBrush(kSearchBackground));
  if (!m_background_kept) {
    Shape(dc, layout.screen, pen, brush);
    return;
  }
  // The selection labels' bands (their 30-pixel cells start 5 pixels off the panel), and what
  // else the frame before drew outside the panel.
  const int w = layout.screen.right;
  const RECT bands[] = {{0, layout.panel.top - 45, w, layout.panel.top},
                        {0, layout.panel.bottom, w, layout.panel.bottom + 45}};
  for (const RECT& r : bands) FillRect(dc, &r, brush);
  for (const RECT& r : m_to_refill) FillRect(dc, &r, brush);
}

void SearchScreen::Preview(ViewerState& state, HDC dc, int folder, int picture) {
  HBITMAP picture_bitmap = m_previews.Load(PicturePath(state.m_album_dir, folder, picture));
  BITMAP info{};
  if (!picture_bitmap || !GetObjectW(picture_bitmap, sizeof(info), &info)) return;
  const std::optional<PreviewPlace> place = PreviewPlacement(state.m_screen_w, state.m_screen_h, info.bmWidth,
                                                             info.bmHeight);
  if (!place) return;
  HDC source = CreateCompatibleDC(dc);
  {
    Selected with_picture(source, picture_bitmap);
    // Shrunk below three quarters, the preview is sampled from the picture's filtered copies.
    const int mode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, place->left, place->top, place->width, place->height, source, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
    SetStretchBltMode(dc, mode);
  }
  DeleteDC(source);
  const SearchLayout layout = SearchLayoutFor(state.m_screen_w, state.m_screen_h);
  Drawn(layout, RECT{place->left, place->top, place->left + place->width, place->top + place->height});
  state.m_preview_w = place->width;
  state.m_preview_h = place->height;
}

void SearchScreen::FolderBar(HDC dc, ViewerState& state) {
  const SearchLayout layout = SearchLayoutFor(state.m_screen_w, state.m_screen_h);
  Background(dc, layout);
  {
    Owned<HPEN> pen(CreatePen(PS_SOLID, 1, kSearchPanelPen));
    Owned<HBRUSH> brush(CreateSolidBrush(kSearchPanelFill));
    Shape(dc, layout.panel, pen, brush);
  }
  Bar(dc, state, SearchBar::kFolder, state.m_folder_count);
}

void SearchScreen::PictureBar(HDC dc, ViewerState& state) {
  // One count per frame at most: the folder does not change while the ticks are drawn.
  Bar(dc, state, SearchBar::kPicture, m_counts.Count(state.m_album_dir, state.m_search_folder));
}

void SearchScreen::Bar(HDC dc, ViewerState& state, SearchBar bar, int count) {
  const bool folders = bar == SearchBar::kFolder;
  const SearchLayout layout = SearchLayoutFor(state.m_screen_w, state.m_screen_h);
  const RECT& r = layout.Bar(bar);
  // The window's thread turns the pages; this frame uses the page it saw first.
  const int page = folders ? state.m_folder_page.load() : state.m_picture_page.load();
  Relaxed<int>& selected = folders ? state.m_search_folder : state.m_search_picture;

  Owned<HPEN> pen(CreatePen(PS_SOLID, 1, kSearchBarPen));
  Owned<HBRUSH> brush(CreateSolidBrush(kSearchBarFill));
  Selected with_pen(dc, pen);  // stays selected for the plain ticks
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  FillRect(dc, &r, brush);

  POINT at{};
  GetCursorPos(&at);
  SetBkMode(dc, TRANSPARENT);
  const std::array<int, 5> label_x = PageLabelXs(layout, bar);
  const std::array<int, 5> label_value = PageLabelValues(page);
  for (std::size_t k = 0; k < label_x.size(); ++k) TextAt(dc, label_x[k], PageLabelY(layout, bar), label_value[k]);

  const int pick = folders ? 0 : 1;
  if (OnBarActiveArea(layout, bar, at.x, at.y)) {
    if (folders) {
      state.m_on_folder_bar = 1;
      state.m_search_pick = 0;
      state.m_search_picture = 0;
      state.m_strip_offset = 0;
    } else {
      state.m_on_picture_bar = 1;
      state.m_search_pick = 1;
    }
    Owned<HBRUSH> highlight(CreateSolidBrush(kSearchBarHighlight));
    FillRect(dc, &r, highlight);
    if (state.m_zoom_in == 1) state.m_menu_shown = 0;
  } else {
    (folders ? state.m_on_folder_bar : state.m_on_picture_bar) = 0;
  }

  // A folder is previewed by its first picture; a picture comes from the selected folder.
  auto preview = [&](int index) {
    if (folders) {
      Preview(state, dc, index, 0);
    } else {
      Preview(state, dc, state.m_search_folder, index);
    }
  };
  for (int i = 1; i <= kSearchTicksPerPage; ++i) {
    const int index = page * kSearchTicksPerPage + i - 1;
    if (index >= count) break;
    const RECT square = TickSquare(layout, bar, i);
    if (InHoverWindow(layout, bar, i, at.x, at.y)) {
      RedTick(dc, square);
      HoverLabel(dc, HoverLabelOrigin(layout, bar, i), selected);
      const POINT snap = TickSnapPoint(layout, bar, i);
      SetCursorPos(snap.x, snap.y);
      const int chosen = SelectionAt(layout, bar, at.x, page);
      selected = chosen;
      if (chosen < count && state.m_search_pick == pick) preview(chosen);
    } else if (index == selected) {
      RedTick(dc, square);
      HoverLabel(dc, HoverLabelOrigin(layout, bar, i), selected);
      if (state.m_search_pick == pick) preview(index);
    } else {
      Rectangle(dc, square.left, square.top, square.right, square.bottom);
    }
  }
}

void SearchScreen::Frame(COrvaleDlg& dlg) {
  HDC window = GetDC(&dlg);
  if (!window) return;
  RECT client;
  dlg.GetClientRect(&client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  BITMAP kept{};
  if (m_buffer && (!GetObjectW(m_buffer, sizeof(kept), &kept) || kept.bmWidth != width || kept.bmHeight != height)) {
    DeleteObject(m_buffer);
    m_buffer = nullptr;
  }
  const bool reused = m_buffer != nullptr;
  if (!m_buffer) m_buffer = CreateCompatibleBitmap(window, width, height);
  m_drawn_outside.clear();
  {
    // The background covers every pixel, so the buffer need not be cleared first.
    CMemDC buffer(window, &client, m_buffer, CMemDC::Start::kCoveredByCaller);
    // A buffer CMemDC did not take (one it made for this frame) keeps nothing.
    m_recording = m_buffer && buffer.Buffer() == m_buffer;
    m_background_kept = reused && m_recording;
    FolderBar(buffer, dlg);
    PictureBar(buffer, dlg);
    DrawMenuPointer(dlg, buffer);
    // The sight is 37 x 37 around the pointer.
    POINT sight{};
    GetCursorPos(&sight);
    Drawn(SearchLayoutFor(dlg.m_screen_w, dlg.m_screen_h), RECT{sight.x - 20, sight.y - 20, sight.x + 21, sight.y + 21});
  }
  m_background_kept = false;
  m_recording = false;
  m_to_refill.swap(m_drawn_outside);
  m_previews.EndFrame();
  ReleaseDC(&dlg, window);
}

namespace {

// Only the search thread draws the search screen, so its state lives with that thread.
SearchScreen& ThreadSearchScreen() {
  thread_local SearchScreen screen;
  return screen;
}

}  // namespace

void SearchBarStep(COrvaleDlg& dlg) { ThreadSearchScreen().Frame(dlg); }

void SearchBarRest() {
  SearchScreen& screen = ThreadSearchScreen();
  if (screen.HoldsBuffer() || screen.CachedPreviews() > 0) screen.Release();
}
