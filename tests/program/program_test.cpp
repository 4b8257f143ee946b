// The built program run as a user would run it, its platform configured
// through the environment, its results read back from outside: the trace,
// the exit status and the hive file.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

#include <string>
#include <vector>

#include "support/process.h"

namespace {

using testsupport::FileExists;
using testsupport::ProcessOptions;
using testsupport::ProcessResult;
using testsupport::ReadFile;
using testsupport::ReadLines;
using testsupport::RunCommand;
using testsupport::RunSetup;
using testsupport::TempDir;

const char kStartSetupDispatched[] = "DispatchMessageA({<hwnd#1>, WM_USER+103}) = 0";

struct ProgramRun {
  TempDir dir;
  ProcessResult result;
  std::vector<std::string> trace;

  std::string root() const { return dir / "root"; }
  std::string hive() const { return dir / "root/System32/config/SYSTEM"; }

  // Runs the program; on platforms where the window stays, the user closes
  // it with SIGTERM once the setup message has been handled.
  void Start(std::map<std::string, std::string> env, std::vector<std::string> args = {}) {
    ProcessOptions options;
    options.env = std::move(env);
    options.env["W32_ROOT"] = root();
    options.env["W32_TRACE"] = dir / "trace";
    options.env["W32_DISPLAY"] = "headless";
    options.args = std::move(args);
    std::string tracePath = dir / "trace";
    options.whileRunning = [tracePath](int pid) {
      if (ReadFile(tracePath).find(kStartSetupDispatched) == std::string::npos) return false;
      kill(pid, SIGTERM);
      return true;
    };
    result = RunSetup(options);
    trace = ReadLines(dir / "trace");
  }

  int Count(const std::string& text) const {
    int n = 0;
    for (const std::string& line : trace) n += line.find(text) != std::string::npos;
    return n;
  }
};

// Each step is found on a line of its own, after the line of the step before.
struct Step {
  std::vector<std::string> parts;
};

void ExpectInOrder(const std::vector<std::string>& trace, const std::vector<Step>& steps) {
  std::size_t line = 0;
  for (const Step& step : steps) {
    bool found = false;
    for (; line < trace.size() && !found; ++line) {
      found = true;
      for (const std::string& part : step.parts)
        found = found && trace[line].find(part) != std::string::npos;
    }
    ASSERT_TRUE(found) << "step not found in order: " << step.parts.front()
                       << (step.parts.size() > 1 ? " ... " + step.parts.back() : "");
  }
}

TEST(Program, TypicalNtRunPaintsThenWritesTheEntryAndExits) {
  ProgramRun run;
  run.Start({});
  ASSERT_TRUE(run.result.exited) << run.result.err;
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.err, "");

  ExpectInOrder(run.trace, {
      {{"RegisterClassA(", "\"ZLN4620KSetupClass\"", ") = 0xc000"}},
      {{"WndProc(<hwnd#1>, WM_CREATE"}},
      {{"PostMessageA(<hwnd#1>, WM_USER+103, 0x0, 0x0) = TRUE"}},
      {{"CreateWindowExA(0x0, \"ZLN4620KSetupClass\", \"ZLN 4620K SCSI Host Adapter Setup\", "
        "0xcf0000, 0, 0, 1024, 768, NULL, NULL, <instance#1>, 0x0) = <hwnd#1>"}},
      {{"ShowWindow(<hwnd#1>, 1) = FALSE"}},
      {{"WndProc(<hwnd#1>, WM_PAINT"}},
      {{"TextOutA(", "\"ZORLIN TECHNOLOGY CORPORATION\""}},
      {{"EndPaint(<hwnd#1>"}},
      {{"UpdateWindow(<hwnd#1>) = TRUE"}},
      {{"GetMessageA(", ") = 1 {<hwnd#1>, WM_USER+103, 0x0, 0x0}"}},
      {{"WndProc(<hwnd#1>, WM_USER+103"}},
      {{"GetVersionExA({size 148}) = TRUE {platform 2, 4.0.1381}"}},
      {{"LoadCursorA(NULL, IDC_WAIT) = <cursor#32514>"}},
      {{"SetCursor(<cursor#32514>) = <cursor#32512>"}},
      {{"RegCreateKeyA(HKEY_LOCAL_MACHINE, \"SYSTEM\\\\CurrentControlSet\\\\Services\\\\ZLN571K\"",
        ") = 0"}},
      {{"RegSetValueExA(", "\"ImagePath\"", "REG_EXPAND_SZ", ", 41) = 0"}},
      {{"RegSetValueExA(", "\"Group\"", "REG_SZ", "\"SCSI Miniport\", 14) = 0"}},
      {{"RegSetValueExA(", "\"ErrorControl\"", "REG_DWORD", ") = 0"}},
      {{"RegSetValueExA(", "\"Type\"", "REG_DWORD", ") = 0"}},
      {{"RegSetValueExA(", "\"Start\"", "REG_DWORD", ") = 0"}},
      {{"RegSetValueExA(", "\"Tag\"", "REG_DWORD", ") = 0"}},
      {{"RegCloseKey("}},
      {{"SetCursor(<cursor#32512>) = <cursor#32514>"}},
      {{"WndProc(<hwnd#1>, WM_DESTROY"}},
      {{"PostQuitMessage(0)"}},
      {{"DestroyWindow(<hwnd#1>) = TRUE"}},
      {{"GetMessageA(", ") = 0 {NULL, WM_QUIT"}},
  });
  EXPECT_EQ(run.Count("WndProc(<hwnd#1>, WM_USER+103"), 1);

