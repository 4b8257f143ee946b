// The X11 display: the screen is the X screen, and the top-level window is a
// real X window that shows its whole window rectangle of the surface, frame
// and caption included. An X window manager, if one runs, adds its own
// decoration around it, so the client area keeps the size it has headless.
//
// The X connection and a self-pipe are waited on together, so a close signal
// wakes a blocked NextEvent just as an X event does.
#include "display/backend.h"
#include "display/wakeup.h"
#include "gdi/region.h"

// Xlib's headers define macros (None, Expose, ...) that collide with the
// display's event names, so the events are made here, before they come in.
namespace w32::display {
namespace {

Event NoEvent() { return Event{}; }
Event ExposeEvent(const RECT& r) { return Event{Event::Expose, r}; }
Event CloseEvent() { return Event{Event::Close, {}}; }
Event ResizeEvent(const RECT& r) { return Event{Event::Resize, r}; }
Event InterruptEvent() { return Event{Event::Interrupt, {}}; }
bool IsNone(const Event& e) { return e.type == Event::None; }

}  // namespace
}  // namespace w32::display

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace w32::display {
namespace {

// How long WindowShown waits for the server (or a window manager) to map the
// window before the first paint goes out; an Expose repaints it later anyway.
constexpr int kMapWaitMs = 2000;

constexpr int kCursorArrow = 32512;
constexpr int kCursorIBeam = 32513;
constexpr int kCursorWait = 32514;
constexpr int kCursorCross = 32515;
constexpr int kCursorUpArrow = 32516;
constexpr int kCursorSizeAll = 32646;
constexpr int kCursorNo = 32648;
constexpr int kCursorHand = 32649;
constexpr int kCursorAppStarting = 32650;
constexpr int kCursorHelp = 32651;

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// An XImage whose pixel buffer belongs to someone else (the surface or a
// std::vector): only the header is freed.
struct BorrowedImageDeleter {
  void operator()(XImage* image) const {
    image->data = nullptr;
    XDestroyImage(image);
  }
};
using BorrowedImage = std::unique_ptr<XImage, BorrowedImageDeleter>;

// Protocol errors (a window another client destroyed, say) are not fatal to
// the program, and the layer prints nothing: they are ignored.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// One colour channel of a TrueColor visual: where its bits sit in a pixel.
struct Channel {
  int shift = 0;  // lowest bit of the mask
  int bits = 0;   // width of the mask

  explicit Channel(unsigned long mask = 0) {
    if (mask == 0) return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    while (mask & 1) {
      mask >>= 1;
      ++bits;
    }
  }
  // An 8-bit level scaled to the channel's width, placed in the pixel.
  unsigned long Place(std::uint32_t level) const {
    unsigned long v = bits >= 8 ? static_cast<unsigned long>(level) << (bits - 8)
                                : static_cast<unsigned long>(level) >> (8 - bits);
    return v << shift;
  }
};

bool HostIsLittleEndian() {
  const std::uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

// The window's title arrives in code page 1252; X wants UTF-8 for
// _NET_WM_NAME and Latin-1 (STRING) for WM_NAME.
std::string Utf8FromCp1252(const char* text) {
  std::string in = text ? text : "";
  iconv_t cd = iconv_open("UTF-8", "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out(in.size() * 4 + 4, '\0');
  char* src = in.data();
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    // The five bytes code page 1252 leaves undefined become U+FFFD.
    if (dstLeft < 3) break;
    std::memcpy(dst, "\xEF\xBF\xBD", 3);
    dst += 3;
    dstLeft -= 3;
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

std::string Latin1FromUtf8(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    int extra = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    std::uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out += cp <= 0xFF ? static_cast<char>(cp) : '?';
    i += 1 + extra;
  }
  return out;
}

unsigned int FontCursorShape(int cursorId) {
  switch (cursorId) {
    case kCursorIBeam: return XC_xterm;
    case kCursorWait: return XC_watch;
    case kCursorCross: return XC_crosshair;
    case kCursorUpArrow: return XC_sb_up_arrow;
    case kCursorSizeAll: return XC_fleur;
    case kCursorNo: return XC_X_cursor;
    case kCursorHand: return XC_hand2;
    case kCursorAppStarting: return XC_watch;
    case kCursorHelp: return XC_question_arrow;
    case kCursorArrow:
    default: return XC_left_ptr;
  }
}

class X11Backend : public Backend {
 public:
  X11Backend(DisplayHandle display, Visual* visual, int depth, WakeupPipe wakeup)
      : display_(std::move(display)),
        visual_(visual),
        depth_(depth),
        wakeup_(std::move(wakeup)),
        red_(visual->red_mask),
        green_(visual->green_mask),
        blue_(visual->blue_mask) {
    Display* d = display_.get();
    int screen = DefaultScreen(d);
    root_ = RootWindow(d, screen);
    width_ = DisplayWidth(d, screen);
    height_ = DisplayHeight(d, screen);
    previousHandler_ = XSetErrorHandler(IgnoreXError);
    wmProtocols_ = XInternAtom(d, "WM_PROTOCOLS", False);
    wmDeleteWindow_ = XInternAtom(d, "WM_DELETE_WINDOW", False);
    netWmName_ = XInternAtom(d, "_NET_WM_NAME", False);
    utf8String_ = XInternAtom(d, "UTF8_STRING", False);
    colormap_ = visual_ == DefaultVisual(d, screen)
                    ? DefaultColormap(d, screen)
                    : XCreateColormap(d, root_, visual_, AllocNone);
    ownColormap_ = colormap_ != DefaultColormap(d, screen);
    gc_ = XCreateGC(d, root_, 0, nullptr);
    // With a different depth than the root, the GC must be made for a
    // drawable of the window's depth; it is made again when the window is.
    fastPath_ = depth_ == 24 && visual_->red_mask == 0xFF0000 &&
                visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
  }

  ~X11Backend() override {
    Display* d = display_.get();
    DestroyWindow();
    for (const auto& [id, cursor] : cursors_) XFreeCursor(d, cursor);
    if (gc_ != nullptr) XFreeGC(d, gc_);
    if (ownColormap_) XFreeColormap(d, colormap_);
    XSync(d, False);
    XSetErrorHandler(previousHandler_);
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  void Flush(const Surface& surface, const RECT& dirty) override {
    if (window_ == 0) return;
    RECT onSurface = Region::Intersection(dirty, RECT{0, 0, surface.width, surface.height});
    RECT r = Region::Intersection(onSurface, windowRect_);
    if (Region::IsEmpty(r)) return;
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    int dstX = r.left - windowRect_.left;
    int dstY = r.top - windowRect_.top;
    Display* d = display_.get();
    BorrowedImage whole;
    if (fastPath_) {
      // The surface's 0x00RRGGBB words are the visual's pixels already: the
      // image borrows the surface and XPutImage sends the dirty part of it.
      whole.reset(XCreateImage(
          d, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
          reinterpret_cast<char*>(const_cast<std::uint32_t*>(surface.pixels.data())),
          static_cast<unsigned>(surface.width), static_cast<unsigned>(surface.height), 32,
          surface.width * 4));
      if (whole && whole->bits_per_pixel != 32) whole.reset();
    }
    if (whole) {
      whole->byte_order = HostIsLittleEndian() ? LSBFirst : MSBFirst;
      XPutImage(d, window_, gc_, whole.get(), r.left, r.top, dstX, dstY,
                static_cast<unsigned>(w), static_cast<unsigned>(h));
    } else {
      // Any other TrueColor layout: each pixel rebuilt from its channels.
      BorrowedImage image(XCreateImage(d, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                       nullptr, static_cast<unsigned>(w),
                                       static_cast<unsigned>(h), 32, 0));
      if (!image) return;
      convert_.assign(static_cast<std::size_t>(image->bytes_per_line) * h, 0);
      image->data = convert_.data();
      for (int y = 0; y < h; ++y) {
        const std::uint32_t* row = surface.Row(r.top + y) + r.left;
        for (int x = 0; x < w; ++x) {
          std::uint32_t p = row[x];
          XPutPixel(image.get(), x, y,
                    red_.Place((p >> 16) & 0xFF) | green_.Place((p >> 8) & 0xFF) |
                        blue_.Place(p & 0xFF));
        }
      }
      XPutImage(d, window_, gc_, image.get(), 0, 0, dstX, dstY, static_cast<unsigned>(w),
                static_cast<unsigned>(h));
    }
    XFlush(d);
  }

  void WindowShown(const RECT& screenRect, const char* title) override {
    Display* d = display_.get();
    DestroyWindow();
    windowRect_ = screenRect;
    int w = std::max(1, static_cast<int>(screenRect.right - screenRect.left));
    int h = std::max(1, static_cast<int>(screenRect.bottom - screenRect.top));
    XSetWindowAttributes attrs{};
    attrs.background_pixel = 0;
    attrs.border_pixel = 0;
    attrs.colormap = colormap_;
    attrs.cursor = CursorFor(cursorId_);
    attrs.event_mask = ExposureMask | StructureNotifyMask;
    window_ = XCreateWindow(d, root_, screenRect.left, screenRect.top, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), 0, depth_, InputOutput, visual_,
                            CWBackPixel | CWBorderPixel | CWColormap | CWCursor | CWEventMask,
                            &attrs);
    if (window_ == 0) return;
    mappedWidth_ = w;
    mappedHeight_ = h;
    if (depth_ != DefaultDepth(d, DefaultScreen(d))) {
      XFreeGC(d, gc_);
      gc_ = XCreateGC(d, window_, 0, nullptr);
    }

    std::string utf8 = Utf8FromCp1252(title);
    std::string latin1 = Latin1FromUtf8(utf8);
    XChangeProperty(d, window_, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin1.data()),
                    static_cast<int>(latin1.size()));
    XChangeProperty(d, window_, netWmName_, utf8String_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
    XSetWMProtocols(d, window_, &wmDeleteWindow_, 1);
    // The program places its window itself: a window manager is asked to
    // keep the position and size as given.
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PPosition | PSize;
    hints.x = screenRect.left;
    hints.y = screenRect.top;
    hints.width = w;
    hints.height = h;
    XSetWMNormalHints(d, window_, &hints);

    XMapWindow(d, window_);
    WaitForMap();
  }

  void WindowHidden() override {
    DestroyWindow();
    XFlush(display_.get());
  }

  void SetCursorShape(int cursorId) override {
    cursorId_ = cursorId;
    if (window_ == 0) return;
    XDefineCursor(display_.get(), window_, CursorFor(cursorId));
    // The program may not come back to its loop for a while (the wait
    // cursor shows during work), so the change goes out now.
    XFlush(display_.get());
  }

  Event NextEvent(bool block) override {
    Display* d = display_.get();
    for (;;) {
      if (wakeup_.Drain()) return InterruptEvent();
      // XPending sends what is buffered and reads what the server has sent.
      while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
        Event out = Translate(ev);
        if (!IsNone(out)) return out;
      }
      if (!block) return NoEvent();
      pollfd fds[2] = {{wakeup_.fd(), POLLIN, 0}, {ConnectionNumber(d), POLLIN, 0}};
      // EINTR is typically the close signal, whose byte the next round reads.
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) return NoEvent();
    }
  }

  void Interrupt() override { wakeup_.Wake(); }

 private:
  Cursor CursorFor(int cursorId) {
    auto it = cursors_.find(cursorId);
    if (it != cursors_.end()) return it->second;
    Display* d = display_.get();
    Cursor cursor;
    if (cursorId == 0) {
      // SetCursor(NULL) hides the cursor: a cursor with no visible pixel.
      char bits = 0;
      Pixmap blank = XCreateBitmapFromData(d, root_, &bits, 1, 1);
      XColor black{};
      cursor = XCreatePixmapCursor(d, blank, blank, &black, &black, 0, 0);
      XFreePixmap(d, blank);
    } else {
      cursor = XCreateFontCursor(d, FontCursorShape(cursorId));
    }
    cursors_.emplace(cursorId, cursor);
    return cursor;
  }

  Event Translate(const XEvent& ev) {
    if (window_ == 0 || ev.xany.window != window_) return NoEvent();
    switch (ev.type) {
      case Expose: {
        const XExposeEvent& e = ev.xexpose;
        LONG left = windowRect_.left + e.x;
        LONG top = windowRect_.top + e.y;
        return ExposeEvent(RECT{left, top, left + e.width, top + e.height});
      }
      case ClientMessage: {
        const XClientMessageEvent& e = ev.xclient;
        if (e.message_type == wmProtocols_ && e.format == 32 &&
            static_cast<Atom>(e.data.l[0]) == wmDeleteWindow_)
          return CloseEvent();
        return NoEvent();
      }
      case ConfigureNotify: {
        const XConfigureEvent& e = ev.xconfigure;
        if (e.width == mappedWidth_ && e.height == mappedHeight_) return NoEvent();
        // Only the size matters: the window keeps its place on the screen
        // surface wherever the X window has been moved to.
        mappedWidth_ = e.width;
        mappedHeight_ = e.height;
        windowRect_.right = windowRect_.left + e.width;
        windowRect_.bottom = windowRect_.top + e.height;
        return ResizeEvent(windowRect_);
      }
      case DestroyNotify:
        // Destroyed by another client: there is no window left to show.
        if (ev.xdestroywindow.window != window_) return NoEvent();
        window_ = 0;
        return CloseEvent();
      default:
        return NoEvent();
    }
  }

  // Waits, for a bounded time, until the window is mapped, so that the first
  // paint is not sent to a window the server would not show yet.
  void WaitForMap() {
    Display* d = display_.get();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMapWaitMs);
    for (;;) {
      XEvent ev;
      // Other events stay queued for NextEvent, in order.
      if (XCheckTypedWindowEvent(d, window_, MapNotify, &ev)) return;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0) return;
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return;
    }
  }

  void DestroyWindow() {
    if (window_ == 0) return;
    XDestroyWindow(display_.get(), window_);
    window_ = 0;
  }

  DisplayHandle display_;
  Visual* visual_;
  int depth_;
  WakeupPipe wakeup_;
  Channel red_, green_, blue_;
  bool fastPath_ = false;
  ::Window root_ = 0;
  int width_ = 0;
  int height_ = 0;
  Colormap colormap_ = 0;
  bool ownColormap_ = false;
  GC gc_ = nullptr;
  XErrorHandler previousHandler_ = nullptr;
  Atom wmProtocols_ = 0, wmDeleteWindow_ = 0, netWmName_ = 0, utf8String_ = 0;

  ::Window window_ = 0;
  RECT windowRect_{};  // the surface rectangle the X window shows
  int mappedWidth_ = 0;
  int mappedHeight_ = 0;
  int cursorId_ = kCursorArrow;
  std::map<int, Cursor> cursors_;
  std::vector<char> convert_;
};

}  // namespace

