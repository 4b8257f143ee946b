// Paints the setup window: horizontal bands of blue, darker towards the
// bottom, under the maker's banner in white with a black drop shadow.
#include <windows.h>

#include "setup.h"
#include "window/window.h"

#define BANNER_HEIGHT 36
#define BANNER_FACE "Times New Roman"
#define SHADOW_X 9
#define SHADOW_Y 8
#define TEXT_X 5
#define TEXT_Y 5
#define LAST_BLUE_BAND 256

// Taller client areas get taller bands, so the gradient spans the window.
static int BandHeight(int cyClient)
{
    if (cyClient < 512)
        return 2;
    if (cyClient < 768)
        return 3;
    return 6;
}

// The top two bands are full blue, then one level darker per band down to
// black in band 257; any band below that stays black rather than wrapping.
static BYTE BandLevel(int iBand)
{
    if (iBand == 0)
        return 255;
    if (iBand > LAST_BLUE_BAND)
        return 0;
    return (BYTE)((256 - iBand) % 256);
}

void PaintSetupBackground(HWND hwnd)
{
    PAINTSTRUCT ps;
    RECT rcClient;
    RECT rcBand;
    HDC hdc;
    HPEN hpenOld;
    HFONT hfont;
    HFONT hfontOld;
    int cyClient, cyBand, cBands, iBand;

    hdc = BeginPaint(hwnd, &ps);
    GetClientRect(hwnd, &rcClient);

    cyClient = rcClient.bottom - rcClient.top;
    cyBand = BandHeight(cyClient);
    cBands = (cyClient + cyBand - 1) / cyBand;

    hpenOld = (HPEN)SelectObject(hdc, GetStockObject(NULL_PEN));

    // One brush at a time; the platform clips the last band to the client.
    for (iBand = 0; iBand < cBands; iBand++)
    {
        HBRUSH hbr;

        rcBand.left = rcClient.left;
        rcBand.right = rcClient.right;
        rcBand.top = iBand * cyBand;
        rcBand.bottom = (iBand + 1) * cyBand;

        hbr = CreateSolidBrush(RGB(0, 0, BandLevel(iBand)));
        FillRect(hdc, &rcBand, hbr);
        DeleteObject(hbr);
    }

    SelectObject(hdc, hpenOld);

    hfont = CreateFontA(BANNER_HEIGHT, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, BANNER_FACE);
    SetBkMode(hdc, TRANSPARENT);
    hfontOld = (HFONT)SelectObject(hdc, hfont);

    SetTextColor(hdc, RGB(0, 0, 0));
    TextOutA(hdc, SHADOW_X, SHADOW_Y, szBannerText, lstrlenA(szBannerText));

    SetTextColor(hdc, RGB(255, 255, 255));
    TextOutA(hdc, TEXT_X, TEXT_Y, szBannerText, lstrlenA(szBannerText));

    SelectObject(hdc, hfontOld);
    DeleteObject(hfont);

    EndPaint(hwnd, &ps);
}
