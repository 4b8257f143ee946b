// Placeholder until the drawing area lands.
#include <windows.h>

#include "gdi/gdi.h"

HGDIOBJ WINAPI GetStockObject(int) { return nullptr; }
HGDIOBJ WINAPI SelectObject(HDC, HGDIOBJ) { return nullptr; }
BOOL WINAPI DeleteObject(HGDIOBJ) { return FALSE; }
HBRUSH WINAPI CreateSolidBrush(COLORREF) { return nullptr; }
HFONT WINAPI CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                         DWORD, DWORD, LPCSTR) {
  return nullptr;
}
int WINAPI SetBkMode(HDC, int) { return 0; }
COLORREF WINAPI SetTextColor(HDC, COLORREF) { return 0; }
BOOL WINAPI TextOutA(HDC, int, int, LPCSTR, int) { return FALSE; }
int WINAPI FillRect(HDC, const RECT*, HBRUSH) { return 0; }

namespace w32::gdi {
HDC CreateScreenDC(POINT, const Region&) { return nullptr; }
void DestroyScreenDC(HDC) {}
bool FillWithBrush(HDC, const RECT&, HBRUSH) { return false; }
void FillScreen(const RECT&, COLORREF, const Region&) {}
void DrawCaptionText(const RECT&, const char*, COLORREF, const Region&) {}
COLORREF SysColor(int) { return 0xFFFFFF; }
std::size_t LiveObjects() { return 0; }
std::size_t Faults() { return 0; }
void Reset() {}
}  // namespace w32::gdi
