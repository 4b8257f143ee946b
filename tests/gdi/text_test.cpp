// Fonts and TextOutA: the face fontconfig picks, the cell, bi-level ink,
// placement by the cell's top-left corner, background modes and clipping.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "gdi_fixture.h"

namespace {

constexpr int kTextW = 400;
constexpr int kTextH = 100;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

HFONT MakeFont(int height, int weight, bool italic, const char* face) {
  return CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
  int count = 0;
};

class TextTest : public GdiTest {
 protected:
  void SetUp() override {
    GdiTest::SetUp();
    w32test::ResizeScreen(kTextW, kTextH);
    Clear();
    hdc_ = w32::gdi::CreateScreenDC(POINT{0, 0}, w32::Region(RECT{0, 0, kTextW, kTextH}));
    font_ = MakeFont(36, FW_BOLD, true, "Times New Roman");
    oldFont_ = SelectObject(hdc_, font_);
    SetTextColor(hdc_, RGB(255, 0, 0));
  }
  void TearDown() override {
    SelectObject(hdc_, oldFont_);
    EXPECT_TRUE(DeleteObject(font_));
    EXPECT_EQ(w32test::LiveGdiObjects(), 0u);
    GdiTest::TearDown();
  }

  static void Clear() {
    w32::gdi::FillScreen(RECT{0, 0, kTextW, kTextH}, RGB(128, 128, 128),
                         w32::Region(RECT{0, 0, kTextW, kTextH}));
  }
  static Box Find(std::uint32_t pixel) {
    Box b;
    for (int y = 0; y < kTextH; ++y) {
      for (int x = 0; x < kTextW; ++x) {
        if (Pixel(x, y) != pixel) continue;
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
        ++b.count;
      }
    }
    return b;
  }
  static std::vector<std::uint32_t> Snapshot() {
    std::vector<std::uint32_t> s;
    for (int y = 0; y < kTextH; ++y)
      for (int x = 0; x < kTextW; ++x) s.push_back(Pixel(x, y));
    return s;
  }
  int Ascent() const {
    w32::gdi::FontInfo info;
    EXPECT_TRUE(w32::gdi::DescribeFont(font_, &info));
    return info.ascent;
  }

