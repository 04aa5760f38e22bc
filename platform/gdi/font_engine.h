// Turns text into coverage masks with the cell metrics of the desktop API's fonts.
//
// A font is asked for by face name, cell height, average character width and weight, as
// CreateFontW takes them. The face name is resolved through fontconfig to an installed font
// (a metric-compatible substitute where the named face is not installed).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct FontRequest {
  std::string face;   // e.g. "Times New Roman"
  int height = 0;     // > 0: cell height (ascent + descent) in pixels; 0: a default of 16
  int width = 0;      // > 0: average character width in pixels; 0: the font's own
  int weight = 400;   // 400 normal, 700 bold
  bool italic = false;
};

// Text rendered into a mask the size of its cell: one coverage byte (0..255) per pixel.
struct TextMask {
  int width = 0;    // sum of the advances in pixels, or more where ink reaches past them
  int height = 0;   // ascent + descent
  int ascent = 0;   // baseline row, from the top of the cell
  std::vector<std::uint8_t> coverage;  // width * height bytes, row after row
};

class LoadedFont;

class FontEngine {
 public:
  // Process-wide engine; safe to call from any thread.
  static FontEngine& Instance();

  // The font for a request, or null when no usable font file exists on this machine.
  std::shared_ptr<const LoadedFont> Load(const FontRequest& request);

  // `utf8` laid out on one line from the cell's left edge. An unusable font gives an empty mask.
  TextMask Render(const LoadedFont& font, std::string_view utf8);

  // Cell height and ascent of a loaded font.
  static int CellHeight(const LoadedFont& font);
  static int Ascent(const LoadedFont& font);

 private:
  FontEngine();
  ~FontEngine();
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
