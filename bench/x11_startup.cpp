// The Windows NT run on the X11 display (a private Xvfb) beside the
// headless display, same screen size, a fresh system root each time: the
// whole run, process start to exit, and process start to the first
// complete paint. The run maps the window, paints it once, writes the entry
// and closes, so the difference is what showing it on a real X server costs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/process.h"
#include "x11/xvfb.h"

extern char** environ;

namespace {

// One Xvfb for the whole benchmark program.
x11test::Xvfb& Server() {
  static x11test::Xvfb server("1024x768x24");
  return server;
}

// Starts the program on the given display with a new root. With traceFd
// set, its trace goes to that descriptor (as its standard error).
bool Start(const testsupport::TempDir& dir, int run, bool x11, int traceFd, pid_t* pid) {
  std::string setup = SETUP_BINARY;
  char* argv[] = {setup.data(), nullptr};
  std::vector<std::string> extra = {
      "W32_PLATFORM=nt", "W32_ROOT=" + (dir / ("root" + std::to_string(run))),
      std::string("W32_DISPLAY=") + (x11 ? "x11" : "headless"), "W32_SCREEN=1024x768",
      "DISPLAY=" + Server().name()};
  if (traceFd >= 0) extra.push_back("W32_TRACE=-");
  std::vector<char*> env;
  for (std::string& e : extra) env.push_back(e.data());
  for (char** e = environ; *e != nullptr; ++e) {
    std::string name(*e, std::strchr(*e, '=') ? std::strchr(*e, '=') - *e : 0);
    if (name.rfind("W32_", 0) != 0 && name != "DISPLAY") env.push_back(*e);
  }
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (traceFd >= 0) posix_spawn_file_actions_adddup2(&actions, traceFd, 2);
  int rc = posix_spawn(pid, argv[0], &actions, nullptr, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0;
}

bool Exited0(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs the program to its end; false unless it exited with 0.
bool RunNt(const testsupport::TempDir& dir, int run, bool x11) {
  pid_t pid;
  return Start(dir, run, x11, -1, &pid) && Exited0(pid);
}

// Milliseconds from the program's start until its first paint is complete:
// the trace line of the UpdateWindow that sent it. Negative on failure.
double MsToFirstPaint(const testsupport::TempDir& dir, int run, bool x11) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  bool started = Start(dir, run, x11, fds[1], &pid);
  close(fds[1]);
  double ms = -1;
  std::string seen;
  char buf[4096];
  while (started && ms < 0) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    seen.append(buf, static_cast<std::size_t>(n));
    if (seen.find("\nUpdateWindow(") != std::string::npos) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
    }
  }
  // Let the run finish (it writes the entry and closes) before the next.
  while (read(fds[0], buf, sizeof buf) > 0) {
  }
  close(fds[0]);
  if (!started || !Exited0(pid)) return -1;
  return ms;
}

void BM_NtRun(benchmark::State& state) {
  bool x11 = state.range(0) == 1;
  if (!Server().running()) {
    state.SkipWithError(("no Xvfb: " + Server().reason()).c_str());
    return;
  }
  testsupport::TempDir dir;
  int run = 0;
  for (auto _ : state) {
    if (!RunNt(dir, run++, x11)) {
      state.SkipWithError("the program did not exit with 0");
      return;
    }
  }
  state.SetLabel(x11 ? "x11 (Xvfb)" : "headless");
}
BENCHMARK(BM_NtRun)->Arg(0)->Arg(1)->ArgName("x11")->UseRealTime()->Unit(benchmark::kMillisecond);

// Runs measure (milliseconds, negative on failure) on both displays in turn
// within each iteration, so that they see the same machine load; reports
// each mean and the ratio x11 / headless.
template <class Measure>
void CompareDisplays(benchmark::State& state, Measure measure) {
  if (!Server().running()) {
    state.SkipWithError(("no Xvfb: " + Server().reason()).c_str());
    return;
  }
  testsupport::TempDir dir;
  int run = 0;
  double headless = 0, x11 = 0;
  for (auto _ : state) {
    for (bool onX11 : {false, true}) {
      double ms = measure(dir, run++, onX11);
      if (ms < 0) {
        state.SkipWithError("the run failed or did not exit with 0");
        return;
      }
      (onX11 ? x11 : headless) += ms;
    }
  }
  double n = static_cast<double>(state.iterations());
  state.counters["headless_ms"] = headless / n;
  state.counters["x11_ms"] = x11 / n;
  state.counters["x11_over_headless"] = headless > 0 ? x11 / headless : 0;
}

// The whole run, process start to exit.
void BM_X11OverHeadless(benchmark::State& state) {
  CompareDisplays(state, [](const testsupport::TempDir& dir, int run, bool x11) {
    auto start = std::chrono::steady_clock::now();
    if (!RunNt(dir, run, x11)) return -1.0;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  });
}
BENCHMARK(BM_X11OverHeadless)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMillisecond);

// Process start to the first complete paint.
void BM_FirstPaintX11OverHeadless(benchmark::State& state) {
  CompareDisplays(state, MsToFirstPaint);
}
BENCHMARK(BM_FirstPaintX11OverHeadless)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
