#include "user/window_state.h"

#include <cstdio>

#include "display/display.h"
#include "gdi/gdi.h"
#include "kernel/trace.h"

namespace w32::user {

RECT Window::ClientOnScreen() const {
  RECT c = rect;
  if (style & WS_THICKFRAME) {
    c.left += kFrameWidth;
    c.top += kFrameWidth;
    c.right -= kFrameWidth;
    c.bottom -= kFrameWidth;
  }
  if ((style & WS_CAPTION) == WS_CAPTION) c.top += kCaptionHeight;
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  return c;
}

int Window::ClientWidth() const {
  RECT c = ClientOnScreen();
  return c.right - c.left;
}

int Window::ClientHeight() const {
  RECT c = ClientOnScreen();
  return c.bottom - c.top;
}

UserState& State() {
  static UserState state;
  return state;
}

Window* FindWindow(HWND hwnd) { return State().windows.Find(hwnd); }

std::string MessageName(UINT message) {
  switch (message) {
    case WM_NULL: return "WM_NULL";
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_MOVE: return "WM_MOVE";
    case WM_SIZE: return "WM_SIZE";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_QUIT: return "WM_QUIT";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_SETCURSOR: return "WM_SETCURSOR";
    case WM_NCCREATE: return "WM_NCCREATE";
    case WM_NCDESTROY: return "WM_NCDESTROY";
    default: break;
  }
  if (message >= WM_USER && message < 0x8000) return "WM_USER+" + std::to_string(message - WM_USER);
  return trace::Hex(message);
}

LRESULT Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWindow(hwnd);
  if (w == nullptr || w->cls == nullptr || w->cls->proc == nullptr) return 0;
  if (trace::Enabled()) {
    trace::Line("WndProc(" + trace::Handle(hwnd) + ", " + MessageName(message) + ", " +
                trace::Hex(wParam) + ", " + trace::Hex(static_cast<ULONG_PTR>(lParam)) + ")");
  }
  // The procedure may destroy the window; nothing of w is used after this.
  return w->cls->proc(hwnd, message, wParam, lParam);
}

void Invalidate(Window* w, const RECT& clientRect, bool erase) {
  if (w == nullptr || !w->visible) return;
  RECT r = Region::Intersection(clientRect, RECT{0, 0, w->ClientWidth(), w->ClientHeight()});
  if (Region::IsEmpty(r)) return;
  w->update.Add(r);
  w->erase = w->erase || erase;
}

void PaintDesktop(const RECT& screenRect) {
  Region clip(screenRect);
  gdi::FillScreen(screenRect, gdi::SysColor(gdi::kColorBackground), clip);
  display::MarkDirty(screenRect);
}

void DrawFrame(const Window& w) {
  if (!w.visible) return;
  RECT r = w.rect;
  RECT client = w.ClientOnScreen();
  Region clip(r);
  clip.Subtract(client);
  if (clip.Empty()) return;

  auto fill = [&](LONG left, LONG top, LONG right, LONG bottom, int color) {
    gdi::FillScreen(RECT{left, top, right, bottom}, gdi::SysColor(color), clip);
  };
  fill(r.left, r.top, r.right, r.bottom, gdi::kColorBtnFace);
  // The raised 3-D edge: light outside top and left, dark outside bottom and right.
  fill(r.left + 1, r.top + 1, r.right - 1, r.top + 2, gdi::kColorBtnHighlight);
  fill(r.left + 1, r.top + 1, r.left + 2, r.bottom - 1, gdi::kColorBtnHighlight);
  fill(r.left, r.bottom - 1, r.right, r.bottom, gdi::kColor3dDkShadow);
  fill(r.right - 1, r.top, r.right, r.bottom, gdi::kColor3dDkShadow);
  fill(r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1, gdi::kColorBtnShadow);
  fill(r.right - 2, r.top + 1, r.right - 1, r.bottom - 1, gdi::kColorBtnShadow);

  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    int inset = (w.style & WS_THICKFRAME) ? kFrameWidth : 0;
    RECT bar{r.left + inset, r.top + inset, r.right - inset, r.top + inset + kCaptionHeight - 1};
    fill(bar.left, bar.top, bar.right, bar.bottom, gdi::kColorActiveCaption);
    // Minimise, maximise and close buttons at the right of the bar.
    constexpr int kButtonWidth = 16, kButtonHeight = 14;
    LONG top = bar.top + 2;
    LONG x = bar.right - 2 - kButtonWidth;
    for (int i = 0; i < 3; ++i) {
      fill(x, top, x + kButtonWidth, top + kButtonHeight, gdi::kColorBtnFace);
      fill(x, top + kButtonHeight - 1, x + kButtonWidth, top + kButtonHeight, gdi::kColor3dDkShadow);
      fill(x + kButtonWidth - 1, top, x + kButtonWidth, top + kButtonHeight, gdi::kColor3dDkShadow);
      x -= kButtonWidth + (i == 0 ? 2 : 0);
    }
    RECT text{bar.left + 4, bar.top, x - 2, bar.bottom};
    gdi::DrawCaptionText(text, w.title.c_str(), gdi::SysColor(gdi::kColorCaptionText), clip);
  }
  display::MarkDirty(r);
}

}  // namespace w32::user
