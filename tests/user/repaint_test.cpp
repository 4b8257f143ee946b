// What reaches the screen when the setup window is shown, resized and
// repainted, read back pixel by pixel from the screen surface.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "setup.h"
#include "support/process.h"
#include "w32/testing.h"
#include "window/window.h"

namespace {

using testsupport::TempDir;

// Blue level of client row y for a client of height h, worked out here
// from the gradient's rules: 2-, 3- or 6-pixel bands by height, 255 for the
// first two bands, one darker per band after, black from the 257th on.
int ExpectedLevel(int h, int y) {
  int a = h < 512 ? 2 : (h < 768 ? 3 : 6);
  int band = y / a;
  if (band == 0) return 255;
  return band <= 256 ? 256 - band : 0;
}

std::uint32_t Blue(int level) { return static_cast<std::uint32_t>(level); }

class RepaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("W32_ROOT", (dir_ / "root").c_str(), 1);
    setenv("W32_DISPLAY", "headless", 1);
    setenv("W32_PLATFORM", "windows", 1);
    setenv("W32_SCREEN", "1024x768", 1);
    unsetenv("W32_TRACE");
    std::string error;
    ASSERT_TRUE(w32test::Restart(&error)) << error;
    ASSERT_TRUE(RegisterSetupClass());
  }
  void TearDown() override {
    w32test::Stop();
    for (const char* name : {"W32_ROOT", "W32_DISPLAY", "W32_PLATFORM", "W32_SCREEN"})
      unsetenv(name);
  }

  // The program's window at the screen's origin, shown and painted once.
  HWND ShowSetupWindow(int width, int height) {
    HWND hwnd = CreateWindowExA(0, szSetupClassName, szSetupTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                                width, height, NULL, NULL, NULL, NULL);
    EXPECT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
  }

  // Client (x, y) of a window at the origin, on the screen.
  static std::uint32_t ClientPixel(int x, int y) { return w32test::ScreenPixel(x + 4, y + 23); }

  TempDir dir_;
};

TEST_F(RepaintTest, ClientAreaStartsInsideTheFrameAndCaption) {
  ShowSetupWindow(1024, 768);
  EXPECT_EQ(w32test::ScreenPixel(4, 23), Blue(255));
  EXPECT_EQ(w32test::ScreenPixel(1019, 763), Blue(ExpectedLevel(741, 740)));
  // Frame and caption are not the client's: not painted with the bands.
  for (auto [x, y] : {std::pair{3, 400}, std::pair{500, 22}, std::pair{1020, 400},
                      std::pair{500, 764}}) {
    EXPECT_NE(w32test::ScreenPixel(x, y) & 0xFFFF00u, 0u) << x << "," << y;
  }
}

TEST_F(RepaintTest, EnlargingRepaintsOnlyTheUncoveredStrips) {
  HWND hwnd = ShowSetupWindow(400, 300);  // client 392 x 273: 2-pixel bands
  ASSERT_EQ(ClientPixel(300, 250), Blue(ExpectedLevel(273, 250)));

  // Taller: client 392 x 573, 3-pixel bands for what is painted now.
  ASSERT_TRUE(w32test::UserResize(hwnd, 400, 600));
  UpdateWindow(hwnd);
  EXPECT_EQ(ClientPixel(300, 250), Blue(ExpectedLevel(273, 250))) << "kept what it had";
  for (int y : {273, 274, 276, 300, 572}) {
    EXPECT_EQ(ClientPixel(300, y), Blue(ExpectedLevel(573, y))) << "row " << y;
  }

  // Wider: client 592 x 573; the new strip on the right is painted.
  ASSERT_TRUE(w32test::UserResize(hwnd, 600, 600));
  UpdateWindow(hwnd);
  EXPECT_EQ(ClientPixel(300, 250), Blue(ExpectedLevel(273, 250)));
  for (int x : {392, 395, 591}) {
    EXPECT_EQ(ClientPixel(x, 250), Blue(ExpectedLevel(573, 250))) << "column " << x;
  }
}

TEST_F(RepaintTest, ShrinkingRepaintsNothing) {
  HWND hwnd = ShowSetupWindow(600, 500);
  std::uint32_t before = ClientPixel(100, 200);
  ASSERT_TRUE(w32test::UserResize(hwnd, 400, 300));
  PostMessageA(hwnd, WM_USER + 1, 0, 0);
  PostQuitMessage(0);
  MSG msg;
  int paints = 0;
  while (GetMessageA(&msg, NULL, 0, 0)) paints += msg.message == WM_PAINT;
  EXPECT_EQ(paints, 0);
  EXPECT_EQ(ClientPixel(100, 200), before);
  // The desktop shows again where the window was.
  EXPECT_EQ(w32test::ScreenPixel(550, 450), 0x008080u);
}

TEST_F(RepaintTest, RepeatedPaintsLeaveNoDrawingObjectBehind) {
  setenv("W32_SCREEN", "320x240", 1);
  ASSERT_TRUE(w32test::Restart());
  ASSERT_TRUE(RegisterSetupClass());
  HWND hwnd = ShowSetupWindow(320, 240);
  for (int i = 0; i < 1000; ++i) {
    ShowWindow(hwnd, SW_HIDE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
  }
  EXPECT_EQ(w32test::LiveGdiObjects(), 0u);
  EXPECT_EQ(w32test::GdiFaults(), 0u);
  EXPECT_EQ(ClientPixel(0, 0), Blue(255)) << "and it still paints";
}

}  // namespace
