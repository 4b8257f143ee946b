// The setup window's paint, pixel by pixel: the gradient's bands for client
// heights around each band-height step, and the banner with its shadow.
#include <functional>

#include "gdi_fixture.h"
#include "setup.h"
#include "support/bands.h"
#include "support/png_read.h"
#include "support/process.h"
#include "window/window.h"

namespace {

constexpr int kScreenWidth = 1024;
// The banner's text lies inside this client box; elsewhere only bands show.
constexpr RECT kBannerBox{0, 0, 700, 60};
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

struct Client {
  int left, top, width, height;  // on the screen
};

using PixelAt = std::function<std::uint32_t(int x, int y)>;

HWND CreateSetupWindow(int width, int height) {
  EXPECT_TRUE(RegisterSetupClass());
  return CreateWindowExA(0, szSetupClassName, szSetupTitle, WS_OVERLAPPEDWINDOW, 0, 0, width,
                         height, nullptr, nullptr, g_hInstance, nullptr);
}

// Where the client area lies: the frame is as wide at the bottom as at the
// sides; the caption adds to the top.
Client FindClient(HWND hwnd) {
  RECT c{}, w{};
  EXPECT_TRUE(GetClientRect(hwnd, &c));
  EXPECT_TRUE(w32test::WindowRect(hwnd, &w));
  int border = ((w.right - w.left) - c.right) / 2;
  return {w.left + border, w.bottom - border - c.bottom, c.right, c.bottom};
}

std::uint32_t Blue(int level) { return static_cast<std::uint32_t>(level); }

// Checks every client pixel: outside the banner's box exactly the band's
// blue; inside it white text, its black shadow 4 right and 3 down, or the
// band's blue between the letters. Answers the number of wrong pixels.
int CheckPaint(const Client& client, const PixelAt& at, int* whiteCount) {
  int wrong = 0;
  *whiteCount = 0;
  auto fail = [&](int x, int y, const char* what) {
    if (wrong++ < 5) {
      ADD_FAILURE() << what << " at client (" << x << ", " << y << "): " << std::hex
                    << at(client.left + x, client.top + y);
    }
  };
  auto inClient = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < client.width && y < client.height;
  };
  auto px = [&](int x, int y) { return at(client.left + x, client.top + y); };
  for (int y = 0; y < client.height; ++y) {
    std::uint32_t band = Blue(testsupport::ExpectedRowLevel(client.height, y));
    for (int x = 0; x < client.width; ++x) {
      std::uint32_t p = px(x, y);
      bool inBanner = x < kBannerBox.right && y < kBannerBox.bottom;
      if (p == band) continue;
      if (!inBanner) {
        fail(x, y, "not the band's blue");
      } else if (p == kWhite) {
        ++*whiteCount;
        if (x < 3 || y < 5) fail(x, y, "white before the text's place");
        // The shadow under it shows wherever the text itself does not.
        if (inClient(x + 4, y + 3) && px(x + 4, y + 3) != kWhite &&
            px(x + 4, y + 3) != kBlack) {
          fail(x + 4, y + 3, "no shadow under the text");
        }
      } else if (p == kBlack) {
        if (px(x - 4, y - 3) != kWhite) fail(x, y, "shadow without its text");
      } else {
        fail(x, y, "neither text, shadow nor band");
      }
    }
  }
  return wrong;
}

struct PaintCase {
  int height;      // client height
  int bandHeight;  // from the documented table, as a check on the helper
  int bands;
  int lastLevel;
};

const PaintCase kPaints[] = {
    {101, 2, 51, 206},  {511, 2, 256, 1}, {512, 3, 171, 86}, {767, 3, 256, 1},
    {768, 6, 128, 129}, {1537, 6, 257, 0}, {1538, 6, 257, 0}, {1543, 6, 258, 0},
    {0, 2, 0, 0},
};

TEST_F(GdiTest, SetupWindowPaintsTheBandsAndTheBanner) {
  // The frame's size, from a first window.
  HWND probe = CreateSetupWindow(kScreenWidth, 300);
  ASSERT_NE(probe, nullptr);
  RECT c{};
  ASSERT_TRUE(GetClientRect(probe, &c));
  const int nonClient = 300 - c.bottom;

  for (const PaintCase& pc : kPaints) {
    SCOPED_TRACE("client height " + std::to_string(pc.height));
    testsupport::BandLayout layout = testsupport::ExpectedBands(pc.height);
    EXPECT_EQ(layout.bandHeight, pc.bandHeight);
    EXPECT_EQ(layout.bands, pc.bands);
    if (pc.bands > 0) {
      EXPECT_EQ(testsupport::ExpectedBandLevel(pc.bands - 1), pc.lastLevel);
    }

    const int windowHeight = pc.height + nonClient;
    setenv("W32_SCREEN", (std::to_string(kScreenWidth) + "x" + std::to_string(windowHeight)).c_str(),
           1);
    std::string error;
    ASSERT_TRUE(w32test::Restart(&error)) << error;
    HWND hwnd = CreateSetupWindow(kScreenWidth, windowHeight);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);

    Client client = FindClient(hwnd);
    ASSERT_EQ(client.height, pc.height);
    int white = 0;
    EXPECT_EQ(CheckPaint(client, w32test::ScreenPixel, &white), 0);
    if (pc.height > 60) {
      EXPECT_GT(white, 1000);
    }
    // Every brush and the font were released; nothing was refused.
    EXPECT_EQ(w32test::LiveGdiObjects(), 0u);
    EXPECT_EQ(w32test::GdiFaults(), 0u);
  }
}

TEST_F(GdiTest, ProgramScreenshotShowsThePaintedWindow) {
  HWND probe = CreateSetupWindow(kScreenWidth, 768);
  ASSERT_NE(probe, nullptr);
  Client client = FindClient(probe);
  w32test::Stop();

  testsupport::TempDir dir;
  testsupport::ProcessOptions options;
  options.env = {{"W32_ROOT", dir / "root"},
                 {"W32_SCREENSHOT", dir / "shot.png"},
                 {"W32_DISPLAY", "headless"},
                 {"W32_SCREEN", "1024x768"}};
  options.unset = {"DISPLAY", "W32_TRACE", "W32_FAIL", "W32_PLATFORM"};
  testsupport::ProcessResult run = testsupport::RunSetup(options);
  ASSERT_TRUE(run.exited) << run.err;
  EXPECT_EQ(run.status, 0) << run.err;

  testsupport::PngPicture shot;
  std::string error;
  ASSERT_TRUE(testsupport::ReadPng(dir / "shot.png", &shot, &error)) << error;
  ASSERT_EQ(shot.width, 1024);
  ASSERT_EQ(shot.height, 768);
  EXPECT_TRUE(shot.rgb8);
  int white = 0;
  EXPECT_EQ(CheckPaint(client, [&](int x, int y) { return shot.At(x, y); }, &white), 0);
  EXPECT_GT(white, 1000);
}

}  // namespace
