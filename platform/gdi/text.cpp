// Logical fonts and text output: CreateFontA, TextOutA and the caption
// title the window manager draws.
#include <algorithm>
#include <climits>
#include <cstring>

#include "display/display.h"
#include "gdi/font.h"
#include "gdi/gdi.h"
#include "gdi/objects.h"
#include "kernel/error.h"
#include "kernel/trace.h"

namespace w32::gdi {
namespace {

// The longest face name a logical font holds (the terminating zero aside).
constexpr std::size_t kMaxFaceName = 31;

LONG Clamp(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

// Draws count bytes with the cell's top-left corner at (x, y) on the screen;
// only the glyphs' ink is drawn, limited to clip and, when given, to limit.
void DrawString(RealizedFont& font, long long x, long long y, const unsigned char* text,
                int count, std::uint32_t pixel, const Region& clip, const RECT* limit) {
  display::Surface& screen = display::Screen();
  const long long baseline = y + font.ascent();
  long long pen = x;
  for (int i = 0; i < count; ++i) {
    const Glyph& g = font.GlyphOf(text[i]);
    const long long gx = pen + g.left;
    const long long gy = baseline - g.top;
    pen += g.advance;
    if (g.width == 0 || g.rows == 0) continue;
    RECT box{Clamp(gx), Clamp(gy), Clamp(gx + g.width), Clamp(gy + g.rows)};
    if (limit != nullptr) box = Region::Intersection(box, *limit);
    ForEachVisible(clip, box, [&](const RECT& part) {
      for (const Glyph::Run& run : g.runs) {
        const long long y = gy + run.row;
        if (y < part.top || y >= part.bottom) continue;
        const long long from = std::max<long long>(gx + run.left, part.left);
        const long long to = std::min<long long>(gx + run.right, part.right);
        if (from < to) std::fill_n(screen.Row(static_cast<int>(y)) + from, to - from, pixel);
      }
      display::MarkDirty(part);
    });
  }
}

// The advance of count bytes.
long long TextWidth(RealizedFont& font, const unsigned char* text, int count) {
  long long width = 0;
  for (int i = 0; i < count; ++i) width += font.GlyphOf(text[i]).advance;
  return width;
}

BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) {
  Dc* dc = FindDc(hdc);
  if (dc == nullptr) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (count < 0 || (text == nullptr && count > 0)) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RealizedFont* font = Realize(FindFont(dc->font));
  if (font == nullptr) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const long long left = static_cast<long long>(x) + dc->origin.x;
  const long long top = static_cast<long long>(y) + dc->origin.y;
  if (dc->bkMode == OPAQUE) {
    RECT cell{Clamp(left), Clamp(top), Clamp(left + TextWidth(*font, bytes, count)),
              Clamp(top + font->ascent() + font->descent())};
    FillPixels(dc->clip, cell, display::PixelFromColor(dc->bkColor));
  }
  DrawString(*font, left, top, bytes, count, display::PixelFromColor(dc->textColor), dc->clip,
             nullptr);
  return TRUE;
}

}  // namespace

RealizedFont* Realize(Font* font) {
  if (font == nullptr) return nullptr;
  if (!font->realized) font->realized = RealizeCached(font->log);
  return font->realized.get();
}

bool DescribeFont(HFONT hfont, FontInfo* info) {
  RealizedFont* font = Realize(FindFont(hfont));
  if (font == nullptr) return false;
  info->family = font->family();
  info->style = font->style();
  info->ascent = font->ascent();
  info->descent = font->descent();
  return true;
}

void DrawCaptionText(const RECT& captionRect, const char* text, COLORREF color,
                     const Region& clip) {
  // The caption font: bold sans serif in a 13-pixel cell.
  static const LogFont kCaptionFont{13, FW_BOLD, false, false, false, 0, "Arial"};
  if (text == nullptr) return;
  std::shared_ptr<RealizedFont> font = RealizeCached(kCaptionFont);
  if (!font) return;
  const int cell = font->ascent() + font->descent();
  const long long top =
      captionRect.top + (static_cast<long long>(captionRect.bottom) - captionRect.top - cell) / 2;
  DrawString(*font, captionRect.left, top, reinterpret_cast<const unsigned char*>(text),
             static_cast<int>(std::strlen(text)), display::PixelFromColor(color), clip,
             &captionRect);
}

}  // namespace w32::gdi

using namespace w32;

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation,
                         int cWeight, DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut,
                         DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                         DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  HFONT result = nullptr;
  if (cWeight < 0 || cWeight > 1000) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
  } else {
    gdi::LogFont log;
    log.height = cHeight;
    log.weight = cWeight;
    log.italic = bItalic != 0;
    log.underline = bUnderline != 0;
    log.strikeOut = bStrikeOut != 0;
    log.pitchAndFamily = iPitchAndFamily;
    if (pszFaceName != nullptr) {
      log.face.assign(pszFaceName, strnlen(pszFaceName, gdi::kMaxFaceName));
    }
    result = gdi::AddFont(log);
  }
  if (trace::Enabled()) {
    trace::Call("CreateFontA",
                {trace::Num(cHeight), trace::Num(cWidth), trace::Num(cEscapement),
                 trace::Num(cOrientation), trace::Num(cWeight), trace::Num(bItalic),
                 trace::Num(bUnderline), trace::Num(bStrikeOut), trace::Num(iCharSet),
                 trace::Num(iOutPrecision), trace::Num(iClipPrecision), trace::Num(iQuality),
                 trace::Num(iPitchAndFamily), trace::Str(pszFaceName)},
                trace::Handle(result));
  }
  return result;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  BOOL result = gdi::TextOut(hdc, x, y, lpString, c);
  if (trace::Enabled()) {
    trace::Call("TextOutA",
                {trace::Handle(hdc), trace::Num(x), trace::Num(y),
                 trace::Str(lpString, c < 0 ? 0 : c), trace::Num(c)},
                trace::Bool(result));
  }
  return result;
}