std::unique_ptr<Backend> MakeX11Backend(const Config&, std::string* error) {
  const char* name = XDisplayName(nullptr);
  DisplayHandle display(XOpenDisplay(nullptr));
  if (!display) {
    *error = std::string("X11 display: cannot open display '") + (name ? name : "") + "'";
    return nullptr;
  }
  Display* d = display.get();
  int screen = DefaultScreen(d);
  Visual* visual = DefaultVisual(d, screen);
  int depth = DefaultDepth(d, screen);
  if (visual->c_class != TrueColor) {
    XVisualInfo info{};
    bool found = false;
    for (int want : {24, 32, 16, 15}) {
      if (XMatchVisualInfo(d, screen, want, TrueColor, &info)) {
        found = true;
        break;
      }
    }
    if (!found) {
      *error = "X11 display: the screen has no TrueColor visual";
      return nullptr;
    }
    visual = info.visual;
    depth = info.depth;
  }
  WakeupPipe wakeup;
  if (!wakeup.Open("X11 display", error)) return nullptr;
  // The connection is not handed to a program the platform might start.
  ::fcntl(ConnectionNumber(d), F_SETFD, FD_CLOEXEC);
  return std::make_unique<X11Backend>(std::move(display), visual, depth, std::move(wakeup));
}

}  // namespace w32::display
