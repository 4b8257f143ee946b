// The drawing area's own state, shared by its files: the object table
// (brushes, pens, fonts, device contexts) and the pixel helpers the fills
// and the text use. Not for other areas: they go through gdi.h.
#ifndef W32_GDI_OBJECTS_H
#define W32_GDI_OBJECTS_H

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gdi/region.h"

namespace w32::gdi {

class RealizedFont;

struct Brush {
  COLORREF color = 0;
  bool hollow = false;  // NULL_BRUSH: paints nothing
  bool stock = false;
};

struct Pen {
  COLORREF color = 0;
  bool null = false;
  bool stock = false;
};

// What CreateFontA was asked for.
struct LogFont {
  int height = 0;
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  DWORD pitchAndFamily = 0;
  std::string face;
};

struct Font {
  LogFont log;
  bool stock = false;
  // The face it renders with; found on first use and kept while it lives.
  std::shared_ptr<RealizedFont> realized;
};

struct Dc {
  POINT origin{};  // where logical (0, 0) is on the screen
  Region clip;     // screen coordinates
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  int bkMode = OPAQUE;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
};

// The live object behind a handle, or nullptr (stale, foreign, wrong kind).
Dc* FindDc(HDC hdc);
Brush* FindBrush(HBRUSH brush);
Font* FindFont(HFONT font);

// Adds a font object made by CreateFontA.
HFONT AddFont(const LogFont& log);

// The realized face of a font object (found on first use); nullptr when no
// face can be had.
RealizedFont* Realize(Font* font);

// A logical rectangle moved by origin to the screen, without overflow.
RECT ToScreen(const RECT& logical, POINT origin);

// Calls f(rect) for each part of rect inside clip and the screen.
template <class F>
void ForEachVisible(const Region& clip, const RECT& rect, F f);

// Fills a screen rectangle inside clip with one surface pixel value.
void FillPixels(const Region& clip, const RECT& rect, std::uint32_t pixel);

}  // namespace w32::gdi

#include "display/display.h"

namespace w32::gdi {

template <class F>
void ForEachVisible(const Region& clip, const RECT& rect, F f) {
  const display::Surface& screen = display::Screen();
  RECT bounded = Region::Intersection(rect, RECT{0, 0, screen.width, screen.height});
  if (Region::IsEmpty(bounded)) return;
  for (const RECT& c : clip.rects()) {
    RECT part = Region::Intersection(bounded, c);
    if (!Region::IsEmpty(part)) f(part);
  }
}

}  // namespace w32::gdi

#endif  // W32_GDI_OBJECTS_H
