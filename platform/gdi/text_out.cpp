// Fonts and text: CreateFontW, TextOutW and the text extent.
#include "platform/gdi/text_out.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/raster_loops.h"

namespace {

std::string_view Prefix(std::string_view text, int length) {
  if (length < 0) return text;
  return text.substr(0, std::min(text.size(), static_cast<std::size_t>(length)));
}

}  // namespace

void CompositeTextMask(const DrawTarget& target, int x, int y, const TextMask& mask, Pixel color,
                       std::optional<Pixel> background) {
  if (mask.width <= 0 || mask.height <= 0) return;
  if (mask.coverage.size() < static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height)) return;
  // Mask columns and rows that land inside the target.
  const int left = static_cast<int>(std::clamp<std::int64_t>(-std::int64_t{x}, 0, mask.width));
  const int right = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{target.pixels.width} - x, 0, mask.width));
  const int top = static_cast<int>(std::clamp<std::int64_t>(-std::int64_t{y}, 0, mask.height));
  const int bottom = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{target.pixels.height} - y, 0, mask.height));
  if (right <= left || bottom <= top) return;
  const int n = right - left;
  for (int row = top; row < bottom; ++row) {
    Pixel* out = target.pixels.Row(y + row) + (x + left);
    const std::uint8_t* coverage = mask.coverage.data() + static_cast<std::size_t>(row) * mask.width + left;
    if (background) FillRow(out, n, *background);
    if (!target.monochrome) {
      CoverageRow(out, coverage, n, color);
      continue;
    }
    for (int i = 0; i < n; ++i) {
      if (coverage[i] >= 128) out[i] = color;
    }
  }
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, std::string_view face) {
  FontRequest request;
  request.face = std::string(face);
  // A negative height asks for the character (em) height; the engine only takes cell heights, so its
  // magnitude stands in for the cell.
  request.height = std::abs(height);
  request.width = std::abs(width);
  request.weight = weight == FW_DONTCARE ? FW_NORMAL : std::clamp(weight, 1, 1000);
  request.italic = italic != 0;
  return new FontObject(std::move(request), underline != 0, strikeOut != 0);
}

BOOL TextOutW(HDC dc, int x, int y, std::string_view text, int length) {
  if (!dc) return FALSE;
  const std::shared_ptr<const LoadedFont> font = dc->font->Loaded();
  if (!font) return FALSE;
  const TextMask mask = FontEngine::Instance().Render(*font, Prefix(text, length));
  POINT origin{x, y};
  LPtoDP(dc, &origin, 1);  // the cell's top-left goes through the mapping; glyphs are not rotated
  return DrawOnDc(dc, [&](const DrawTarget& target) {
    std::optional<Pixel> background;
    if (dc->bkMode == OPAQUE) background = TargetPixel(dc->bkColor, target.monochrome);
    CompositeTextMask(target, origin.x, origin.y, mask, TargetPixel(dc->textColor, target.monochrome), background);
  }) ? TRUE : FALSE;
}

BOOL TextOutA(HDC dc, int x, int y, std::string_view text, int length) { return TextOutW(dc, x, y, text, length); }

BOOL GetTextExtentPoint32W(HDC dc, std::string_view text, int length, SIZE* size) {
  if (!dc || !size) return FALSE;
  const std::shared_ptr<const LoadedFont> font = dc->font->Loaded();
  if (!font) return FALSE;
  const std::string_view shown = Prefix(text, length);
  const int width = shown.empty() ? 0 : FontEngine::Instance().Render(*font, shown).width;
  *size = SIZE{width, FontEngine::CellHeight(*font)};
  return TRUE;
}
