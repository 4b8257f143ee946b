// A headless platform on a small screen, started afresh for each test.
#ifndef TESTS_GDI_GDI_FIXTURE_H
#define TESTS_GDI_GDI_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "gdi/gdi.h"
#include "w32/testing.h"

constexpr int kScreenW = 64;
constexpr int kScreenH = 48;
constexpr std::uint32_t kDesktop = 0x008080;  // teal, as a surface pixel

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    unsetenv("W32_TRACE");
    unsetenv("W32_SCREENSHOT");
    unsetenv("W32_FAIL");
    setenv("W32_DISPLAY", "headless", 1);
    setenv("W32_SCREEN", (std::to_string(kScreenW) + "x" + std::to_string(kScreenH)).c_str(), 1);
    std::string error;
    ASSERT_TRUE(w32test::Restart(&error)) << error;
  }
  void TearDown() override { w32test::Stop(); }

  // A DC over the whole screen with logical (0, 0) at the screen's corner.
  static HDC ScreenDc() {
    return w32::gdi::CreateScreenDC(POINT{0, 0}, w32::Region(RECT{0, 0, kScreenW, kScreenH}));
  }
  static std::uint32_t Pixel(int x, int y) { return w32test::ScreenPixel(x, y); }
};

#endif  // TESTS_GDI_GDI_FIXTURE_H
