// The setup window's paint against the floor of writing the same pixels
// with memset: once for the background erase, once for the bands. Each
// paint benchmark measures its own floor in the same run and reports the
// ratio of the best batches as "x_floor".
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "gdi/gdi.h"
#include "setup.h"
#include "user/window_state.h"
#include "w32/testing.h"
#include "window/window.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Size {
  int width, height;
};

bool StartPlatform(int width, int height) {
  unsetenv("DISPLAY");
  unsetenv("W32_TRACE");
  unsetenv("W32_SCREENSHOT");
  setenv("W32_DISPLAY", "headless", 1);
  setenv("W32_SCREEN", (std::to_string(width) + "x" + std::to_string(height)).c_str(), 1);
  return w32test::Restart();
}

// Two memsets over every row of a rectangle of the screen: the least any
// erase-then-paint of it can cost.
void FloorOnce(const RECT& r) {
  w32::display::Surface& s = w32::display::Screen();
  const std::size_t bytes = static_cast<std::size_t>(r.right - r.left) * sizeof(std::uint32_t);
  for (int pass = 0; pass < 2; ++pass) {
    for (LONG y = r.top; y < r.bottom; ++y) std::memset(s.Row(y) + r.left, pass, bytes);
    benchmark::ClobberMemory();
  }
}

// Seconds per round of f, the best of a batch.
template <class F>
double BatchSeconds(F f) {
  constexpr int kRounds = 20;
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) f();
  return std::chrono::duration<double>(Clock::now() - start).count() / kRounds;
}

// Runs body in the benchmark's loop, then sets its best batch beside the
// floor's best batch over r, the two measured in turns so that both see
// the same machine (other processes, frequency), as "x_floor".
template <class Body>
void RunAgainstFloor(benchmark::State& state, const RECT& r, Body body) {
  for (auto _ : state) body();
  double floor = 1e9;
  double paint = 1e9;
  for (int turn = 0; turn < 10; ++turn) {
    floor = std::min(floor, BatchSeconds([&] { FloorOnce(r); }));
    paint = std::min(paint, BatchSeconds(body));
  }
  state.counters["x_floor"] = paint / floor;
  state.counters["floor_us"] = floor * 1e6;
  state.counters["paint_us"] = paint * 1e6;
}

void BM_MemsetFloor(benchmark::State& state) {
  Size size{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
  if (!StartPlatform(size.width, size.height)) return state.SkipWithError("no platform");
  RECT r{0, 0, size.width, size.height};
  for (auto _ : state) FloorOnce(r);
  w32test::Stop();
}

// The drawing calls of the paint, on a full-screen DC: erase, one brush per
// band, the banner's two lines of text.
void BM_GdiCalls(benchmark::State& state) {
  Size size{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
  if (!StartPlatform(size.width, size.height)) return state.SkipWithError("no platform");
  RECT screen{0, 0, size.width, size.height};
  w32::Region clip(screen);
  HDC hdc = w32::gdi::CreateScreenDC(POINT{0, 0}, clip);
  const int a = size.height < 512 ? 2 : size.height < 768 ? 3 : 6;
  const int bands = (size.height + a - 1) / a;
  RunAgainstFloor(state, screen, [&] {
    FillRect(hdc, &screen, reinterpret_cast<HBRUSH>(std::uintptr_t{COLOR_WINDOW + 1}));
    HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
    for (int i = 0; i < bands; ++i) {
      RECT band{0, i * a, size.width, (i + 1) * a};
      HBRUSH brush = CreateSolidBrush(RGB(0, 0, i == 0 ? 255 : i > 256 ? 0 : 256 - i));
      FillRect(hdc, &band, brush);
      DeleteObject(brush);
    }
    SelectObject(hdc, oldPen);
    HFONT font = CreateFontA(36, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(hdc, font);
    SetTextColor(hdc, RGB(0, 0, 0));
    TextOutA(hdc, 9, 8, szBannerText, lstrlenA(szBannerText));
    SetTextColor(hdc, RGB(255, 255, 255));
    TextOutA(hdc, 5, 5, szBannerText, lstrlenA(szBannerText));
    SelectObject(hdc, oldFont);
    DeleteObject(font);
    benchmark::ClobberMemory();
  });
  w32::gdi::DestroyScreenDC(hdc);
  w32test::Stop();
}

// The whole paint as the program gets it: the window invalidated with
// erase, then UpdateWindow (erase with the class brush, PaintSetupBackground).
void BM_WholePaint(benchmark::State& state) {
  Size size{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
  if (!StartPlatform(size.width, size.height)) return state.SkipWithError("no platform");
  if (!RegisterSetupClass()) return state.SkipWithError("no class");
  HWND hwnd = CreateWindowExA(0, szSetupClassName, szSetupTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                              size.width, size.height, nullptr, nullptr, g_hInstance, nullptr);
  if (hwnd == nullptr) return state.SkipWithError("no window");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  RECT client{};
  GetClientRect(hwnd, &client);
  RECT window{};
  w32test::WindowRect(hwnd, &window);
  // The floor covers the client area, where the erase and the bands go.
  int border = ((window.right - window.left) - client.right) / 2;
  RECT onScreen{window.left + border, window.bottom - border - client.bottom,
                window.left + border + client.right, window.bottom - border};
  RunAgainstFloor(state, onScreen, [&] {
    w32::user::Invalidate(w32::user::FindWindow(hwnd), client, true);
    UpdateWindow(hwnd);
    benchmark::ClobberMemory();
  });
  if (w32test::LiveGdiObjects() != 0) state.SkipWithError("drawing objects left behind");
  w32test::Stop();
}

}  // namespace

BENCHMARK(BM_MemsetFloor)->Args({1024, 768})->Args({1920, 1200})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GdiCalls)->Args({1024, 768})->Args({1920, 1200})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholePaint)->Args({1024, 768})->Args({1920, 1200})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
