// Placeholder until the display area lands: a plain in-memory surface.
#include "display/display.h"

namespace w32::display {
namespace {
Surface g_screen;
}

bool Open(const Config& config, std::string*) {
  g_screen.width = config.screenWidth;
  g_screen.height = config.screenHeight;
  g_screen.pixels.assign(static_cast<std::size_t>(g_screen.width) * g_screen.height, 0);
  return true;
}
void Close() {}
Surface& Screen() { return g_screen; }
void MarkDirty(const RECT&) {}
void Flush() {}
void WindowShown(const RECT&, const char*) {}
void WindowHidden() {}
void SetCursorShape(int) {}
Event NextEvent(bool) { return Event{}; }
void Interrupt() {}
void KeepScreenshot() {}
bool WritePng(const Surface&, const std::string&) { return false; }
void ResizeScreen(int width, int height) {
  g_screen.width = width;
  g_screen.height = height;
  g_screen.pixels.assign(static_cast<std::size_t>(width) * height, 0);
}
}  // namespace w32::display
