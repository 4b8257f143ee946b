// The headless display: its screen, the wake-up of a blocked wait, PNG
// writing and the screenshot taken when the platform stops.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "display/display.h"
#include "support/png_read.h"
#include "support/process.h"
#include "w32/testing.h"

namespace {

using w32::display::Event;
using w32::display::Surface;

constexpr std::uint32_t kDesktop = 0x008080;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    unsetenv("W32_TRACE");
    unsetenv("W32_SCREENSHOT");
    unsetenv("W32_SCREEN");
    setenv("W32_DISPLAY", "headless", 1);
  }
  void TearDown() override {
    w32test::Stop();
    unsetenv("W32_SCREENSHOT");
    unsetenv("W32_SCREEN");
  }
  static void Start() {
    std::string error;
    ASSERT_TRUE(w32test::Restart(&error)) << error;
  }
  static void Paint(const RECT& r, std::uint32_t pixel) {
    Surface& s = w32::display::Screen();
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x) s.Row(y)[x] = pixel;
  }
  static testsupport::PngPicture Read(const std::string& path) {
    testsupport::PngPicture picture;
    std::string error;
    EXPECT_TRUE(testsupport::ReadPng(path, &picture, &error)) << error;
    return picture;
  }
};

TEST_F(DisplayTest, ScreenTakesItsSizeFromTheConfigurationAndShowsTheDesktop) {
  struct Case {
    const char* screen;
    int width, height;
  } cases[] = {{nullptr, 1024, 768}, {"300x200", 300, 200}, {"1x1", 1, 1}};
  for (const Case& c : cases) {
    if (c.screen != nullptr) setenv("W32_SCREEN", c.screen, 1);
    Start();
    EXPECT_EQ(w32test::ScreenWidth(), c.width);
    EXPECT_EQ(w32test::ScreenHeight(), c.height);
    const Surface& s = w32::display::Screen();
    EXPECT_EQ(std::count(s.pixels.begin(), s.pixels.end(), kDesktop),
              static_cast<long>(c.width) * c.height);
  }
}

TEST_F(DisplayTest, ResizeKeepsWhatFitsAndShowsTheDesktopInTheRest) {
  setenv("W32_SCREEN", "8x6", 1);
  Start();
  Paint({0, 0, 8, 6}, 0x123456);
  w32test::ResizeScreen(5, 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(w32test::ScreenPixel(x, y), y < 6 ? 0x123456u : kDesktop) << x << "," << y;
}

TEST_F(DisplayTest, InterruptWakesABlockedWait) {
  Start();
  EXPECT_EQ(w32::display::NextEvent(false).type, Event::None);

  // Through the platform's own SIGTERM handler, as a user's kill would come.
  auto waiting = std::async(std::launch::async, [] { return w32::display::NextEvent(true); });
  EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  std::raise(SIGTERM);
  ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(waiting.get().type, Event::Interrupt);

  // A wake-up that comes before the wait is not lost, and is taken once.
  w32::display::Interrupt();
  w32::display::Interrupt();
  EXPECT_EQ(w32::display::NextEvent(true).type, Event::Interrupt);
  EXPECT_EQ(w32::display::NextEvent(false).type, Event::None);
}

TEST_F(DisplayTest, WritePngWritesExactRgbPixels) {
  testsupport::TempDir dir;
  Surface s;
  s.width = 3;
  s.height = 2;
  s.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFFFFFF, 0x010203};
  std::string path = dir / "small.png";
  ASSERT_TRUE(w32::display::WritePng(s, path));
  testsupport::PngPicture picture = Read(path);
  EXPECT_TRUE(picture.rgb8);
  EXPECT_EQ(picture.width, 3);
  EXPECT_EQ(picture.height, 2);
  EXPECT_EQ(picture.pixels, s.pixels);
  // Only the picture is left: no temporary beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);

  // Overwrites an older file whole.
  s.pixels.assign(6, 0x00AA00);
  ASSERT_TRUE(w32::display::WritePng(s, path));
  EXPECT_EQ(Read(path).pixels, s.pixels);
}

TEST_F(DisplayTest, WritePngReportsWhatCannotBeWritten) {
  testsupport::TempDir dir;
  Surface s;
  s.width = 1;
  s.height = 1;
  s.pixels = {0};
  EXPECT_FALSE(w32::display::WritePng(s, dir / "missing/shot.png"));
  EXPECT_FALSE(w32::display::WritePng(s, ""));
  Surface empty;
  EXPECT_FALSE(w32::display::WritePng(empty, dir / "empty.png"));
  EXPECT_FALSE(testsupport::FileExists(dir / "empty.png"));
}

TEST_F(DisplayTest, ScreenshotIsTheKeptScreenElseTheLastOne) {
  testsupport::TempDir dir;
  setenv("W32_SCREEN", "6x4", 1);
  struct Case {
    bool keep;
    std::uint32_t expected;
  } cases[] = {{true, 0x0000FF}, {false, 0xFF0000}};
  for (const Case& c : cases) {
    std::string path = dir / (c.keep ? "kept.png" : "last.png");
    setenv("W32_SCREENSHOT", path.c_str(), 1);
    Start();
    Paint({0, 0, 6, 4}, 0x0000FF);
    if (c.keep) w32::display::KeepScreenshot();
    Paint({0, 0, 6, 4}, 0xFF0000);
    EXPECT_FALSE(testsupport::FileExists(path));
    w32test::Stop();
    testsupport::PngPicture picture = Read(path);
    ASSERT_EQ(picture.pixels.size(), 24u);
    EXPECT_EQ(std::count(picture.pixels.begin(), picture.pixels.end(), c.expected), 24);
  }
}

}  // namespace
