// What the window manager offers the rest of the platform.
#ifndef W32_USER_USER_H
#define W32_USER_USER_H

#include <windows.h>

namespace w32::user {

// The cursor now showing, as SetCursor last made it.
HCURSOR CurrentCursor();

// Destroys every window and class and empties the queue (between test runs).
void Reset();

// A user's actions on a window (from the display, or from tests).
bool UserResize(HWND hwnd, int width, int height);
bool UserClose(HWND hwnd);
// Any visible top-level window gets WM_CLOSE (SIGINT, SIGTERM).
void CloseAllWindows();

bool IsLiveWindow(HWND hwnd);
bool WindowRect(HWND hwnd, RECT* rect);

}  // namespace w32::user

#endif  // W32_USER_USER_H
