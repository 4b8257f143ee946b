// The built program on a private X server, as a user on a desktop sees it:
// the window the server shows, its pixels, closing it, and what the run
// leaves in the hive, read back with hivexget.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <png.h>
#include <signal.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "x11/xvfb.h"

namespace {

using testsupport::FileExists;
using testsupport::ProcessOptions;
using testsupport::ProcessResult;
using testsupport::ReadLines;
using testsupport::RunCommand;
using testsupport::RunSetup;
using testsupport::TempDir;
using x11test::DisplayHandle;
using x11test::Pixels;
using x11test::Xvfb;

const char kTitle[] = "ZLN 4620K SCSI Host Adapter Setup";
constexpr int kScreenW = 1024, kScreenH = 768;
// The window covers the screen; its frame is 4 px a side and the caption
// 19 px, so the client area starts at (4, 23) and is 1016 x 741.
constexpr int kClientX = 4, kClientY = 23, kClientW = 1016, kClientH = 741;

// The blue level of client row y for a client 741 rows high: bands of 3.
unsigned long BandPixel(int y) {
  int i = y / 3;
  return i == 0 ? 255u : static_cast<unsigned long>((256 - i) & 0xFF);
}

// The screenshot as 0x00RRGGBB, or empty when it cannot be read.
std::vector<std::uint32_t> ReadPng(const std::string& path, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<std::uint32_t> out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return out;
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
    out.push_back((std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2]);
  return out;
}

int LineOf(const std::vector<std::string>& lines, const std::string& text) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

class x11Program : public ::testing::Test {
 protected:
  void SetUp() override {
    server = std::make_unique<Xvfb>("1024x768x24");
    if (!server->running()) GTEST_SKIP() << "no X server for this test: " << server->reason();
    conn.reset(XOpenDisplay(server->name().c_str()));
    if (!conn) GTEST_SKIP() << "cannot connect to the test's own Xvfb " << server->name();
    x11test::IgnoreProtocolErrors();
  }

  ProcessOptions Options(const std::string& platform) {
    ProcessOptions o;
    o.env["DISPLAY"] = server->name();
    o.env["W32_PLATFORM"] = platform;
    o.env["W32_ROOT"] = dir / "root";
    o.env["W32_TRACE"] = dir / "trace";
    // With DISPLAY set and W32_DISPLAY unset the platform picks X11 itself.
    o.unset = {"W32_DISPLAY", "W32_SCREEN", "W32_FAIL"};
    o.timeoutSeconds = 60;
    return o;
  }

  std::string Hive() const { return dir / "root/System32/config/SYSTEM"; }

