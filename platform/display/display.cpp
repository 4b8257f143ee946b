// The screen: one surface the drawing code paints into, the backend that
// shows it, and the screenshot taken when the platform stops.
#include "display/display.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "display/backend.h"
#include "gdi/gdi.h"

namespace w32::display {
namespace {

struct State {
  Surface screen;
  std::unique_ptr<Backend> backend;
  RECT dirty{};  // empty when nothing changed since the last Flush
  std::string screenshotPath;
  std::optional<Surface> kept;  // the screen as the window last showed it
};

State g_state;
// What a signal handler may reach: set while the backend lives.
std::atomic<Backend*> g_signalTarget{nullptr};

std::uint32_t DesktopPixel() { return PixelFromColor(gdi::SysColor(gdi::kColorBackground)); }

RECT ScreenRect() { return {0, 0, g_state.screen.width, g_state.screen.height}; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool Open(const Config& config, std::string* error) {
  Close();
  std::unique_ptr<Backend> backend = config.display == DisplayKind::X11
                                         ? MakeX11Backend(config, error)
                                         : MakeHeadlessBackend(config, error);
  if (!backend) return false;
  g_state.screen.width = backend->Width();
  g_state.screen.height = backend->Height();
  g_state.screen.pixels.assign(
      static_cast<std::size_t>(g_state.screen.width) * g_state.screen.height, DesktopPixel());
  g_state.dirty = ScreenRect();
  g_state.screenshotPath = config.screenshot;
  g_state.kept.reset();
  g_state.backend = std::move(backend);
  g_signalTarget.store(g_state.backend.get());
  return true;
}

void Close() {
  if (!g_state.backend) return;
  if (!g_state.screenshotPath.empty()) {
    const Surface& shot = g_state.kept ? *g_state.kept : g_state.screen;
    if (!WritePng(shot, g_state.screenshotPath)) {
      std::fprintf(stderr, "W32_SCREENSHOT: cannot write '%s'\n",
                   g_state.screenshotPath.c_str());
    }
  }
  g_signalTarget.store(nullptr);
  g_state.backend.reset();
  g_state.kept.reset();
  g_state.screenshotPath.clear();
  g_state.dirty = {};
}

Surface& Screen() { return g_state.screen; }

void MarkDirty(const RECT& screenRect) {
  RECT r = Region::Intersection(screenRect, ScreenRect());
  if (Region::IsEmpty(r)) return;
  RECT& d = g_state.dirty;
  if (Region::IsEmpty(d)) {
    d = r;
    return;
  }
  d.left = std::min(d.left, r.left);
  d.top = std::min(d.top, r.top);
  d.right = std::max(d.right, r.right);
  d.bottom = std::max(d.bottom, r.bottom);
}

void Flush() {
  if (!g_state.backend || Region::IsEmpty(g_state.dirty)) return;
  g_state.backend->Flush(g_state.screen, g_state.dirty);
  g_state.dirty = {};
}

void WindowShown(const RECT& screenRect, const char* title) {
  if (g_state.backend) g_state.backend->WindowShown(screenRect, title);
}

void WindowHidden() {
  if (g_state.backend) g_state.backend->WindowHidden();
}

void SetCursorShape(int cursorId) {
  if (g_state.backend) g_state.backend->SetCursorShape(cursorId);
}

Event NextEvent(bool block) {
  if (!g_state.backend) return Event{};
  Flush();
  return g_state.backend->NextEvent(block);
}

void Interrupt() {
  if (Backend* backend = g_signalTarget.load()) backend->Interrupt();
}

void KeepScreenshot() {
  if (g_state.screenshotPath.empty()) return;
  g_state.kept = g_state.screen;
}

bool WritePng(const Surface& surface, const std::string& path) {
  if (surface.width <= 0 || surface.height <= 0 || path.empty()) return false;

  std::vector<png_byte> rgb(static_cast<std::size_t>(surface.width) * surface.height * 3);
  png_byte* out = rgb.data();
  for (std::uint32_t p : surface.pixels) {
    *out++ = static_cast<png_byte>(p >> 16);
    *out++ = static_cast<png_byte>(p >> 8);
    *out++ = static_cast<png_byte>(p);
  }

  // Written beside the target and renamed over it, so a reader never sees a
  // half-written picture.
  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "wb"));
  if (!file) {
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(surface.width);
  image.height = static_cast<png_uint_32>(surface.height);
  image.format = PNG_FORMAT_RGB;
  bool ok = png_image_write_to_stdio(&image, file.get(), 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  ok = std::fflush(file.get()) == 0 && ok;
  ok = ::fsync(::fileno(file.get())) == 0 && ok;
  ok = std::fclose(file.release()) == 0 && ok;
  // mkstemp makes the file private; a screenshot is an ordinary file.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ok = ok && ::chmod(temp.c_str(), 0666 & ~mask) == 0;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}

void ResizeScreen(int width, int height) {
  if (width <= 0 || height <= 0) return;
  Surface resized;
  resized.width = width;
  resized.height = height;
  resized.pixels.assign(static_cast<std::size_t>(width) * height, DesktopPixel());
  const Surface& old = g_state.screen;
  int keepW = std::min(width, old.width);
  int keepH = std::min(height, old.height);
  for (int y = 0; y < keepH; ++y) std::copy_n(old.Row(y), keepW, resized.Row(y));
  g_state.screen = std::move(resized);
  g_state.dirty = ScreenRect();
}

}  // namespace w32::display
