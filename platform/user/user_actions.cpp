// What a user does to a window from outside the program: resize it, close
// it; and the window manager's reset between test runs.
#include <windows.h>

#include <algorithm>

#include "display/display.h"
#include "user/user.h"
#include "user/window_state.h"

namespace w32::user {

bool UserResize(HWND hwnd, int width, int height) {
  Window* w = FindWindow(hwnd);
  if (w == nullptr || width < 0 || height < 0) return false;
  int oldWidth = w->ClientWidth();
  int oldHeight = w->ClientHeight();
  RECT oldRect = w->rect;
  w->rect.right = w->rect.left + width;
  w->rect.bottom = w->rect.top + height;
  int newWidth = w->ClientWidth();
  int newHeight = w->ClientHeight();

  if (w->visible) {
    // The screen the window no longer covers shows the desktop again.
    Region uncovered(oldRect);
    uncovered.Subtract(w->rect);
    for (const RECT& r : uncovered.rects()) PaintDesktop(r);
    DrawFrame(*w);
    if (w->cls->style & (CS_HREDRAW | CS_VREDRAW)) {
      Invalidate(w, RECT{0, 0, newWidth, newHeight}, true);
    } else {
      // Without redraw-on-resize only the newly uncovered strips need paint
      // (they hold the old frame, too); what was painted before stays.
      Invalidate(w, RECT{oldWidth, 0, newWidth, newHeight}, true);
      Invalidate(w, RECT{0, oldHeight, newWidth, newHeight}, true);
    }
    display::Flush();
  }
  LPARAM size = static_cast<LPARAM>((static_cast<DWORD>(newHeight) << 16) |
                                    (static_cast<DWORD>(newWidth) & 0xFFFF));
  Deliver(hwnd, WM_SIZE, 0, size);
  return true;
}

bool UserClose(HWND hwnd) {
  if (FindWindow(hwnd) == nullptr) return false;
  MSG m{};
  m.hwnd = hwnd;
  m.message = WM_CLOSE;
  State().queue.push_back(m);
  return true;
}

bool IsLiveWindow(HWND hwnd) { return FindWindow(hwnd) != nullptr; }

bool WindowRect(HWND hwnd, RECT* rect) {
  Window* w = FindWindow(hwnd);
  if (w == nullptr || rect == nullptr) return false;
  *rect = w->rect;
  return true;
}

void Reset() {
  UserState& s = State();
  s.windows.Clear();
  s.classes.clear();
  s.queue.clear();
  s.quitPosted = false;
  s.quitCode = 0;
  s.nextAtom = 0xC000;
  s.cursor = ToHandle<HCURSOR>(MakeHandle(HandleKind::Cursor, 32512));
}

}  // namespace w32::user
