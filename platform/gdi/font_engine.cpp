#include "platform/gdi/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <compare>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

#include "platform/gdi/font_metrics.h"
#include "platform/gdi/font_utf8.h"
#include "platform/kernel/critical_section.h"

namespace {

constexpr int kDefaultHeight = 16;
// Larger requests would make masks of many megabytes per string; they are refused.
constexpr std::int64_t kMaxHeight = 2048;
constexpr std::int64_t kMaxWidth = 2048;
// Text past this many pixels from the cell's left edge is cut off.
constexpr int kMaxMaskWidth = 32767;
// Shear of simulated italics: tan(12 degrees) in 16.16.
constexpr FT_Fixed kObliqueShear = 0x0366A;
constexpr FT_Fixed kOne = 0x10000;

// A request reduced to what tells fonts apart.
struct FontKey {
  std::string face;
  int height = 0;  // > 0 cell height, < 0 em height
  int width = 0;   // >= 0
  bool bold = false;
  bool italic = false;

  auto operator<=>(const FontKey&) const = default;
};

// Coverage of two overlapping inks: 1 - (1 - a)(1 - b) on the 0..255 scale.
std::uint8_t UnionCoverage(std::uint8_t a, std::uint8_t b) {
  return static_cast<std::uint8_t>(a + b - (a * b + 127) / 255);
}

}  // namespace

class LoadedFont {
 public:
  // One rendered glyph: coverage rows and where they sit relative to the pen on the baseline.
  struct GlyphBitmap {
    int left = 0;  // columns from the pen position to the first column
    int top = 0;   // rows from the baseline up to the first row
    int width = 0;
    int rows = 0;
    FT_Pos advance = 0;  // 26.6 pixels
    std::vector<std::uint8_t> coverage;
  };

  LoadedFont() = default;
  LoadedFont(const LoadedFont&) = delete;
  LoadedFont& operator=(const LoadedFont&) = delete;
  ~LoadedFont() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }

  // The glyph with FreeType index `index`, rendered on first use. Call with `lock` held.
  const GlyphBitmap& Glyph(FT_UInt index) const;
  GlyphBitmap RenderGlyph(FT_UInt index) const;

  // Each font has its own library so that only `lock` orders the threads that use it.
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FontCellMetrics metrics;
  FT_Fixed x_scale = kOne;     // horizontal scale for a requested average width, 16.16
  bool simulate_bold = false;  // bold asked for, the file is not bold

  mutable CCriticalSection lock;  // guards `face` and `glyphs`
  mutable std::unordered_map<FT_UInt, GlyphBitmap> glyphs;
};

const LoadedFont::GlyphBitmap& LoadedFont::Glyph(FT_UInt index) const {
  if (const auto found = glyphs.find(index); found != glyphs.end()) return found->second;
  return glyphs.emplace(index, RenderGlyph(index)).first->second;
}

LoadedFont::GlyphBitmap LoadedFont::RenderGlyph(FT_UInt index) const {
  GlyphBitmap glyph;
  // A glyph FreeType cannot load is cached as nothing to draw.
  if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0) return glyph;
  const FT_GlyphSlot slot = face->glyph;
  // The unhinted advance, scaled like the outline: the string's width is rounded only once.
  glyph.advance = (FT_MulFix(slot->linearHoriAdvance, x_scale) + 512) >> 10;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;

  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
    return glyph;
  }
  const int width = static_cast<int>(bitmap.width);
  const int rows = static_cast<int>(bitmap.rows);
  // Simulated bold draws the glyph twice, one pixel apart, and advances one pixel more.
  const int extra = simulate_bold ? 1 : 0;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  const bool has_ink = width > 0 && rows > 0;
  glyph.width = has_ink ? width + extra : 0;
  glyph.rows = has_ink ? rows : 0;
  glyph.advance += extra * 64;
  glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
  const unsigned pitch = static_cast<unsigned>(bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch);
  for (int y = 0; y < glyph.rows; ++y) {
    // A negative pitch stores the rows bottom up.
    const int source_row = bitmap.pitch < 0 ? rows - 1 - y : y;
    const unsigned char* source = bitmap.buffer + static_cast<std::size_t>(source_row) * pitch;
    std::uint8_t* target = glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t value = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY
                                     ? source[x]
                                     : ((source[x >> 3] >> (7 - (x & 7))) & 1) * 255;
      target[x] = UnionCoverage(target[x], value);
      if (extra) target[x + 1] = value;
    }
  }
  return glyph;
}

