#include "x11/xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace x11test {
namespace {

struct ImageDeleter {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

}  // namespace

Pixels ReadWindow(Display* d, Window w) {
  Pixels out;
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(d, w, &attrs)) return out;
  std::unique_ptr<XImage, ImageDeleter> image(XGetImage(
      d, w, 0, 0, static_cast<unsigned>(attrs.width), static_cast<unsigned>(attrs.height),
      AllPlanes, ZPixmap));
  if (!image) return out;
  out.width = attrs.width;
  out.height = attrs.height;
  out.values.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.values[static_cast<std::size_t>(y) * out.width + x] = XGetPixel(image.get(), x, y);
  return out;
}

std::vector<Window> TopLevels(Display* d) {
  Window root, parent;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> out;
  if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
    out.assign(children, children + count);
    if (children) XFree(children);
  }
  return out;
}

std::string TextProperty(Display* d, Window w, const char* property, Atom* type) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(d, w, XInternAtom(d, property, False), 0, 4096, False,
                         AnyPropertyType, &actualType, &format, &count, &after,
                         &data) == Success &&
      data != nullptr) {
    if (format == 8) out.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  if (type) *type = actualType;
  return out;
}

void IgnoreProtocolErrors() {
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

void SendDeleteWindow(Display* d, Window w) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &ev);
  XSync(d, False);
}

Window WaitForTopLevel(Display* d, const std::string& title, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    for (Window w : TopLevels(d)) {
      XWindowAttributes attrs;
      if (TextProperty(d, w, "WM_NAME") == title && XGetWindowAttributes(d, w, &attrs) &&
          attrs.map_state == IsViewable)
        return w;
    }
    if (std::chrono::steady_clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace x11test
