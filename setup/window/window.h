// The setup window: class, window procedure and background painting.
#ifndef SETUP_WINDOW_WINDOW_H
#define SETUP_WINDOW_WINDOW_H

#include <windows.h>

// Posted by the window's creation; its handling runs the setup once.
#define WM_STARTSETUP (WM_USER + 103)

extern HINSTANCE g_hInstance;
extern int g_bSetupStarted;

BOOL RegisterSetupClass(void);
LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSetupBackground(HWND hwnd);

#endif  // SETUP_WINDOW_WINDOW_H
