// Every drawing call leaves one trace line.
#include <cstdlib>

#include "gdi_fixture.h"
#include "kernel/handles.h"
#include "support/process.h"

namespace {

std::string Name(const void* handle) { return w32::HandleName(w32::HandleValue(handle)); }

TEST_F(GdiTest, DrawingCallsAreTraced) {
  testsupport::TempDir dir;
  std::string file = dir / "trace.txt";
  setenv("W32_TRACE", file.c_str(), 1);
  ASSERT_TRUE(w32test::Restart());
  unsetenv("W32_TRACE");

  HDC hdc = ScreenDc();
  HGDIOBJ pen = GetStockObject(NULL_PEN);
  HGDIOBJ oldPen = SelectObject(hdc, pen);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  RECT band{0, 0, 16, 2};
  FillRect(hdc, &band, brush);
  DeleteObject(brush);
  HFONT font = CreateFontA(36, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, RGB(255, 255, 255));
  TextOutA(hdc, 9, 8, "ZORLIN \"TECH\"", 13);
  w32test::Stop();

  std::vector<std::string> want = {
      "GetStockObject(8) = " + Name(pen),
      "SelectObject(" + Name(hdc) + ", " + Name(pen) + ") = " + Name(oldPen),
      "CreateSolidBrush(0xff0000) = " + Name(brush),
      "FillRect(" + Name(hdc) + ", {0, 0, 16, 2}, " + Name(brush) + ") = 1",
      "DeleteObject(" + Name(brush) + ") = TRUE",
      "CreateFontA(36, 0, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0, \"Times New Roman\") = " +
          Name(font),
      "SetBkMode(" + Name(hdc) + ", 1) = 2",
      "SetTextColor(" + Name(hdc) + ", 0xffffff) = 0x0",
      "TextOutA(" + Name(hdc) + ", 9, 8, \"ZORLIN \\\"TECH\\\"\", 13) = TRUE",
  };
  EXPECT_EQ(testsupport::ReadLines(file), want);
  EXPECT_EQ(Name(brush).rfind("<brush#", 0), 0u);
}

}  // namespace
