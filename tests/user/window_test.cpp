// The window manager as the setup window meets it: creation and its
// messages, the message loop's order, painting on demand, resizing, and
// the one-shot setup message.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "install/install.h"
#include "setup.h"
#include "support/process.h"
#include "w32/testing.h"
#include "window/window.h"

namespace {

using testsupport::ReadLines;
using testsupport::TempDir;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("W32_ROOT", (dir_ / "root").c_str(), 1);
    setenv("W32_TRACE", (dir_ / "trace").c_str(), 1);
    setenv("W32_DISPLAY", "headless", 1);
    setenv("W32_PLATFORM", "windows", 1);
    std::string error;
    ASSERT_TRUE(w32test::Restart(&error)) << error;
    g_hMainWnd = NULL;
    g_bSetupStarted = 0;
    g_hInstance = NULL;
  }
  void TearDown() override {
    w32test::Stop();
    for (const char* name : {"W32_ROOT", "W32_TRACE", "W32_DISPLAY", "W32_PLATFORM", "W32_SCREEN"})
      unsetenv(name);
  }

  int TraceCount(const std::string& text) {
    int n = 0;
    for (const std::string& line : ReadLines(dir_ / "trace")) n += line.find(text) != std::string::npos;
    return n;
  }

  // Runs the loop until it has nothing but the quit message left.
  static void RunLoopUntilQuit() {
    PostQuitMessage(0);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  HWND CreateSetupWindow() {
    EXPECT_TRUE(RegisterSetupClass());
    return CreateWindowExA(0, szSetupClassName, szSetupTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), NULL,
                           NULL, NULL, NULL);
  }

  TempDir dir_;
};

TEST_F(WindowTest, ClientAreaFollowsTheFrameAndCaption) {
  struct Case {
    int width, height, clientWidth, clientHeight;
  };
  const Case cases[] = {{1024, 768, 1016, 741}, {640, 480, 632, 453}, {8, 27, 0, 0}, {5, 5, 0, 0}};
  ASSERT_TRUE(RegisterSetupClass());
  for (const Case& c : cases) {
    HWND hwnd = CreateWindowExA(0, szSetupClassName, szSetupTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                                c.width, c.height, NULL, NULL, NULL, NULL);
    ASSERT_NE(hwnd, nullptr);
    RECT rc;
    ASSERT_TRUE(GetClientRect(hwnd, &rc));
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, c.clientWidth) << c.width << "x" << c.height;
    EXPECT_EQ(rc.bottom, c.clientHeight) << c.width << "x" << c.height;
    EXPECT_TRUE(DestroyWindow(hwnd));
  }
}

TEST_F(WindowTest, ClassNamesAreUniqueWithoutRegardToCase) {
  ASSERT_TRUE(RegisterSetupClass());
  EXPECT_FALSE(RegisterSetupClass());
  EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "zln4620ksetupclass";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL),
            nullptr);
  EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowTest, CreationSendsCreateAndQueuesTheSetupMessage) {
  g_hMainWnd = CreateSetupWindow();
  ASSERT_NE(g_hMainWnd, nullptr);
  // WM_NCCREATE then WM_CREATE, delivered before CreateWindowExA returns;
  // the setup message waits in the queue.
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_NCCREATE"), 1);
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_CREATE"), 1);
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_USER+103"), 0);
  EXPECT_EQ(g_bSetupStarted, 0);
}

TEST_F(WindowTest, SecondSetupMessageDoesNothing) {
  g_hMainWnd = CreateSetupWindow();
  ASSERT_NE(g_hMainWnd, nullptr);
  ShowWindow(g_hMainWnd, SW_SHOWNORMAL);
  UpdateWindow(g_hMainWnd);
  // As if another program posted it once more.
  ASSERT_TRUE(PostMessageA(g_hMainWnd, WM_STARTSETUP, 0, 0));
  RunLoopUntilQuit();
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_USER+103"), 2);
  EXPECT_EQ(TraceCount("GetVersionExA("), 1);
  EXPECT_EQ(g_bSetupStarted, 1);
  EXPECT_TRUE(w32test::IsWindowAlive(g_hMainWnd)) << "the window stays off Windows NT";
}

