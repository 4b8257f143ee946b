// The thread's message queue and the loop's calls. GetMessageA hands out
// posted messages first, then the quit message, then WM_PAINT for a window
// with something to repaint; with nothing to hand out it waits on the display.
#include <windows.h>

#include "display/display.h"
#include "kernel/error.h"
#include "kernel/trace.h"
#include "user/user.h"
#include "user/window_state.h"

namespace w32::user {
namespace {

// A posted-message queue holds at most this many, as on the platform.
constexpr std::size_t kQueueLimit = 10000;
constexpr DWORD kErrorNotEnoughQuota = 1816;

bool Matches(const MSG& m, HWND filter, UINT first, UINT last) {
  if (filter != nullptr && m.hwnd != filter) return false;
  if (first == 0 && last == 0) return true;
  return m.message >= first && m.message <= last;
}

void PostInternal(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m{};
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  State().queue.push_back(m);
}

// Turns what the display reports into the window manager's work.
void Handle(const display::Event& ev) {
  UserState& s = State();
  switch (ev.type) {
    case display::Event::Expose:
      for (const auto& [value, w] : s.windows.objects()) {
        if (!w->visible) continue;
        RECT client = w->ClientOnScreen();
        RECT inside = Region::Intersection(ev.rect, client);
        if (!Region::IsEmpty(inside)) {
          inside.left -= client.left;
          inside.right -= client.left;
          inside.top -= client.top;
          inside.bottom -= client.top;
          Invalidate(w.get(), inside, true);
        }
        if (!Region::IsEmpty(Region::Intersection(ev.rect, w->rect))) DrawFrame(*w);
      }
      break;
    case display::Event::Close:
      for (const auto& [value, w] : s.windows.objects()) {
        if (w->visible) {
          PostInternal(w->handle, WM_CLOSE, 0, 0);
          break;
        }
      }
      break;
    case display::Event::Resize:
      for (const auto& [value, w] : s.windows.objects()) {
        if (w->visible) {
          UserResize(w->handle, ev.rect.right - ev.rect.left, ev.rect.bottom - ev.rect.top);
          break;
        }
      }
      break;
    case display::Event::Interrupt:
      CloseAllWindows();
      break;
    case display::Event::None:
      break;
  }
}

bool TakePosted(MSG* msg, HWND filter, UINT first, UINT last) {
  UserState& s = State();
  for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
    if (Matches(*it, filter, first, last)) {
      *msg = *it;
      s.queue.erase(it);
      return true;
    }
  }
  return false;
}

bool TakePaint(MSG* msg, HWND filter) {
  for (const auto& [value, w] : State().windows.objects()) {
    if (w->visible && !w->update.Empty() && (filter == nullptr || w->handle == filter)) {
      *msg = MSG{};
      msg->hwnd = w->handle;
      msg->message = WM_PAINT;
      return true;
    }
  }
  return false;
}

BOOL Next(MSG* msg, HWND filter, UINT first, UINT last) {
  UserState& s = State();
  for (;;) {
    if (TakePosted(msg, filter, first, last)) return msg->message != WM_QUIT;
    if (s.quitPosted) {
      s.quitPosted = false;
      *msg = MSG{};
      msg->message = WM_QUIT;
      msg->wParam = static_cast<WPARAM>(s.quitCode);
      return FALSE;
    }
    bool handled = false;
    for (display::Event ev = display::NextEvent(false); ev.type != display::Event::None;
         ev = display::NextEvent(false)) {
      Handle(ev);
      handled = true;
    }
    if (handled) continue;
    if (TakePaint(msg, filter)) return TRUE;
    display::Flush();
    Handle(display::NextEvent(true));
  }
}

}  // namespace

void CloseAllWindows() {
  UserState& s = State();
  bool any = false;
  for (const auto& [value, w] : s.windows.objects()) {
    if (w->visible) {
      PostInternal(w->handle, WM_CLOSE, 0, 0);
      any = true;
    }
  }
  // With no window to close, the session simply ends.
  if (!any) s.quitPosted = true;
}

}  // namespace w32::user

using namespace w32;
using namespace w32::user;

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
  BOOL result;
  if (msg == nullptr) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    result = -1;
  } else if (hwnd != nullptr && FindWindow(hwnd) == nullptr) {
    SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
    result = -1;
  } else {
    result = Next(msg, hwnd, first, last);
  }
  if (trace::Enabled()) {
    std::string out = trace::Num(result);
    if (result != -1) {
      out += " {" + trace::Handle(msg->hwnd) + ", " + MessageName(msg->message) + ", " +
             trace::Hex(msg->wParam) + ", " + trace::Hex(static_cast<ULONG_PTR>(msg->lParam)) + "}";
    }
    trace::Call("GetMessageA",
                {"<msg>", trace::Handle(hwnd), trace::Num(first), trace::Num(last)}, out);
  }
  return result;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  // No keyboard reaches this program, so there is never a character to make.
  if (trace::Enabled())
    trace::Call("TranslateMessage", {msg ? MessageName(msg->message) : "NULL"}, "FALSE");
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  LRESULT result = 0;
  if (msg == nullptr) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
  } else if (msg->hwnd != nullptr) {
    if (FindWindow(msg->hwnd) == nullptr) {
      SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
    } else {
      result = Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    }
  }
  if (trace::Enabled()) {
    trace::Call("DispatchMessageA",
                {msg ? "{" + trace::Handle(msg->hwnd) + ", " + MessageName(msg->message) + "}"
                     : "NULL"},
                trace::Num(result));
  }
  return result;
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BOOL result = FALSE;
  if (hwnd != nullptr && FindWindow(hwnd) == nullptr) {
    SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
  } else if (State().queue.size() >= kQueueLimit) {
    SetLastErrorCode(kErrorNotEnoughQuota);
  } else {
    PostInternal(hwnd, message, wParam, lParam);
    result = TRUE;
  }
  if (trace::Enabled()) {
    trace::Call("PostMessageA",
                {trace::Handle(hwnd), MessageName(message), trace::Hex(wParam),
                 trace::Hex(static_cast<ULONG_PTR>(lParam))},
                trace::Bool(result));
  }
  return result;
}

void WINAPI PostQuitMessage(int exitCode) {
  State().quitPosted = true;
  State().quitCode = exitCode;
  if (trace::Enabled()) trace::Call("PostQuitMessage", {trace::Num(exitCode)}, "void");
}
