// The X11 display backend on a private X server: the screen's size, the
// window it shows and its pixels as the server holds them, the title, the
// events that become the window manager's messages, the wake-up, cursors.
#include <gtest/gtest.h>

#include "display/backend.h"
#include "gdi/region.h"

// Xlib's macros (None, Expose, ...) hide the event names once its headers
// are in, so the names the tests need are taken first.
namespace {
using w32::display::Event;
constexpr Event::Type kNoEvent = Event::None;
constexpr Event::Type kExposeEvent = Event::Expose;
constexpr Event::Type kCloseEvent = Event::Close;
constexpr Event::Type kResizeEvent = Event::Resize;
constexpr Event::Type kInterruptEvent = Event::Interrupt;
}  // namespace

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "x11/xvfb.h"

namespace {

using w32::display::Backend;
using w32::display::Surface;
using w32::Region;
using x11test::DisplayHandle;
using x11test::Pixels;
using x11test::Xvfb;

const char kTitle[] = "ZLN 4620K SCSI Host Adapter Setup";

// A picture where every pixel differs from its neighbours in all channels.
Surface Pattern(int width, int height, std::uint32_t seed) {
  Surface s;
  s.width = width;
  s.height = height;
  s.pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint32_t r = (x * 7 + y + seed) & 0xFF;
      std::uint32_t g = (y * 3 + seed * 5) & 0xFF;
      std::uint32_t b = (x ^ y ^ seed) & 0xFF;
      s.Row(y)[x] = (r << 16) | (g << 8) | b;
    }
  return s;
}

// A surface pixel as an X visual of the given depth stores it: 24 bits as
// 8-8-8, 16 bits as 5-6-5.
unsigned long Encoded(std::uint32_t p, int depth) {
  if (depth == 24) return p;
  std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
}

