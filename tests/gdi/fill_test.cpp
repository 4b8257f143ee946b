// FillRect: exclusive right and bottom edges, the DC's origin and clipping.
#include <climits>
#include <vector>

#include "gdi_fixture.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000;  // RGB(255, 0, 0) on the surface

struct FillCase {
  const char* name;
  POINT origin;
  std::vector<RECT> clip;  // screen coordinates
  RECT rect;               // logical
  std::vector<RECT> painted;  // screen pixels expected red
};

const FillCase kFills[] = {
    {"edges exclusive", {0, 0}, {{0, 0, 64, 48}}, {2, 3, 5, 4}, {{2, 3, 5, 4}}},
    {"moved by the origin", {10, 20}, {{0, 0, 64, 48}}, {0, 0, 3, 2}, {{10, 20, 13, 22}}},
    {"negative logical", {10, 20}, {{0, 0, 64, 48}}, {-4, -1, 1, 1}, {{6, 19, 11, 21}}},
    {"empty", {0, 0}, {{0, 0, 64, 48}}, {5, 5, 5, 9}, {}},
    {"inverted", {0, 0}, {{0, 0, 64, 48}}, {9, 9, 2, 2}, {}},
    {"past the screen", {0, 0}, {{0, 0, 64, 48}}, {60, 40, 1000, 1000}, {{60, 40, 64, 48}}},
    {"off the screen", {0, 0}, {{0, 0, 64, 48}}, {-9, -9, 0, 0}, {}},
    {"clip rectangle", {8, 8}, {{10, 10, 20, 14}}, {0, 0, 40, 40}, {{10, 10, 20, 14}}},
    {"clip beyond the screen", {0, 0}, {{50, 40, 100, 100}}, {0, 0, 100, 100}, {{50, 40, 64, 48}}},
    {"clip of two parts", {0, 0}, {{0, 0, 4, 4}, {30, 30, 32, 33}}, {2, 2, 31, 31},
     {{2, 2, 4, 4}, {30, 30, 31, 31}}},
    {"no clip", {0, 0}, {}, {0, 0, 64, 48}, {}},
    {"extreme coordinates", {5, 5}, {{0, 0, 64, 48}}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
     {{0, 0, 64, 48}}},
};

bool Inside(const std::vector<RECT>& rects, int x, int y) {
  for (const RECT& r : rects) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

TEST_F(GdiTest, FillRectPaintsExactlyTheClippedRectangle) {
  for (const FillCase& c : kFills) {
    SCOPED_TRACE(c.name);
    w32::gdi::FillScreen(RECT{0, 0, kScreenW, kScreenH}, RGB(0, 128, 128),
                         w32::Region(RECT{0, 0, kScreenW, kScreenH}));
    w32::Region clip;
    for (const RECT& r : c.clip) clip.Add(r);
    HDC hdc = w32::gdi::CreateScreenDC(c.origin, clip);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_NE(FillRect(hdc, &c.rect, red), 0);
    int wrong = 0;
    for (int y = 0; y < kScreenH; ++y) {
      for (int x = 0; x < kScreenW; ++x) {
        std::uint32_t want = Inside(c.painted, x, y) ? kRed : kDesktop;
        if (Pixel(x, y) != want && wrong++ < 3) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Pixel(x, y);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(DeleteObject(red));
    w32::gdi::DestroyScreenDC(hdc);
  }
}

TEST_F(GdiTest, FillRectTakesSystemColourBrushes) {
  HDC hdc = ScreenDc();
  struct Case {
    int index;
    std::uint32_t pixel;
  } cases[] = {
      {w32::gdi::kColorWindow, 0xFFFFFF},
      {w32::gdi::kColorBtnFace, 0xC0C0C0},
      {w32::gdi::kColorActiveCaption, 0x000080},
      {w32::gdi::kColorInfoBk, 0xFFFFE1},
  };
  for (const Case& c : cases) {
    RECT r{0, 0, 2, 2};
    EXPECT_NE(FillRect(hdc, &r, reinterpret_cast<HBRUSH>(std::uintptr_t(c.index + 1))), 0);
    EXPECT_EQ(Pixel(1, 1), c.pixel) << c.index;
  }
  // Past the last system colour there is no such brush.
  RECT r{0, 0, 2, 2};
  EXPECT_EQ(FillRect(hdc, &r, reinterpret_cast<HBRUSH>(std::uintptr_t(40))), 0);
  EXPECT_EQ(FillRect(hdc, nullptr, reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1))),
            0);
  EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(GdiTest, HollowBrushPaintsNothing) {
  HDC hdc = ScreenDc();
  RECT r{0, 0, kScreenW, kScreenH};
  EXPECT_NE(FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(w32::gdi::kNullBrush))), 0);
  EXPECT_EQ(Pixel(3, 3), kDesktop);
}

TEST_F(GdiTest, ScreenStartsAsTheDesktop) {
  EXPECT_EQ(w32test::ScreenWidth(), kScreenW);
  EXPECT_EQ(w32test::ScreenHeight(), kScreenH);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) ASSERT_EQ(Pixel(x, y), kDesktop);
}

}  // namespace
