// The window manager's state: classes, windows, the thread's message queue
// and the cursor. One place owns it; the other user files reach it here.
#ifndef W32_USER_WINDOW_STATE_H
#define W32_USER_WINDOW_STATE_H

#include <windows.h>

#include <deque>
#include <map>
#include <string>

#include "gdi/region.h"
#include "kernel/handles.h"

namespace w32::user {

// NT 4.0 metrics of an overlapped window: a 4-pixel sizing frame on each
// side and a 19-pixel caption (18 for the bar, 1 for the line below it).
constexpr int kFrameWidth = 4;
constexpr int kCaptionHeight = 19;

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

struct Window {
  HWND handle = nullptr;
  const WindowClass* cls = nullptr;
  std::string title;
  DWORD style = 0;
  RECT rect{};  // the whole window, screen coordinates
  bool visible = false;
  bool destroying = false;
  Region update;  // client coordinates
  bool erase = false;

  RECT ClientOnScreen() const;  // the client area, screen coordinates
  int ClientWidth() const;
  int ClientHeight() const;
};

struct UserState {
  std::map<std::string, WindowClass> classes;  // by lower-case name
  ATOM nextAtom = 0xC000;
  HandleTable<Window> windows{HandleKind::Window};
  std::deque<MSG> queue;
  bool quitPosted = false;
  int quitCode = 0;
  // The arrow shows until somebody sets another cursor.
  HCURSOR cursor = ToHandle<HCURSOR>(MakeHandle(HandleKind::Cursor, 32512));
};

UserState& State();
Window* FindWindow(HWND hwnd);

// Delivers a message to a window's procedure, tracing the delivery.
LRESULT Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Marks part of a window's client area (client coordinates) for repainting.
void Invalidate(Window* w, const RECT& clientRect, bool erase);
// Draws the window's frame and caption on the screen.
void DrawFrame(const Window& w);
// Paints the desktop over a screen rectangle no window covers any more.
void PaintDesktop(const RECT& screenRect);

// The platform's own BeginPaint/EndPaint/DestroyWindow, untraced.
HDC BeginPaintImpl(Window* w, PAINTSTRUCT* ps);
void EndPaintImpl(const PAINTSTRUCT* ps);
BOOL DestroyWindowImpl(HWND hwnd);

// "WM_PAINT", "WM_USER+103", or the number.
std::string MessageName(UINT message);

}  // namespace w32::user

#endif  // W32_USER_WINDOW_STATE_H