  // The entry is in the hive file, where the system will load it.
  ProcessResult start = RunCommand("hivexget '" + run.hive() +
                                   "' 'ControlSet001\\Services\\ZLN571K' Start");
  EXPECT_EQ(start.status, 0) << start.err;
  EXPECT_EQ(start.out, "1\n");
}

TEST(Program, OtherPlatformsWriteNothingAndWaitForTheUser) {
  for (const char* platform : {"windows", "win32s"}) {
    SCOPED_TRACE(platform);
    ProgramRun run;
    run.Start({{"W32_PLATFORM", platform}});
    ASSERT_TRUE(run.result.exited) << run.result.err;
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.Count("GetVersionExA("), 1);
    EXPECT_EQ(run.Count("SetCursor("), 0) << "the cursor is not touched";
    EXPECT_EQ(run.Count("RegCreateKeyA("), 0);
    EXPECT_FALSE(FileExists(run.hive()));
    // The window stayed until the user closed it.
    ExpectInOrder(run.trace, {
        {{kStartSetupDispatched}},
        {{"WndProc(<hwnd#1>, WM_CLOSE"}},
        {{"WndProc(<hwnd#1>, WM_DESTROY"}},
        {{"GetMessageA(", ") = 0 {NULL, WM_QUIT"}},
    });
  }
}

TEST(Program, RefusedRegistryStillEndsNormally) {
  // Without administrator rights the key cannot be made: the wait cursor
  // comes and goes, the window closes, the status is still 0.
  ProgramRun run;
  run.Start({{"W32_USER", "user"}});
  ASSERT_TRUE(run.result.exited);
  EXPECT_EQ(run.result.status, 0);
  ExpectInOrder(run.trace, {
      {{"SetCursor(<cursor#32514>)"}},
      {{"RegCreateKeyA(", ") = 5"}},
      {{"SetCursor(<cursor#32512>)"}},
      {{"DestroyWindow(<hwnd#1>) = TRUE"}},
  });
  EXPECT_EQ(run.Count("RegSetValueExA("), 0);
  EXPECT_FALSE(FileExists(run.hive()));
}

TEST(Program, FailedValueStopsTheRestButNotTheProgram) {
  ProgramRun run;
  run.Start({{"W32_FAIL", "RegSetValueExA:Group"}});
  ASSERT_TRUE(run.result.exited);
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.Count("RegSetValueExA("), 2);
  ExpectInOrder(run.trace, {{{"RegCloseKey("}}, {{"DestroyWindow(<hwnd#1>) = TRUE"}}});

  ProcessResult image = RunCommand("hivexget '" + run.hive() +
                                   "' 'ControlSet001\\Services\\ZLN571K' ImagePath");
  EXPECT_EQ(image.out, "\\SystemRoot\\System32\\drivers\\ZLN571K.SYS\n");
  ProcessResult start = RunCommand("hivexget '" + run.hive() +
                                   "' 'ControlSet001\\Services\\ZLN571K' Start");
  EXPECT_NE(start.status, 0) << "values after the failed one are not written";
}

TEST(Program, ArgumentsAndShowCommandChangeNothing) {
  ProgramRun plain, withArgs;
  plain.Start({});
  withArgs.Start({}, {"/quiet", "--platform=windows", "x y"});
  ASSERT_EQ(withArgs.result.status, 0);
  auto windowCalls = [](const ProgramRun& run) {
    std::vector<std::string> calls;
    for (const std::string& line : run.trace)
      if (line.rfind("CreateWindowExA(", 0) == 0 || line.rfind("ShowWindow(", 0) == 0)
        calls.push_back(line);
    return calls;
  };
  EXPECT_EQ(windowCalls(plain), windowCalls(withArgs));
  EXPECT_EQ(withArgs.Count("RegCloseKey("), 1);
}

TEST(Program, WindowCoversTheConfiguredScreen) {
  ProgramRun run;
  run.Start({{"W32_SCREEN", "800x600"}});
  ASSERT_EQ(run.result.status, 0);
  EXPECT_EQ(run.Count("0xcf0000, 0, 0, 800, 600, NULL"), 1);
  EXPECT_EQ(run.Count("GetClientRect(<hwnd#1>) = TRUE {0, 0, 792, 573}"), 1);
}

TEST(Program, MalformedConfigurationStopsBeforeTheProgram) {
  const std::map<std::string, std::string> cases[] = {
      {{"W32_PLATFORM", "nt5"}},
      {{"W32_USER", "root"}},
      {{"W32_SCREEN", "1024*768"}},
      {{"W32_SCREEN", "0x768"}},
      {{"W32_DISPLAY", "wayland"}},
      {{"W32_TRACE", "/nonexistent/dir/trace"}},
  };
  for (const auto& env : cases) {
    SCOPED_TRACE(env.begin()->first + "=" + env.begin()->second);
    TempDir dir;
    ProcessOptions options;
    options.env = env;
    options.env["W32_ROOT"] = dir / "root";
    ProcessResult result = RunSetup(options);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 2);
    // One line naming the variable, and nothing done.
    EXPECT_NE(result.err.find(env.begin()->first), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_FALSE(FileExists(dir / "root"));
  }
}

}  // namespace
