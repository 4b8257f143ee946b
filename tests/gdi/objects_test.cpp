// The object table: stock objects, selection, deletion and handle checks.
#include <cstdint>

#include "gdi_fixture.h"
#include "kernel/handles.h"

namespace {

using w32::gdi::kBlackPen;
using w32::gdi::kSystemFont;
using w32::gdi::kWhiteBrush;

HFONT BannerFont() {
  return CreateFontA(36, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     "Times New Roman");
}

TEST_F(GdiTest, SelectObjectAnswersWhatItReplaced) {
  HDC hdc = ScreenDc();
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HFONT font = BannerFont();
  HGDIOBJ nullPen = GetStockObject(NULL_PEN);
  ASSERT_NE(nullPen, nullptr);

  // A new DC holds the black pen, the white brush and the system font.
  struct Case {
    HGDIOBJ object;
    HGDIOBJ initial;
  } cases[] = {
      {nullPen, GetStockObject(kBlackPen)},
      {brush, GetStockObject(kWhiteBrush)},
      {font, GetStockObject(kSystemFont)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectObject(hdc, c.object), c.initial);
    EXPECT_EQ(SelectObject(hdc, c.initial), c.object);
  }
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_EQ(w32test::LiveGdiObjects(), 0u);
  EXPECT_EQ(w32test::GdiFaults(), 0u);
}

TEST_F(GdiTest, StockObjectsAreStableAndNeverDeleted) {
  HGDIOBJ pen = GetStockObject(NULL_PEN);
  EXPECT_EQ(GetStockObject(NULL_PEN), pen);
  EXPECT_TRUE(DeleteObject(pen));
  // Still there: selecting it works and it is not counted as live.
  HDC hdc = ScreenDc();
  EXPECT_NE(SelectObject(hdc, pen), nullptr);
  EXPECT_EQ(w32test::LiveGdiObjects(), 0u);

  for (int bad : {-1, 9, 15, 18, 1000}) {
    EXPECT_EQ(GetStockObject(bad), nullptr) << bad;
    EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST_F(GdiTest, DeletingASelectedObjectIsRefusedAndCounted) {
  HDC hdc = ScreenDc();
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  HFONT font = BannerFont();
  HGDIOBJ oldBrush = SelectObject(hdc, brush);
  HGDIOBJ oldFont = SelectObject(hdc, font);

  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_EQ(w32test::GdiFaults(), 2u);
  EXPECT_EQ(w32test::LiveGdiObjects(), 2u);
  // The refused objects still work.
  RECT r{0, 0, 1, 1};
  EXPECT_NE(FillRect(hdc, &r, brush), 0);
  EXPECT_EQ(Pixel(0, 0), 0x090909u);

  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldFont);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_EQ(w32test::LiveGdiObjects(), 0u);
  EXPECT_EQ(w32test::GdiFaults(), 2u);
}

TEST_F(GdiTest, ObjectsInADestroyedDcMayBeDeleted) {
  HDC hdc = ScreenDc();
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  SelectObject(hdc, brush);
  w32::gdi::DestroyScreenDC(hdc);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(w32test::GdiFaults(), 0u);
}

TEST_F(GdiTest, StaleAndForeignHandlesAreRejected) {
  HDC hdc = ScreenDc();
  HBRUSH deleted = CreateSolidBrush(RGB(1, 1, 1));
  ASSERT_TRUE(DeleteObject(deleted));
  HDC goneDc = ScreenDc();
  w32::gdi::DestroyScreenDC(goneDc);
  auto forged = [](w32::HandleKind kind, std::uint64_t serial) {
    return w32::ToHandle<HGDIOBJ>(w32::MakeHandle(kind, serial));
  };
  HGDIOBJ windowHandle = forged(w32::HandleKind::Window, 1);
  HGDIOBJ unknownBrush = forged(w32::HandleKind::Brush, 999999);
  HGDIOBJ junk = reinterpret_cast<HGDIOBJ>(std::uintptr_t{0xdeadbeef});
  RECT r{0, 0, 4, 4};

  for (HGDIOBJ bad : {HGDIOBJ(deleted), windowHandle, unknownBrush, junk, HGDIOBJ(nullptr)}) {
    SCOPED_TRACE(w32::HandleName(w32::HandleValue(bad)));
    EXPECT_FALSE(DeleteObject(bad));
    EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SelectObject(hdc, bad), nullptr);
    EXPECT_EQ(FillRect(hdc, &r, static_cast<HBRUSH>(bad)), 0);
  }
  // A pen is no brush.
  EXPECT_EQ(FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(NULL_PEN))), 0);

  HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
  for (HDC badDc : {goneDc, static_cast<HDC>(windowHandle), static_cast<HDC>(nullptr)}) {
    EXPECT_EQ(SelectObject(badDc, brush), nullptr);
    EXPECT_EQ(FillRect(badDc, &r, brush), 0);
    EXPECT_EQ(SetBkMode(badDc, TRANSPARENT), 0);
    EXPECT_EQ(SetTextColor(badDc, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(TextOutA(badDc, 0, 0, "x", 1));
    EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  // Nothing was drawn by any of it.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(x, y), kDesktop);
  DeleteObject(brush);
}

TEST_F(GdiTest, LiveObjectsCountsCreatedUntilDeletedOrReset) {
  HBRUSH brushes[3];
  for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(0, 0, 255));
  HFONT font = BannerFont();
  EXPECT_EQ(w32test::LiveGdiObjects(), 4u);
  for (HBRUSH b : brushes) EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_EQ(w32test::LiveGdiObjects(), 0u);

  HBRUSH leaked = CreateSolidBrush(0);
  EXPECT_EQ(w32test::LiveGdiObjects(), 1u);
  w32::gdi::Reset();
  EXPECT_EQ(w32test::LiveGdiObjects(), 0u);
  EXPECT_FALSE(DeleteObject(leaked));
  // Stock objects outlive a reset.
  EXPECT_TRUE(DeleteObject(GetStockObject(NULL_PEN)));
}

TEST_F(GdiTest, ModesAndColoursAnswerThePreviousValue) {
  HDC hdc = ScreenDc();
  EXPECT_EQ(SetBkMode(hdc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(hdc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetBkMode(hdc, 7), 0);  // no such mode: refused, mode kept
  EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetBkMode(hdc, OPAQUE), OPAQUE);

  EXPECT_EQ(SetTextColor(hdc, RGB(255, 255, 255)), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(hdc, RGB(1, 2, 3)), RGB(255, 255, 255));
}

TEST_F(GdiTest, SystemColoursAreTheShippedScheme) {
  struct Case {
    int index;
    COLORREF color;
  } cases[] = {
      {w32::gdi::kColorBackground, RGB(0, 128, 128)},
      {w32::gdi::kColorActiveCaption, RGB(0, 0, 128)},
      {w32::gdi::kColorWindow, RGB(255, 255, 255)},
      {w32::gdi::kColorWindowText, RGB(0, 0, 0)},
      {w32::gdi::kColorCaptionText, RGB(255, 255, 255)},
      {w32::gdi::kColorBtnFace, RGB(192, 192, 192)},
      {w32::gdi::kColorBtnShadow, RGB(128, 128, 128)},
      {w32::gdi::kColorBtnHighlight, RGB(255, 255, 255)},
      {w32::gdi::kColor3dDkShadow, RGB(0, 0, 0)},
      {w32::gdi::kColor3dLight, RGB(192, 192, 192)},
  };
  for (const Case& c : cases) EXPECT_EQ(w32::gdi::SysColor(c.index), c.color) << c.index;
}

}  // namespace
