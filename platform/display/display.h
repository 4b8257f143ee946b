// Where the screen goes: one 32-bit surface (0x00RRGGBB per pixel) that the
// drawing code paints into, shown headless or in a real X11 window.
#ifndef W32_DISPLAY_DISPLAY_H
#define W32_DISPLAY_DISPLAY_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/config.h"

namespace w32::display {

// COLORREF is 0x00BBGGRR, a surface pixel 0x00RRGGBB: the one conversion.
constexpr std::uint32_t PixelFromColor(COLORREF color) {
  return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // row-major, width * height

  std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
  const std::uint32_t* Row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * width;
  }
};

// What the display reports to the window manager.
struct Event {
  enum Type { None, Expose, Close, Resize, Interrupt } type = None;
  RECT rect{};  // Expose: the screen area to repaint; Resize: the window's new screen rectangle
};

// Opens the display the configuration names; false with one line of reason.
bool Open(const Config& config, std::string* error);
// Takes the pending screenshot if one is due and closes the display.
void Close();

// The screen surface; drawing marks what it changed.
Surface& Screen();
void MarkDirty(const RECT& screenRect);
// Pushes what changed to the real display (nothing headless).
void Flush();

// The top-level window's place on the screen and its title, so that a real
// display can show a window of its own for it. Called by the window manager.
void WindowShown(const RECT& screenRect, const char* title);
void WindowHidden();
void SetCursorShape(int cursorId);  // 32512 arrow, 32514 wait

// The next event: waits when block is true (headless waits only for a
// signal), else answers None at once when nothing is pending.
Event NextEvent(bool block);
// Wakes a blocked NextEvent from a signal handler; async-signal-safe.
void Interrupt();

// Remembers the screen as it is now, for W32_SCREENSHOT; called while the
// top-level window is still visible, just before it goes away.
void KeepScreenshot();
// Writes a PNG of the surface; false when it cannot be written.
bool WritePng(const Surface& surface, const std::string& path);

// Screen size changes (tests): windows keep their place and size.
void ResizeScreen(int width, int height);

}  // namespace w32::display

#endif  // W32_DISPLAY_DISPLAY_H