RECT Rect(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

std::string Text(const RECT& r) {
  std::ostringstream out;
  out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
  return out.str();
}

// Counts the window's pixels that differ from what the surface says they
// should be: surface rectangle `shown` drawn from the window's (0, 0).
struct Mismatch {
  int count = 0;
  std::string first;
};
Mismatch Compare(const Pixels& got, const Surface& want, const RECT& shown, int depth) {
  Mismatch m;
  int w = shown.right - shown.left, h = shown.bottom - shown.top;
  if (got.width != w || got.height != h) {
    m.count = -1;
    m.first = "window is " + std::to_string(got.width) + "x" + std::to_string(got.height);
    return m;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned long expect = Encoded(want.Row(shown.top + y)[shown.left + x], depth);
      if (got.At(x, y) != expect && m.count++ == 0) {
        std::ostringstream out;
        out << "(" << x << ", " << y << "): 0x" << std::hex << got.At(x, y) << " != 0x" << expect;
        m.first = out.str();
      }
    }
  return m;
}

// The backend's requests reach the server on their own connection; the
// test's reads may overtake them, so a read is repeated until it agrees.
bool Eventually(const std::function<bool()>& done, int timeoutMs = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class x11Backend : public ::testing::Test {
 protected:
  // Starts a server with the screen given; false (and the test skipped) when
  // no X server can be had here.
  bool StartServer(const std::string& screen) {
    backend.reset();
    conn.reset();
    server = std::make_unique<Xvfb>(screen);
    if (!server->running()) return false;
    setenv("DISPLAY", server->name().c_str(), 1);
    conn.reset(XOpenDisplay(server->name().c_str()));
    if (!conn) return false;
    x11test::IgnoreProtocolErrors();
    std::string error;
    backend = w32::display::MakeX11Backend(w32::Config{}, &error);
    EXPECT_NE(backend, nullptr) << error;
    return backend != nullptr;
  }

  void SetUp() override {
    if (!StartServer("1024x768x24"))
      GTEST_SKIP() << "no X server for this test: " << server->reason();
  }

  void TearDown() override {
    backend.reset();
    conn.reset();
    server.reset();
  }

  Window ShownWindow() {
    Window found = 0;
    for (Window w : x11test::TopLevels(conn.get()))
      if (x11test::TextProperty(conn.get(), w, "WM_NAME") == kTitle) found = w;
    return found;
  }

  // The events the backend reports before a WM_DELETE_WINDOW sent now
  // comes back as Close: everything the server had queued for it.
  std::vector<Event> EventsUntilMarker(Window w) {
    x11test::SendDeleteWindow(conn.get(), w);
    std::vector<Event> out;
    for (Event e = backend->NextEvent(true); e.type != kCloseEvent; e = backend->NextEvent(true))
      out.push_back(e);
    return out;
  }

  std::unique_ptr<Xvfb> server;
  DisplayHandle conn;
  std::unique_ptr<Backend> backend;
};

TEST(x11BackendOpen, NoServerIsOneLineNamingTheDisplay) {
  // A display number nobody serves: no socket for it exists.
  setenv("DISPLAY", ":4093", 1);
  std::string error;
  std::unique_ptr<Backend> backend = w32::display::MakeX11Backend(w32::Config{}, &error);
  EXPECT_EQ(backend, nullptr);
  EXPECT_NE(error.find("':4093'"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

// The screen is the X screen, and the window shows the surface bit for bit,
// whatever the visual's depth; a flush sends only the rectangle it names.
TEST_F(x11Backend, ScreenSizeAndPixelsFollowTheXScreen) {
  struct ScreenCase {
    const char* screen;
    int width, height, depth;
  };
  const ScreenCase kScreens[] = {{"1024x768x24", 1024, 768, 24}, {"640x480x16", 640, 480, 16}};
  for (const ScreenCase& c : kScreens) {
    SCOPED_TRACE(c.screen);
    if (!StartServer(c.screen)) GTEST_SKIP() << "no X server: " << server->reason();
    EXPECT_EQ(backend->Width(), c.width);
    EXPECT_EQ(backend->Height(), c.height);
    ASSERT_EQ(DefaultDepth(conn.get(), DefaultScreen(conn.get())), c.depth);

    RECT whole = Rect(0, 0, c.width, c.height);
    backend->WindowShown(whole, kTitle);
    Window w = ShownWindow();
    ASSERT_NE(w, 0u);
    Surface first = Pattern(c.width, c.height, 1);
    backend->Flush(first, whole);
    Mismatch m;
    EXPECT_TRUE(Eventually([&] {
      m = Compare(x11test::ReadWindow(conn.get(), w), first, whole, c.depth);
      return m.count == 0;
    })) << m.count << " pixels differ, first " << m.first;

    // Only the dirty rectangle of a changed surface goes out.
    Surface second = Pattern(c.width, c.height, 77);
    RECT dirty = Rect(10, 20, 110, 70);
    backend->Flush(second, dirty);
    Surface expected = first;
    for (int y = dirty.top; y < dirty.bottom; ++y)
      for (int x = dirty.left; x < dirty.right; ++x) expected.Row(y)[x] = second.Row(y)[x];
    EXPECT_TRUE(Eventually([&] {
      m = Compare(x11test::ReadWindow(conn.get(), w), expected, whole, c.depth);
      return m.count == 0;
    })) << m.count << " pixels differ, first " << m.first;
  }
}

// A window that does not start at the origin shows its own rectangle of the
// surface, at its place, with the title converted from code page 1252.
TEST_F(x11Backend, WindowIsATopLevelAtItsPlaceWithTitleAndCloseProtocol) {
  RECT place = Rect(40, 30, 440, 330);
  // 0x80 is the euro sign in code page 1252 and has no Latin-1 form.
  backend->WindowShown(place, "Caf\xE9 \x80 setup");
  Window w = 0;
  for (Window t : x11test::TopLevels(conn.get()))
    if (x11test::TextProperty(conn.get(), t, "_NET_WM_NAME") == "Caf\xC3\xA9 \xE2\x82\xAC setup")
      w = t;
  ASSERT_NE(w, 0u) << "no top-level window with the UTF-8 title";
  Atom type = 0;
  x11test::TextProperty(conn.get(), w, "_NET_WM_NAME", &type);
  EXPECT_EQ(type, XInternAtom(conn.get(), "UTF8_STRING", False));
  EXPECT_EQ(x11test::TextProperty(conn.get(), w, "WM_NAME", &type), "Caf\xE9 ? setup");
  EXPECT_EQ(type, XA_STRING);

  Atom* protocols = nullptr;
  int count = 0;
  bool deletes = false;
  if (XGetWMProtocols(conn.get(), w, &protocols, &count)) {
    for (int i = 0; i < count; ++i)
      deletes = deletes || protocols[i] == XInternAtom(conn.get(), "WM_DELETE_WINDOW", False);
    XFree(protocols);
  }
  EXPECT_TRUE(deletes) << "WM_PROTOCOLS lacks WM_DELETE_WINDOW";

  // Mapped by the time WindowShown returns, so the first paint is seen.
  XWindowAttributes attrs;
  ASSERT_TRUE(XGetWindowAttributes(conn.get(), w, &attrs));
  EXPECT_EQ(attrs.map_state, IsViewable);
  EXPECT_EQ(attrs.x, 40);
  EXPECT_EQ(attrs.y, 30);
  EXPECT_EQ(attrs.width, 400);
  EXPECT_EQ(attrs.height, 300);

  Surface s = Pattern(1024, 768, 9);
  backend->Flush(s, Rect(0, 0, 1024, 768));
  Mismatch m;
  EXPECT_TRUE(Eventually([&] {
    m = Compare(x11test::ReadWindow(conn.get(), w), s, place, 24);
    return m.count == 0;
  })) << m.count << " pixels differ, first " << m.first;

  backend->WindowHidden();
  EXPECT_TRUE(Eventually([&] {
    for (Window t : x11test::TopLevels(conn.get()))
      if (t == w) return false;
    return true;
  })) << "the window is still there after WindowHidden";
}

// Exposures come back in screen coordinates, the close box as Close, a new
// size as Resize with the window's new rectangle; a mere move is no event.
TEST_F(x11Backend, ServerEventsBecomeDisplayEvents) {
  RECT place = Rect(40, 30, 440, 330);
  backend->WindowShown(place, kTitle);
  Window w = ShownWindow();
  ASSERT_NE(w, 0u);

  auto exposedUnion = [](const std::vector<Event>& events, RECT* u) {
    bool onlyExposes = true;
    Region all;
    for (const Event& e : events) {
      onlyExposes = onlyExposes && e.type == kExposeEvent;
      all.Add(e.rect);
    }
    *u = all.Bounds();
    return onlyExposes && all.rects().size() >= 1;
  };

  // Mapping exposes the whole window.
  RECT u{};
  EXPECT_TRUE(exposedUnion(EventsUntilMarker(w), &u));
  EXPECT_EQ(Text(u), Text(place));

  // A window over part of it, gone again, exposes just that part.
  XSetWindowAttributes over{};
  over.override_redirect = True;
  Window cover = XCreateWindow(conn.get(), DefaultRootWindow(conn.get()), 100, 100, 50, 40, 0,
                               CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect,
                               &over);
  XMapWindow(conn.get(), cover);
  XSync(conn.get(), False);
  XDestroyWindow(conn.get(), cover);
  XSync(conn.get(), False);
  EXPECT_TRUE(exposedUnion(EventsUntilMarker(w), &u));
  EXPECT_EQ(Text(u), Text(Rect(100, 100, 150, 140)));

  // The user (through a window manager) makes it smaller.
  XResizeWindow(conn.get(), w, 300, 200);
  XSync(conn.get(), False);
  Event e = backend->NextEvent(true);
  EXPECT_EQ(e.type, kResizeEvent);
  EXPECT_EQ(Text(e.rect), Text(Rect(40, 30, 340, 230)));

  XMoveWindow(conn.get(), w, 5, 5);
  XSync(conn.get(), False);
  for (const Event& ev : EventsUntilMarker(w))
    EXPECT_NE(ev.type, kResizeEvent) << "a move reported as a resize to " << Text(ev.rect);
}

// NextEvent(false) never waits; NextEvent(true) sleeps until the server or
// Interrupt wakes it, without burning the processor meanwhile.
TEST_F(x11Backend, WaitsWithoutSpinningUntilWokenByServerOrInterrupt) {
  backend->WindowShown(Rect(0, 0, 1024, 768), kTitle);
  Window w = ShownWindow();
  ASSERT_NE(w, 0u);
  EventsUntilMarker(w);  // the map's exposures, out of the way
  EXPECT_EQ(backend->NextEvent(false).type, kNoEvent);

  backend->Interrupt();
  backend->Interrupt();  // wake-ups pending together are one
  EXPECT_EQ(backend->NextEvent(false).type, kInterruptEvent);
  EXPECT_EQ(backend->NextEvent(false).type, kNoEvent);

  auto cpuNow = [] {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
  };

  struct WakeCase {
    const char* what;
    Event::Type expected;
  };
  const WakeCase kWakes[] = {{"Interrupt", kInterruptEvent}, {"WM_DELETE_WINDOW", kCloseEvent}};
  for (const WakeCase& c : kWakes) {
    SCOPED_TRACE(c.what);
    std::string name = server->name();
    Backend* b = backend.get();
    bool interrupt = c.expected == kInterruptEvent;
    std::thread waker([name, b, w, interrupt] {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      if (interrupt) {
        b->Interrupt();
      } else {
        DisplayHandle other(XOpenDisplay(name.c_str()));
        if (other) x11test::SendDeleteWindow(other.get(), w);
      }
    });
    double cpuBefore = cpuNow();
    Event e = backend->NextEvent(true);
    double cpuUsed = cpuNow() - cpuBefore;
    waker.join();
    EXPECT_EQ(e.type, c.expected);
    // A busy wait would spend most of the 400 ms on the processor.
    EXPECT_LT(cpuUsed, 150.0) << "ms of processor time spent waiting";
  }
}

// XFixes reports the cursor the server shows; loaded at run time so that the
// build does not depend on it.
struct XFixes {
  void* lib = nullptr;
  Bool (*queryExtension)(Display*, int*, int*) = nullptr;
  XFixesCursorImage* (*getCursorImage)(Display*) = nullptr;
  XFixes() {
    lib = dlopen("libXfixes.so.3", RTLD_NOW);
    if (!lib) return;
    queryExtension = reinterpret_cast<decltype(queryExtension)>(dlsym(lib, "XFixesQueryExtension"));
    getCursorImage = reinterpret_cast<decltype(getCursorImage)>(dlsym(lib, "XFixesGetCursorImage"));
  }
  ~XFixes() {
    if (lib) dlclose(lib);
  }
  bool usable(Display* d) const {
    int event, error;
    return queryExtension && getCursorImage && queryExtension(d, &event, &error);
  }
  // The shown cursor's picture and hot spot, as one comparable string.
  std::string Shown(Display* d) const {
    XFixesCursorImage* image = getCursorImage(d);
    if (!image) return "";
    std::string out = std::to_string(image->width) + "x" + std::to_string(image->height) + "@" +
                      std::to_string(image->xhot) + "," + std::to_string(image->yhot) + ":";
    for (int i = 0; i < image->width * image->height; ++i)
      out += std::to_string(image->pixels[i]) + " ";
    XFree(image);
    return out;
  }
};

// The cursor over the window is the X watch for IDC_WAIT and the arrow for
// IDC_ARROW, compared with the server's own pictures of those shapes.
TEST_F(x11Backend, CursorOverTheWindowIsTheWatchOrTheArrow) {
  XFixes fixes;
  if (!fixes.usable(conn.get())) GTEST_SKIP() << "the server or this machine lacks XFixes";
  Display* d = conn.get();
  XWarpPointer(d, 0, DefaultRootWindow(d), 0, 0, 0, 0, 300, 300);

  // The reference pictures: a window of the test's own with the font cursor.
  auto reference = [&](unsigned int shape) {
    Cursor cursor = XCreateFontCursor(d, shape);
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.cursor = cursor;
    Window probe = XCreateWindow(d, DefaultRootWindow(d), 0, 0, 1024, 768, 0, 0, InputOnly,
                                 CopyFromParent, CWOverrideRedirect | CWCursor, &a);
    XMapWindow(d, probe);
    XSync(d, False);
    std::string shown = fixes.Shown(d);
    XDestroyWindow(d, probe);
    XFreeCursor(d, cursor);
    XSync(d, False);
    return shown;
  };
  const std::string watch = reference(XC_watch);
  const std::string arrow = reference(XC_left_ptr);
  ASSERT_NE(watch, arrow);

  backend->WindowShown(Rect(0, 0, 1024, 768), kTitle);
  EXPECT_TRUE(Eventually([&] { return fixes.Shown(d) == arrow; })) << "not the arrow at first";
  backend->SetCursorShape(32514);
  EXPECT_TRUE(Eventually([&] { return fixes.Shown(d) == watch; })) << "not the watch";
  backend->SetCursorShape(32512);
  EXPECT_TRUE(Eventually([&] { return fixes.Shown(d) == arrow; })) << "not the arrow again";

  // Set while no window is shown, the shape is the one the next window gets.
  backend->WindowHidden();
  backend->SetCursorShape(32514);
  backend->WindowShown(Rect(0, 0, 1024, 768), kTitle);
  EXPECT_TRUE(Eventually([&] { return fixes.Shown(d) == watch; })) << "new window lost the watch";
}

}  // namespace
