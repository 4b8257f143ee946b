// What the drawing area offers the window manager: device contexts on the
// screen surface, brush fills and the caption text, none of them traced.
#ifndef W32_GDI_GDI_H
#define W32_GDI_GDI_H

#include <windows.h>

#include <cstddef>

#include "gdi/region.h"

namespace w32::gdi {

// A device context whose logical (0, 0) is at origin on the screen and whose
// drawing is limited to clip (screen coordinates) and to the screen itself.
HDC CreateScreenDC(POINT origin, const Region& clip);
// Releases a DC made by CreateScreenDC; the objects selected into it stay alive.
void DestroyScreenDC(HDC hdc);

// Fills a logical rectangle of the DC with a brush: a solid brush handle or a
// system colour brush (COLOR_x + 1). False for a bad DC or brush.
bool FillWithBrush(HDC hdc, const RECT& rect, HBRUSH brush);

// The window frame's drawing: a solid fill and the caption's title text,
// in screen coordinates, limited to clip.
void FillScreen(const RECT& screenRect, COLORREF color, const Region& clip);
void DrawCaptionText(const RECT& captionRect, const char* text, COLORREF color,
                     const Region& clip);

// The platform's system colours (COLOR_WINDOW is white, as shipped).
COLORREF SysColor(int index);

// Drawing objects created and not yet deleted (stock objects not counted),
// and faults such as deleting an object still selected into a DC.
std::size_t LiveObjects();
std::size_t Faults();

// Drops every object and DC (between test runs).
void Reset();

}  // namespace w32::gdi

#endif  // W32_GDI_GDI_H