  HDC hdc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

TEST_F(GdiTest, FontsResolveThroughFontconfig) {
  struct Case {
    int height, weight;
    bool italic;
    const char* face;
    const char* family;
    const char* style;
    int cell;  // 0: only larger than the em height asked for
  } cases[] = {
      {36, FW_BOLD, true, "Times New Roman", "Liberation Serif", "Bold Italic", 36},
      {13, FW_BOLD, false, "Arial", "Liberation Sans", "Bold", 13},
      {20, FW_NORMAL, false, "Courier New", "Liberation Mono", "Regular", 20},
      {-36, FW_BOLD, true, "Times New Roman", "Liberation Serif", "Bold Italic", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face);
    HFONT font = MakeFont(c.height, c.weight, c.italic, c.face);
    w32::gdi::FontInfo info;
    ASSERT_TRUE(w32::gdi::DescribeFont(font, &info));
    EXPECT_EQ(info.family, c.family);
    EXPECT_EQ(info.style, c.style);
    if (c.cell != 0) {
      EXPECT_EQ(info.ascent + info.descent, c.cell);
    } else {
      EXPECT_GT(info.ascent + info.descent, -c.height);
    }
    EXPECT_GT(info.ascent, info.descent);
    EXPECT_TRUE(DeleteObject(font));
  }
}

TEST_F(TextTest, TransparentTextIsBiLevelAndPlacedByItsCell) {
  SetBkMode(hdc_, TRANSPARENT);
  ASSERT_TRUE(TextOutA(hdc_, 10, 20, "ZORLIN", 6));
  Box ink = Find(kRed);
  Box rest = Find(kGrey);
  // Every pixel is the text colour or the untouched background.
  EXPECT_GT(ink.count, 200);
  EXPECT_EQ(ink.count + rest.count, kTextW * kTextH);
  // Capitals stand on the baseline, ascent rows below the cell's top.
  EXPECT_GE(ink.top, 20);
  EXPECT_GE(ink.bottom, 20 + Ascent() - 2);
  EXPECT_LE(ink.bottom, 20 + Ascent());
  EXPECT_GE(ink.left, 8);
  // The background shows between the strokes: inside the ink's box there is
  // still grey (the counter of the O, the gaps between letters).
  int between = 0;
  for (int y = ink.top; y <= ink.bottom; ++y)
    for (int x = ink.left; x <= ink.right; ++x) between += Pixel(x, y) == kGrey;
  EXPECT_GT(between, ink.count / 2);
}

TEST_F(TextTest, OpaqueTextFillsItsCellWithTheBackground) {
  ASSERT_TRUE(TextOutA(hdc_, 10, 20, "ZORLIN", 6));
  Box ink = Find(kRed);
  Box cell = Find(kWhite);
  EXPECT_GT(ink.count, 200);
  EXPECT_EQ(cell.top, 20);
  EXPECT_EQ(cell.bottom, 20 + 36 - 1);
  EXPECT_EQ(cell.left, 10);
  // Inside the cell nothing of the old background is left.
  for (int y = cell.top; y <= cell.bottom; ++y)
    for (int x = cell.left; x <= cell.right; ++x) ASSERT_NE(Pixel(x, y), kGrey) << x << "," << y;
  EXPECT_EQ(ink.count + cell.count + Find(kGrey).count, kTextW * kTextH);
}

TEST_F(TextTest, TextMovesWithItsPositionAndTheDcOrigin) {
  SetBkMode(hdc_, TRANSPARENT);
  ASSERT_TRUE(TextOutA(hdc_, 10, 20, "Ag\xe9\x80", 4));
  std::vector<std::uint32_t> first = Snapshot();
  Clear();
  HDC moved = w32::gdi::CreateScreenDC(POINT{2, 3}, w32::Region(RECT{0, 0, kTextW, kTextH}));
  HGDIOBJ old = SelectObject(moved, font_);
  SetBkMode(moved, TRANSPARENT);
  SetTextColor(moved, RGB(255, 0, 0));
  ASSERT_TRUE(TextOutA(moved, 11, 22, "Ag\xe9\x80", 4));
  SelectObject(moved, old);
  w32::gdi::DestroyScreenDC(moved);
  // Drawn 3 right and 5 down of the first.
  for (int y = 0; y + 5 < kTextH; ++y)
    for (int x = 0; x + 3 < kTextW; ++x)
      ASSERT_EQ(Pixel(x + 3, y + 5), first[y * kTextW + x]) << x << "," << y;
}

TEST_F(TextTest, TextIsClippedToTheDc) {
  SetBkMode(hdc_, TRANSPARENT);
  RECT visible{30, 25, 60, 40};
  HDC clipped = w32::gdi::CreateScreenDC(POINT{0, 0}, w32::Region(visible));
  HGDIOBJ old = SelectObject(clipped, font_);
  SetTextColor(clipped, RGB(255, 0, 0));
  SetBkMode(clipped, OPAQUE);
  ASSERT_TRUE(TextOutA(clipped, 10, 20, "ZORLIN", 6));
  SelectObject(clipped, old);
  w32::gdi::DestroyScreenDC(clipped);
  for (std::uint32_t drawn : {kRed, kWhite}) {
    Box b = Find(drawn);
    EXPECT_GT(b.count, 0);
    EXPECT_GE(b.left, visible.left);
    EXPECT_GE(b.top, visible.top);
    EXPECT_LT(b.right, visible.right);
    EXPECT_LT(b.bottom, visible.bottom);
  }
}

TEST_F(TextTest, CountsAreChecked) {
  EXPECT_TRUE(TextOutA(hdc_, 10, 20, "ZORLIN", 0));
  EXPECT_EQ(Find(kGrey).count, kTextW * kTextH);
  EXPECT_FALSE(TextOutA(hdc_, 10, 20, "ZORLIN", -1));
  EXPECT_FALSE(TextOutA(hdc_, 10, 20, nullptr, 3));
  EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // Far off the screen: nothing drawn, no overflow.
  EXPECT_TRUE(TextOutA(hdc_, INT_MAX - 5, INT_MIN + 5, "ZORLIN", 6));
  EXPECT_EQ(Find(kGrey).count, kTextW * kTextH);
}

TEST_F(GdiTest, CaptionTextIsWhiteInsideItsRectangle) {
  w32test::ResizeScreen(kTextW, kTextH);
  w32::gdi::FillScreen(RECT{0, 0, kTextW, kTextH}, RGB(0, 0, 128),
                       w32::Region(RECT{0, 0, kTextW, kTextH}));
  RECT caption{4, 4, 80, 22};
  w32::gdi::DrawCaptionText(caption, "ZLN 4620K SCSI Host Adapter Setup", RGB(255, 255, 255),
                            w32::Region(RECT{0, 0, kTextW, kTextH}));
  int white = 0;
  for (int y = 0; y < kTextH; ++y) {
    for (int x = 0; x < kTextW; ++x) {
      std::uint32_t p = Pixel(x, y);
      ASSERT_TRUE(p == 0xFFFFFFu || p == 0x000080u) << x << "," << y;
      if (p != 0xFFFFFFu) continue;
      ++white;
      // Cut at the rectangle's right edge, and centred well inside it.
      EXPECT_TRUE(x >= caption.left && x < caption.right && y > caption.top &&
                  y < caption.bottom - 1)
          << x << "," << y;
    }
  }
  EXPECT_GT(white, 50);
}

}  // namespace
