// A display backend: where the screen surface is shown and where the user's
// events come from. display.cpp owns the surface and picks the backend.
#ifndef W32_DISPLAY_BACKEND_H
#define W32_DISPLAY_BACKEND_H

#include <memory>
#include <string>

#include "display/display.h"

namespace w32::display {

class Backend {
 public:
  virtual ~Backend() = default;

  // The screen's size in pixels.
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Shows what changed on the surface inside dirty (screen coordinates).
  virtual void Flush(const Surface& surface, const RECT& dirty) = 0;
  virtual void WindowShown(const RECT& screenRect, const char* title) = 0;
  virtual void WindowHidden() = 0;
  virtual void SetCursorShape(int cursorId) = 0;

  // The next event; blocks when asked until one comes or Interrupt is called.
  virtual Event NextEvent(bool block) = 0;
  // Async-signal-safe wake-up of a blocked NextEvent (answers Interrupt).
  virtual void Interrupt() = 0;
};

std::unique_ptr<Backend> MakeHeadlessBackend(const Config& config, std::string* error);
std::unique_ptr<Backend> MakeX11Backend(const Config& config, std::string* error);

}  // namespace w32::display

#endif  // W32_DISPLAY_BACKEND_H
