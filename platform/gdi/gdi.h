// What the drawing area offers the window manager: device contexts on the
// screen surface, brush fills and the caption text, none of them traced.
#ifndef W32_GDI_GDI_H
#define W32_GDI_GDI_H

#include <windows.h>

#include <cstddef>
#include <string>

#include "gdi/region.h"

namespace w32::gdi {

// The platform's stock object indices for GetStockObject (windows.h names
// only NULL_PEN, the one the program uses).
enum StockIndex {
  kWhiteBrush = 0,
  kLtGrayBrush = 1,
  kGrayBrush = 2,
  kDkGrayBrush = 3,
  kBlackBrush = 4,
  kNullBrush = 5,
  kWhitePen = 6,
  kBlackPen = 7,
  kNullPen = 8,
  kOemFixedFont = 10,
  kAnsiFixedFont = 11,
  kAnsiVarFont = 12,
  kSystemFont = 13,
  kDeviceDefaultFont = 14,
  kSystemFixedFont = 16,
  kDefaultGuiFont = 17,
};

// The platform's system colour indices (SysColor, and brushes COLOR_x + 1).
enum SysColorIndex {
  kColorScrollbar = 0,
  kColorBackground = 1,
  kColorActiveCaption = 2,
  kColorInactiveCaption = 3,
  kColorMenu = 4,
  kColorWindow = 5,
  kColorWindowFrame = 6,
  kColorMenuText = 7,
  kColorWindowText = 8,
  kColorCaptionText = 9,
  kColorActiveBorder = 10,
  kColorInactiveBorder = 11,
  kColorAppWorkspace = 12,
  kColorHighlight = 13,
  kColorHighlightText = 14,
  kColorBtnFace = 15,
  kColorBtnShadow = 16,
  kColorGrayText = 17,
  kColorBtnText = 18,
  kColorInactiveCaptionText = 19,
  kColorBtnHighlight = 20,
  kColor3dDkShadow = 21,
  kColor3dLight = 22,
  kColorInfoText = 23,
  kColorInfoBk = 24,
  kSysColorCount = 25,
};

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

// What a logical font became: the face fontconfig chose and the cell's
// ascent and descent in pixels (their sum is the cell height).
struct FontInfo {
  std::string family;
  std::string style;
  int ascent = 0;
  int descent = 0;
};
bool DescribeFont(HFONT font, FontInfo* info);

// Drawing objects created and not yet deleted (stock objects not counted),
// and faults such as deleting an object still selected into a DC.
std::size_t LiveObjects();
std::size_t Faults();

// Drops every object and DC (between test runs).
void Reset();

}  // namespace w32::gdi

#endif  // W32_GDI_GDI_H
