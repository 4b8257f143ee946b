// A private X server for a test: Xvfb on a display number it picks itself,
// stopped when the owner goes. Tests that cannot get one are skipped.
#ifndef TESTS_X11_XVFB_H
#define TESTS_X11_XVFB_H

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace x11test {

class Xvfb {
 public:
  // Starts "Xvfb -screen 0 <screen>" (e.g. "1024x768x24"); on failure
  // running() is false and reason() says why.
  explicit Xvfb(const std::string& screen = "1024x768x24");
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  bool running() const { return pid_ > 0; }
  const std::string& reason() const { return reason_; }
  const std::string& name() const { return name_; }  // ":N"

 private:
  int pid_ = -1;
  std::string name_;
  std::string reason_;
};

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A window's pixels as the server holds them (XGetImage of the window).
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<unsigned long> values;  // as the visual encodes them
  unsigned long At(int x, int y) const {
    return values[static_cast<std::size_t>(y) * width + x];
  }
};
Pixels ReadWindow(Display* d, Window w);

// The top-level windows (children of the root) now on the server.
std::vector<Window> TopLevels(Display* d);
// A text property as stored, or "" when absent.
std::string TextProperty(Display* d, Window w, const char* property, Atom* type = nullptr);

// Protocol errors (a window gone while a test looks at it) are answered by
// the call's result instead of ending the test program.
void IgnoreProtocolErrors();

// What a window manager sends when the user clicks the close box.
void SendDeleteWindow(Display* d, Window w);

// Waits up to timeoutMs for a top-level window titled title (WM_NAME);
// 0 when none came.
Window WaitForTopLevel(Display* d, const std::string& title, int timeoutMs);

}  // namespace x11test

#endif  // TESTS_X11_XVFB_H
