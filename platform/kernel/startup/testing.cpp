// The test-facing view of the platform (w32/testing.h).
#include "w32/testing.h"

#include "display/display.h"
#include "gdi/gdi.h"
#include "kernel/error.h"
#include "kernel/faults.h"
#include "kernel/startup/lifecycle.h"
#include "user/user.h"

namespace w32test {

bool Restart(std::string* error) {
  std::string reason;
  bool ok = w32::StartPlatform(&reason);
  if (error != nullptr) *error = reason;
  return ok;
}

void Stop() { w32::StopPlatform(); }

DWORD LastError() { return w32::LastErrorCode(); }
HCURSOR CurrentCursor() { return w32::user::CurrentCursor(); }

std::size_t LiveGdiObjects() { return w32::gdi::LiveObjects(); }
std::size_t GdiFaults() { return w32::gdi::Faults(); }

bool FailCall(const std::string& rule) { return w32::faults::Set(rule); }
void ClearFailures() { w32::faults::Clear(); }

int ScreenWidth() { return w32::display::Screen().width; }
int ScreenHeight() { return w32::display::Screen().height; }
std::uint32_t ScreenPixel(int x, int y) {
  const w32::display::Surface& s = w32::display::Screen();
  if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
  return s.Row(y)[x];
}
void ResizeScreen(int width, int height) { w32::display::ResizeScreen(width, height); }

bool UserResize(HWND hwnd, int width, int height) {
  return w32::user::UserResize(hwnd, width, height);
}
bool UserClose(HWND hwnd) { return w32::user::UserClose(hwnd); }
bool IsWindowAlive(HWND hwnd) { return w32::user::IsLiveWindow(hwnd); }
bool WindowRect(HWND hwnd, RECT* rect) { return w32::user::WindowRect(hwnd, rect); }

}  // namespace w32test
