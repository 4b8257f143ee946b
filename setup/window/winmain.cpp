// The program's entry and its one window, which covers the screen while the
// setup runs and whose destruction ends the program.
#include <windows.h>

#include "install/install.h"
#include "setup.h"
#include "window/window.h"

HINSTANCE g_hInstance = NULL;
HWND g_hMainWnd = NULL;
int g_bSetupStarted = 0;

BOOL RegisterSetupClass(void)
{
    WNDCLASSA wc;

    wc.style = 0;
    wc.lpfnWndProc = SetupWndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = g_hInstance;
    // The program carries no icon resource; the class then simply has none.
    wc.hIcon = LoadIconA(g_hInstance, "SETUP_ICON");
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = NULL;
    wc.lpszClassName = szSetupClassName;

    return RegisterClassA(&wc) != 0;
}

LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE:
        // Queued, not sent: the loop fetches it only after the first paint.
        PostMessageA(hwnd, WM_STARTSETUP, 0, 0);
        return 0;

    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;

    case WM_PAINT:
        PaintSetupBackground(hwnd);
        return 0;

    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;

    case WM_STARTSETUP:
        // Another program may post the same message; the setup runs once.
        if (!g_bSetupStarted)
        {
            g_bSetupStarted = 1;
            RunSetup();
        }
        return 0;
    }

    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    MSG msg;

    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;

    g_hInstance = hInstance;

    if (!RegisterSetupClass())
        return 0;

    g_hMainWnd = CreateWindowExA(0, szSetupClassName, szSetupTitle, WS_OVERLAPPEDWINDOW,
                                 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), NULL, NULL, g_hInstance, NULL);
    if (g_hMainWnd == NULL)
        return 0;

    // Always shown normally, whatever show command the program was given.
    ShowWindow(g_hMainWnd, SW_SHOWNORMAL);

    // UpdateWindow sends WM_PAINT straight to the window procedure, so the
    // first paint is finished before the message loop fetches anything.
    UpdateWindow(g_hMainWnd);

    while (GetMessageA(&msg, NULL, 0, 0))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    return 0;
}
