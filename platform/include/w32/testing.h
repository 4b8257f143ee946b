// Test access to the platform: restart it with the current environment, look
// at state a program cannot see, and act as the user would.
#ifndef W32_TESTING_H
#define W32_TESTING_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace w32test {

// Stops the platform (commits open keys, drops windows, objects and the
// queue) and starts it again from the environment. False with the reason.
bool Restart(std::string* error = nullptr);
void Stop();

DWORD LastError();
HCURSOR CurrentCursor();

// Drawing objects alive (created, not deleted) and drawing faults so far.
std::size_t LiveGdiObjects();
std::size_t GdiFaults();

// Makes a call fail: "Function[:argument][=error]", as W32_FAIL takes it.
bool FailCall(const std::string& rule);
void ClearFailures();

// The screen surface, each pixel 0x00RRGGBB.
int ScreenWidth();
int ScreenHeight();
std::uint32_t ScreenPixel(int x, int y);
void ResizeScreen(int width, int height);

// The user's hand on a window.
bool UserResize(HWND hwnd, int width, int height);
bool UserClose(HWND hwnd);
bool IsWindowAlive(HWND hwnd);
bool WindowRect(HWND hwnd, RECT* rect);

}  // namespace w32test

#endif  // W32_TESTING_H