struct FontEngine::Impl {
  CCriticalSection lock;  // guards everything below
  FcConfig* config = nullptr;
  std::map<FontKey, std::shared_ptr<const LoadedFont>> fonts;  // null where no font was usable
  std::set<std::string> reported;  // face and reason of each failure already reported
};

namespace {

// The installed font for `key`, or null with `error` saying why.
std::shared_ptr<const LoadedFont> OpenFont(FcConfig* config, const FontKey& key,
                                           std::string& error) {
  if (key.height == 0 || std::abs(std::int64_t{key.height}) > kMaxHeight || key.width > kMaxWidth) {
    error = "size out of range";
    return nullptr;
  }
  if (!config) {
    error = "fontconfig has no configuration";
    return nullptr;
  }

  FcPattern* pattern = FcPatternCreate();
  if (!pattern) {
    error = "out of memory";
    return nullptr;
  }
  if (!key.face.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(key.face.c_str()));
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, key.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, key.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) {
    error = "fontconfig found no font";
    return nullptr;
  }
  FcChar8* file = nullptr;
  int index = 0;
  std::string path;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    path = reinterpret_cast<const char*>(file);
  }
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternDestroy(match);
  if (path.empty()) {
    error = "fontconfig found no font file";
    return nullptr;
  }

  auto font = std::make_shared<LoadedFont>();
  if (FT_Init_FreeType(&font->library) != 0) {
    font->library = nullptr;
    error = "FreeType did not start";
    return nullptr;
  }
  if (FT_New_Face(font->library, path.c_str(), index, &font->face) != 0) {
    font->face = nullptr;
    error = "cannot open " + path;
    return nullptr;
  }
  FT_Face face = font->face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    error = path + " is not scalable";
    return nullptr;
  }

  const int units_per_em = face->units_per_EM;
  int win_ascent = face->ascender;
  int win_descent = -face->descender;
  int average_width = 0;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    win_ascent = os2->usWinAscent;
    win_descent = os2->usWinDescent;
    average_width = os2->xAvgCharWidth;
  }
  if (win_ascent + win_descent <= 0) {
    error = path + " states no height";
    return nullptr;
  }
  // A negative height asks for the em height rather than the cell height.
  font->metrics = key.height > 0
                      ? MetricsForCellHeight(key.height, units_per_em, win_ascent, win_descent)
                      : MetricsForEmHeight(-key.height, units_per_em, win_ascent, win_descent);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font->metrics.ppem)) != 0) {
    error = path + " cannot be scaled";
    return nullptr;
  }
  font->x_scale = static_cast<FT_Fixed>(
      HorizontalScaleForWidth(key.width, average_width, font->metrics.ppem, units_per_em));
  // Styles the file lacks are simulated, as the desktop API does. The file is asked rather than
  // fontconfig, whose match reports the requested style where it would synthesize it.
  const bool file_bold =
      (face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->usWeightClass >= 600);
  font->simulate_bold = key.bold && !file_bold;
  const bool simulate_italic = key.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  FT_Matrix matrix{font->x_scale, simulate_italic ? kObliqueShear : 0, 0, kOne};
  FT_Set_Transform(face, &matrix, nullptr);
  return font;
}

}  // namespace

FontEngine& FontEngine::Instance() {
  static FontEngine engine;
  return engine;
}

FontEngine::FontEngine() : m_impl(std::make_unique<Impl>()) {
  m_impl->config = FcInitLoadConfigAndFonts();
}