  std::unique_ptr<Xvfb> server;
  DisplayHandle conn;
  TempDir dir;
};

// On NT the window is mapped as a real top-level window with the program's
// title and the screen's size, goes away again, and the entry is written
// while the watch shows.
TEST_F(x11Program, NtRunShowsTheTitledWindowThenWritesTheEntryAndExits) {
  Display* d = conn.get();
  Window root = DefaultRootWindow(d);
  // The test is the window manager: the program's map request comes here, so
  // the window is looked at while it surely exists, then mapped.
  XSelectInput(d, root, SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(d, False);

  struct Seen {
    Window window = 0;
    std::string name, netName;
    int x = -1, y = -1;
    unsigned width = 0, height = 0;
    bool mapped = false, destroyed = false;
  } seen;
  auto handleEvents = [&] {
    while (XPending(d) > 0) {
      XEvent ev;
      XNextEvent(d, &ev);
      if (ev.type == MapRequest && seen.window == 0) {
        seen.window = ev.xmaprequest.window;
        seen.name = x11test::TextProperty(d, seen.window, "WM_NAME");
        seen.netName = x11test::TextProperty(d, seen.window, "_NET_WM_NAME");
        Window r;
        unsigned border, depth;
        XGetGeometry(d, seen.window, &r, &seen.x, &seen.y, &seen.width, &seen.height, &border,
                     &depth);
        XMapWindow(d, seen.window);
        XSync(d, False);
      } else if (ev.type == MapRequest) {
        XMapWindow(d, ev.xmaprequest.window);
      } else if (ev.type == MapNotify && ev.xmap.window == seen.window) {
        seen.mapped = true;
      } else if (ev.type == DestroyNotify && ev.xdestroywindow.window == seen.window) {
        seen.destroyed = true;
      }
    }
  };

  ProcessOptions o = Options("nt");
  o.whileRunning = [&](int) {
    handleEvents();
    return false;
  };
  ProcessResult result = RunSetup(o);
  XSync(d, False);
  handleEvents();

  ASSERT_TRUE(result.exited) << result.err;
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  ASSERT_NE(seen.window, 0u) << "no window asked to be mapped";
  EXPECT_EQ(seen.name, kTitle);
  EXPECT_EQ(seen.netName, kTitle);
  EXPECT_EQ(seen.x, 0);
  EXPECT_EQ(seen.y, 0);
  EXPECT_EQ(seen.width, static_cast<unsigned>(kScreenW));
  EXPECT_EQ(seen.height, static_cast<unsigned>(kScreenH));
  EXPECT_TRUE(seen.mapped);
  EXPECT_TRUE(seen.destroyed);

  // The watch is set before the key is created and the arrow after it is
  // closed; the window is painted before any of it.
  std::vector<std::string> trace = ReadLines(dir / "trace");
  int paint = LineOf(trace, "EndPaint(");
  int wait = LineOf(trace, "SetCursor(<cursor#32514>)");
  int create = LineOf(trace, "RegCreateKeyA(");
  int close = LineOf(trace, "RegCloseKey(");
  int arrow = LineOf(trace, "SetCursor(<cursor#32512>)");
  EXPECT_GE(paint, 0);
  EXPECT_GT(wait, paint);
  EXPECT_GT(create, wait);
  EXPECT_GT(close, create);
  EXPECT_GT(arrow, close);

  ProcessResult start = RunCommand("hivexget '" + Hive() + "' 'ControlSet001\\Services\\ZLN571K' Start");
  EXPECT_EQ(start.out, "1\n") << start.err;
  ProcessResult image =
      RunCommand("hivexget '" + Hive() + "' 'ControlSet001\\Services\\ZLN571K' ImagePath");
  EXPECT_EQ(image.out, "\\SystemRoot\\System32\\drivers\\ZLN571K.SYS\n") << image.err;
}

// Elsewhere the window stays up, painted: bands of blue from the top of the
// client area down, the banner in white over them, the same picture as the
// surface's screenshot bit for bit; closing it (close box or signal) ends
// the program with 0 and nothing written.
TEST_F(x11Program, WindowsRunStaysPaintedUntilClosed) {
  struct CloseCase {
    const char* how;
    bool signal;
  };
  const CloseCase kCloses[] = {{"WM_DELETE_WINDOW", false}, {"SIGTERM", true}};
  for (const CloseCase& c : kCloses) {
    SCOPED_TRACE(c.how);
    TempDir run;
    Display* d = conn.get();
    Window window = 0;
    Pixels shown;
    ProcessOptions o = Options("windows");
    o.env["W32_ROOT"] = run / "root";
    o.env["W32_TRACE"] = run / "trace";
    o.env["W32_SCREENSHOT"] = run / "shot.png";
    o.whileRunning = [&](int pid) {
      if (window == 0) window = x11test::WaitForTopLevel(d, kTitle, 0);
      if (window == 0) return false;
      // Painted once the client's last row and a column down its right
      // side hold their bands.
      Pixels p = x11test::ReadWindow(d, window);
      if (p.width != kScreenW || p.height != kScreenH) return false;
      for (int y = 0; y < kClientH; ++y)
        if (p.At(kClientX + kClientW - 1, kClientY + y) != BandPixel(y)) return false;
      shown = p;
      if (c.signal) kill(pid, SIGTERM);
      else x11test::SendDeleteWindow(d, window);
      return true;
    };
    ProcessResult result = RunSetup(o);
    ASSERT_TRUE(result.exited) << result.err;
    EXPECT_EQ(result.status, 0) << result.err;
    ASSERT_NE(window, 0u) << "the window never appeared";
    ASSERT_EQ(shown.width, kScreenW) << "the window was never seen painted";
    EXPECT_FALSE(FileExists(run / "root/System32/config/SYSTEM"));
    XSync(d, False);
    for (Window w : x11test::TopLevels(d)) EXPECT_NE(w, window) << "the window is still there";

    // Below the banner every client row is its band, edge to edge; beside
    // the banner too.
    int wrong = 0;
    for (int y = 0; y < kClientH; ++y)
      for (int x = y < 60 ? 800 : 0; x < kClientW; ++x)
        wrong += shown.At(kClientX + x, kClientY + y) != BandPixel(y);
    EXPECT_EQ(wrong, 0) << "band pixels that are not their band's blue";
    int white = 0, black = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 800; ++x) {
        unsigned long p = shown.At(kClientX + x, kClientY + y);
        white += p == 0xFFFFFF;
        black += p == 0;
      }
    EXPECT_GT(white, 500) << "the banner's white letters";
    EXPECT_GT(black, 100) << "the banner's black shadow";

    // The server shows exactly the surface the platform painted, frame and all.
    int pw = 0, ph = 0;
    std::vector<std::uint32_t> shot = ReadPng(run / "shot.png", &pw, &ph);
    ASSERT_EQ(pw, kScreenW);
    ASSERT_EQ(ph, kScreenH);
    int differ = 0;
    for (int y = 0; y < kScreenH; ++y)
      for (int x = 0; x < kScreenW; ++x)
        differ += shown.At(x, y) != shot[static_cast<std::size_t>(y) * kScreenW + x];
    EXPECT_EQ(differ, 0) << "pixels where the X window and the screenshot disagree";
  }
}

// A display that cannot be opened stops the platform before the program
// starts: one line on standard error and status 2; W32_DISPLAY=headless
// runs without any X server.
TEST(x11ProgramStart, UnreachableDisplayIsOneLineAndStatusTwo) {
  struct StartCase {
    const char* display;  // W32_DISPLAY, "" for unset
    int status;
    int errLines;
  };
  const StartCase kStarts[] = {{"", 2, 1}, {"x11", 2, 1}, {"headless", 0, 0}};
  for (const StartCase& c : kStarts) {
    SCOPED_TRACE(std::string("W32_DISPLAY=") + c.display);
    TempDir dir;
    ProcessOptions o;
    o.env["DISPLAY"] = ":4093";  // nobody serves it
    o.env["W32_ROOT"] = dir / "root";
    o.env["W32_PLATFORM"] = "nt";
    if (*c.display) o.env["W32_DISPLAY"] = c.display;
    else o.unset.push_back("W32_DISPLAY");
    ProcessResult result = RunSetup(o);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(result.out, "");
    int lines = 0;
    for (char ch : result.err) lines += ch == '\n';
    EXPECT_EQ(lines, c.errLines) << result.err;
    if (c.status == 2) {
      EXPECT_NE(result.err.find("':4093'"), std::string::npos) << result.err;
      EXPECT_FALSE(FileExists(dir / "root/System32/config/SYSTEM"));
    }
  }
}

}  // namespace
