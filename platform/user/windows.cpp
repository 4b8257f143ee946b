// Window classes, windows, painting and the default window procedure.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "display/display.h"
#include "gdi/gdi.h"
#include "kernel/error.h"
#include "kernel/trace.h"
#include "user/window_state.h"

namespace w32::user {
namespace {

std::string Lower(const char* s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string RectText(const RECT& r) {
  return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + "}";
}

Window* CheckedWindow(HWND hwnd) {
  Window* w = FindWindow(hwnd);
  if (w == nullptr) SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

BOOL ShowWindowImpl(Window* w, int show) {
  BOOL wasVisible = w->visible ? TRUE : FALSE;
  bool visible = show != SW_HIDE;
  if (visible == w->visible) return wasVisible;
  HWND hwnd = w->handle;
  Deliver(hwnd, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
  w = FindWindow(hwnd);
  if (w == nullptr) return wasVisible;
  if (visible) {
    w->visible = true;
    w->style |= WS_VISIBLE;
    display::WindowShown(w->rect, w->title.c_str());
    DrawFrame(*w);
    Invalidate(w, RECT{0, 0, w->ClientWidth(), w->ClientHeight()}, true);
  } else {
    display::KeepScreenshot();
    w->visible = false;
    w->style &= ~static_cast<DWORD>(WS_VISIBLE);
    w->update.Clear();
    w->erase = false;
    display::WindowHidden();
    PaintDesktop(w->rect);
  }
  return wasVisible;
}

}  // namespace

HDC BeginPaintImpl(Window* w, PAINTSTRUCT* ps) {
  std::memset(ps, 0, sizeof *ps);
  RECT client = w->ClientOnScreen();
  Region clip = w->update;
  clip.Offset(client.left, client.top);
  clip.Intersect(client);
  HDC hdc = gdi::CreateScreenDC(POINT{client.left, client.top}, clip);
  RECT bounds = w->update.Bounds();
  bool erase = w->erase;
  // The region is valid from here on: what the paint draws is what it fixes.
  w->update.Clear();
  w->erase = false;
  ps->hdc = hdc;
  ps->rcPaint = bounds;
  ps->fErase = TRUE;
  if (erase) {
    HWND hwnd = w->handle;
    ps->fErase = Deliver(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  } else {
    ps->fErase = FALSE;
  }
  return hdc;
}

void EndPaintImpl(const PAINTSTRUCT* ps) {
  gdi::DestroyScreenDC(ps->hdc);
  display::Flush();
}

BOOL DestroyWindowImpl(HWND hwnd) {
  Window* w = FindWindow(hwnd);
  if (w == nullptr) {
    SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->destroying) return TRUE;
  w->destroying = true;
  if (w->visible) ShowWindowImpl(w, SW_HIDE);
  Deliver(hwnd, WM_DESTROY, 0, 0);
  Deliver(hwnd, WM_NCDESTROY, 0, 0);
  UserState& s = State();
  // Messages still queued for the window die with it.
  s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(),
                               [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
                s.queue.end());
  s.windows.Remove(HandleValue(hwnd));
  display::Flush();
  return TRUE;
}

}  // namespace w32::user

using namespace w32;
using namespace w32::user;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  ATOM atom = 0;
  UserState& s = State();
  if (wc == nullptr || wc->lpszClassName == nullptr || wc->lpszClassName[0] == '\0' ||
      wc->lpfnWndProc == nullptr) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
  } else if (s.classes.count(Lower(wc->lpszClassName)) != 0) {
    SetLastErrorCode(ERROR_CLASS_ALREADY_EXISTS);
  } else {
    WindowClass c;
    c.name = wc->lpszClassName;
    c.atom = atom = s.nextAtom++;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.icon = wc->hIcon;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    s.classes.emplace(Lower(wc->lpszClassName), c);
  }
  if (trace::Enabled()) {
    std::string arg = "NULL";
    if (wc != nullptr) {
      arg = "{style " + trace::Hex(wc->style) + ", icon " + trace::Handle(wc->hIcon) +
            ", cursor " + trace::Handle(wc->hCursor) + ", background " +
            trace::Hex(reinterpret_cast<ULONG_PTR>(wc->hbrBackground)) + ", class " +
            trace::Str(wc->lpszClassName) + "}";
    }
    trace::Call("RegisterClassA", {arg}, trace::Hex(atom));
  }
  return atom;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  UserState& s = State();
  HWND hwnd = nullptr;
  auto cls = className ? s.classes.find(Lower(className)) : s.classes.end();
  if (cls == s.classes.end()) {
    SetLastErrorCode(ERROR_CANNOT_FIND_WND_CLASS);
  } else if (parent != nullptr && FindWindow(parent) == nullptr) {
    SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
  } else {
    auto w = std::make_unique<Window>();
    w->cls = &cls->second;
    w->title = windowName ? windowName : "";
    w->style = style & ~static_cast<DWORD>(WS_VISIBLE);
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    hwnd = ToHandle<HWND>(s.windows.Add(std::move(w)));
    FindWindow(hwnd)->handle = hwnd;

    // Creation is refused when WM_NCCREATE answers FALSE or WM_CREATE -1.
    if (!Deliver(hwnd, WM_NCCREATE, 0, 0) ||
        (FindWindow(hwnd) != nullptr && Deliver(hwnd, WM_CREATE, 0, 0) == -1)) {
      DestroyWindowImpl(hwnd);
      hwnd = nullptr;
    } else if (FindWindow(hwnd) == nullptr) {
      hwnd = nullptr;  // destroyed by its own creation handling
    } else if (style & WS_VISIBLE) {
      ShowWindowImpl(FindWindow(hwnd), SW_SHOWNORMAL);
    }
  }
  if (trace::Enabled()) {
    trace::Call("CreateWindowExA",
                {trace::Hex(exStyle), trace::Str(className), trace::Str(windowName),
                 trace::Hex(style), trace::Num(x), trace::Num(y), trace::Num(width),
                 trace::Num(height), trace::Handle(parent), trace::Handle(menu),
                 trace::Handle(instance), trace::Hex(reinterpret_cast<ULONG_PTR>(param))},
                trace::Handle(hwnd));
  }
  return hwnd;
}

BOOL WINAPI ShowWindow(HWND hwnd, int show) {
  Window* w = CheckedWindow(hwnd);
  BOOL result = w ? ShowWindowImpl(w, show) : FALSE;
  if (trace::Enabled())
    trace::Call("ShowWindow", {trace::Handle(hwnd), trace::Num(show)}, trace::Bool(result));
  return result;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  Window* w = CheckedWindow(hwnd);
  BOOL result = w ? TRUE : FALSE;
  if (w != nullptr && w->visible && !w->update.Empty()) Deliver(hwnd, WM_PAINT, 0, 0);
  if (trace::Enabled()) trace::Call("UpdateWindow", {trace::Handle(hwnd)}, trace::Bool(result));
  return result;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
  BOOL result = DestroyWindowImpl(hwnd);
  if (trace::Enabled()) trace::Call("DestroyWindow", {trace::Handle(hwnd)}, trace::Bool(result));
  return result;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = CheckedWindow(hwnd);
  BOOL result = FALSE;
  if (w != nullptr && rect != nullptr) {
    *rect = RECT{0, 0, w->ClientWidth(), w->ClientHeight()};
    result = TRUE;
  }
  if (trace::Enabled()) {
    trace::Call("GetClientRect", {trace::Handle(hwnd)},
                trace::Bool(result) + (result ? " " + RectText(*rect) : ""));
  }
  return result;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  Window* w = CheckedWindow(hwnd);
  HDC hdc = (w != nullptr && ps != nullptr) ? BeginPaintImpl(w, ps) : nullptr;
  if (trace::Enabled()) {
    trace::Call("BeginPaint", {trace::Handle(hwnd)},
                trace::Handle(hdc) + (hdc ? " " + RectText(ps->rcPaint) : ""));
  }
  return hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  BOOL result = FALSE;
  if (CheckedWindow(hwnd) != nullptr && ps != nullptr) {
    EndPaintImpl(ps);
    result = TRUE;
  }
  if (trace::Enabled())
    trace::Call("EndPaint", {trace::Handle(hwnd), ps ? trace::Handle(ps->hdc) : "NULL"},
                trace::Bool(result));
  return result;
}

int WINAPI GetSystemMetrics(int index) {
  int value = 0;
  switch (index) {
    case SM_CXSCREEN: value = display::Screen().width; break;
    case SM_CYSCREEN: value = display::Screen().height; break;
    default: break;
  }
  if (trace::Enabled()) trace::Call("GetSystemMetrics", {trace::Num(index)}, trace::Num(value));
  return value;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  // The program carries no resources; only the system's own icons exist.
  HICON icon = nullptr;
  ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  if (instance == nullptr && id >= 32512 && id <= 32517) {
    icon = ToHandle<HICON>(MakeHandle(HandleKind::Icon, id));
  } else {
    SetLastErrorCode(ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  if (trace::Enabled()) {
    std::string arg = id < 0x10000 ? "MAKEINTRESOURCE(" + std::to_string(id) + ")" : trace::Str(name);
    trace::Call("LoadIconA", {trace::Handle(instance), arg}, trace::Handle(icon));
  }
  return icon;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  Window* w = CheckedWindow(hwnd);
  if (w != nullptr) {
    switch (message) {
      case WM_NCCREATE:
        result = TRUE;
        break;
      case WM_CLOSE:
        DestroyWindowImpl(hwnd);
        break;
      case WM_ERASEBKGND:
        // Fills with the class brush; answers whether anything was erased.
        if (w->cls->background != nullptr) {
          RECT client{0, 0, w->ClientWidth(), w->ClientHeight()};
          result = gdi::FillWithBrush(reinterpret_cast<HDC>(wParam), client, w->cls->background)
                       ? 1 : 0;
        }
        break;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaintImpl(w, &ps);
        EndPaintImpl(&ps);
        break;
      }
      default:
        break;
    }
  }
  if (trace::Enabled()) {
    trace::Call("DefWindowProcA",
                {trace::Handle(hwnd), MessageName(message), trace::Hex(wParam),
                 trace::Hex(static_cast<ULONG_PTR>(lParam))},
                trace::Num(result));
  }
  return result;
}