TEST_F(WindowTest, SetupWithoutAWindowStillWritesTheEntry) {
  setenv("W32_PLATFORM", "nt", 1);
  ASSERT_TRUE(w32test::Restart());
  g_hMainWnd = NULL;
  RunSetup();
  w32test::Stop();
  EXPECT_EQ(TraceCount("RegCloseKey("), 1);
  EXPECT_EQ(TraceCount("DestroyWindow(NULL) = FALSE"), 1);
  EXPECT_TRUE(testsupport::FileExists(dir_ / "root/System32/config/SYSTEM"));
}

TEST_F(WindowTest, UpdateWindowPaintsOnlyWhenSomethingNeedsIt) {
  g_hMainWnd = CreateSetupWindow();
  ASSERT_TRUE(UpdateWindow(g_hMainWnd));
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_PAINT"), 0) << "hidden: nothing to paint";
  EXPECT_FALSE(ShowWindow(g_hMainWnd, SW_SHOWNORMAL));
  ASSERT_TRUE(UpdateWindow(g_hMainWnd));
  ASSERT_TRUE(UpdateWindow(g_hMainWnd));
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_PAINT"), 1) << "the first paint validated it";
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_ERASEBKGND"), 1);
}

TEST_F(WindowTest, LoopHandsOutPostedMessagesInOrderThenQuit) {
  g_hMainWnd = CreateSetupWindow();
  ShowWindow(g_hMainWnd, SW_SHOWNORMAL);
  PostMessageA(g_hMainWnd, WM_USER + 1, 1, 2);
  PostQuitMessage(7);
  PostMessageA(g_hMainWnd, WM_USER + 2, 0, 0);
  std::vector<UINT> seen;
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0)) seen.push_back(msg.message);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  // Posted messages first (in order), the quit message after them; the
  // pending paint never comes before either.
  EXPECT_EQ(seen, (std::vector<UINT>{WM_STARTSETUP, WM_USER + 1, WM_USER + 2}));
}

TEST_F(WindowTest, BadHandlesAreRefused) {
  HWND stale = CreateSetupWindow();
  ASSERT_TRUE(DestroyWindow(stale));
  HWND foreign = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  for (HWND bad : {stale, foreign, static_cast<HWND>(NULL)}) {
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(ShowWindow(bad, SW_SHOWNORMAL));
    EXPECT_FALSE(UpdateWindow(bad));
    RECT rc;
    EXPECT_FALSE(GetClientRect(bad, &rc));
    PAINTSTRUCT ps;
    EXPECT_EQ(BeginPaint(bad, &ps), nullptr);
  }
  EXPECT_FALSE(PostMessageA(stale, WM_STARTSETUP, 0, 0));
  EXPECT_FALSE(PostMessageA(foreign, WM_CLOSE, 0, 0));
}

TEST_F(WindowTest, DestroyDiscardsItsQueuedMessages) {
  HWND hwnd = CreateSetupWindow();
  PostMessageA(hwnd, WM_USER + 5, 0, 0);
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(TraceCount("WndProc(<hwnd#1>, WM_DESTROY"), 1);
  // The window's WM_DESTROY handling posted the quit; nothing of it is left.
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, NULL, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(WindowTest, CursorsAreStableAndSetCursorHandsBackThePrevious) {
  HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
  HCURSOR wait = LoadCursorA(NULL, IDC_WAIT);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(wait, nullptr);
  EXPECT_NE(arrow, wait);
  EXPECT_EQ(LoadCursorA(NULL, IDC_WAIT), wait);
  EXPECT_EQ(w32test::CurrentCursor(), arrow);
  EXPECT_EQ(SetCursor(wait), arrow);
  EXPECT_EQ(w32test::CurrentCursor(), wait);
  EXPECT_EQ(SetCursor(arrow), wait);
  // No cursor resources in the program; no icon either.
  EXPECT_EQ(LoadCursorA(reinterpret_cast<HINSTANCE>(1), IDC_WAIT), nullptr);
  EXPECT_EQ(LoadIconA(NULL, "SETUP_ICON"), nullptr);
}

TEST_F(WindowTest, ScreenSizeChangeDoesNotResizeTheWindow) {
  g_hMainWnd = CreateSetupWindow();
  ShowWindow(g_hMainWnd, SW_SHOWNORMAL);
  w32test::ResizeScreen(800, 600);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  RECT rc;
  ASSERT_TRUE(w32test::WindowRect(g_hMainWnd, &rc));
  EXPECT_EQ(rc.right, 1024);
  EXPECT_EQ(rc.bottom, 768);
}

}  // namespace