FontEngine::~FontEngine() {
  m_impl->fonts.clear();
  if (m_impl->config) FcConfigDestroy(m_impl->config);
}

std::shared_ptr<const LoadedFont> FontEngine::Load(const FontRequest& request) {
  FontKey key;
  key.face = request.face;
  key.height = request.height == 0 ? kDefaultHeight : request.height;
  // A negative width means the same as a positive one; out-of-range widths fail in OpenFont.
  const std::int64_t width = request.width < 0 ? -std::int64_t{request.width} : request.width;
  key.width = static_cast<int>(std::min(width, kMaxWidth + 1));
  key.bold = request.weight >= 600;
  key.italic = request.italic;

  std::lock_guard hold(m_impl->lock);
  if (const auto found = m_impl->fonts.find(key); found != m_impl->fonts.end()) {
    return found->second;
  }
  std::string error;
  std::shared_ptr<const LoadedFont> font = OpenFont(m_impl->config, key, error);
  if (!font && m_impl->reported.insert(key.face + '\n' + error).second) {
    std::fprintf(stderr, "quenmira: no usable font for \"%s\" (%s); its text is not drawn\n",
                 key.face.c_str(), error.c_str());
  }
  m_impl->fonts.emplace(std::move(key), font);
  return font;
}

TextMask FontEngine::Render(const LoadedFont& font, std::string_view utf8) {
  if (!font.face) return {};
  TextMask mask;
  mask.ascent = font.metrics.ascent;
  mask.height = font.metrics.CellHeight();
  const std::u32string text = DecodeUtf8ForDrawing(utf8);

  struct Placed {
    const LoadedFont::GlyphBitmap* glyph;
    int origin;  // pen position on the baseline, in pixels from the left edge
  };
  std::vector<Placed> placed;
  placed.reserve(text.size());

  std::lock_guard hold(font.lock);
  std::int64_t pen = 0;  // 26.6
  std::int64_t ink_right = 0;
  for (const char32_t code_point : text) {
    const auto origin = static_cast<int>((pen + 32) >> 6);
    if (origin >= kMaxMaskWidth) break;
    // Characters the font lacks get index 0, the font's .notdef glyph.
    const LoadedFont::GlyphBitmap& glyph = font.Glyph(FT_Get_Char_Index(font.face, code_point));
    placed.push_back({&glyph, origin});
    if (glyph.width > 0) {
      ink_right = std::max<std::int64_t>(ink_right, origin + glyph.left + glyph.width);
    }
    pen += glyph.advance;
  }
  // The cell spans the advances, and more where ink reaches past the last one.
  const std::int64_t advance_width = (pen + 32) >> 6;
  mask.width =
      static_cast<int>(std::min<std::int64_t>(kMaxMaskWidth, std::max(advance_width, ink_right)));
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);

  // Ink left of the cell, above or below it is clipped.
  for (const Placed& p : placed) {
    const LoadedFont::GlyphBitmap& glyph = *p.glyph;
    const int x0 = p.origin + glyph.left;
    const int y0 = mask.ascent - glyph.top;
    const int column_begin = std::max(0, -x0);
    const int column_end = std::min(glyph.width, mask.width - x0);
    const int row_begin = std::max(0, -y0);
    const int row_end = std::min(glyph.rows, mask.height - y0);
    for (int y = row_begin; y < row_end; ++y) {
      const std::uint8_t* source =
          glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width;
      std::uint8_t* target = mask.coverage.data() + static_cast<std::size_t>(y0 + y) * mask.width;
      for (int x = column_begin; x < column_end; ++x) {
        target[x0 + x] = UnionCoverage(target[x0 + x], source[x]);
      }
    }
  }
  return mask;
}

int FontEngine::CellHeight(const LoadedFont& font) { return font.metrics.CellHeight(); }

int FontEngine::Ascent(const LoadedFont& font) { return font.metrics.ascent; }
