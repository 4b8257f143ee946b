// Placeholder until the window manager lands.
#include <windows.h>

#include "user/user.h"

ATOM WINAPI RegisterClassA(const WNDCLASSA*) { return 0; }
HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR WINAPI SetCursor(HCURSOR) { return nullptr; }
int WINAPI GetSystemMetrics(int) { return 0; }
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                            HINSTANCE, LPVOID) {
  return nullptr;
}
BOOL WINAPI ShowWindow(HWND, int) { return FALSE; }
BOOL WINAPI UpdateWindow(HWND) { return FALSE; }
BOOL WINAPI DestroyWindow(HWND) { return FALSE; }
BOOL WINAPI GetMessageA(LPMSG, HWND, UINT, UINT) { return FALSE; }
BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }
LRESULT WINAPI DispatchMessageA(const MSG*) { return 0; }
BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void WINAPI PostQuitMessage(int) {}
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL WINAPI GetClientRect(HWND, LPRECT) { return FALSE; }
HDC WINAPI BeginPaint(HWND, LPPAINTSTRUCT) { return nullptr; }
BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) { return FALSE; }

namespace w32::user {
HCURSOR CurrentCursor() { return nullptr; }
void Reset() {}
bool UserResize(HWND, int, int) { return false; }
bool UserClose(HWND) { return false; }
void CloseAllWindows() {}
bool IsLiveWindow(HWND) { return false; }
bool WindowRect(HWND, RECT*) { return false; }
}  // namespace w32::user
