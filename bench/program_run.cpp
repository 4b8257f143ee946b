// The whole program, process start to exit (Windows NT, headless, a fresh
// system root each time), beside the tool a Linux user would otherwise
// reach for to put the same six values into an equal hive (hivexregedit
// --merge), and beside a C++ program that does nothing.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "w32/testing.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Spawns a program and waits for it; false when it did not exit with 0.
bool Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& e : extraEnv) env.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A fresh SYSTEM hive, as the program finds one on a new root, made through
// the platform's own registry and kept as a template.
std::string FreshHiveTemplate(const testsupport::TempDir& dir) {
  std::string root = dir / "template";
  setenv("W32_ROOT", root.c_str(), 1);
  setenv("W32_DISPLAY", "headless", 1);
  w32test::Restart();
  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", &key) == ERROR_SUCCESS) RegCloseKey(key);
  w32test::Stop();
  return root + "/System32/config/SYSTEM";
}

const char kRegText[] =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services]\n\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\ZLN571K]\n"
    "\"ImagePath\"=str(2):\"\\\\SystemRoot\\\\System32\\\\drivers\\\\ZLN571K.SYS\"\n"
    "\"Group\"=str(1):\"SCSI Miniport\"\n"
    "\"ErrorControl\"=dword:00000001\n"
    "\"Type\"=dword:00000001\n"
    "\"Start\"=dword:00000001\n"
    "\"Tag\"=dword:00000011\n";

void BM_SetupProgram(benchmark::State& state) {
  testsupport::TempDir dir;
  std::string root = dir / "root";
  std::vector<std::string> env = {"W32_ROOT=" + root, "W32_PLATFORM=nt", "W32_DISPLAY=headless"};
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(root);
    state.ResumeTiming();
    if (!Spawn({SETUP_BINARY}, env)) state.SkipWithError("setup failed");
  }
}
BENCHMARK(BM_SetupProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HivexregeditMerge(benchmark::State& state) {
  testsupport::TempDir dir;
  std::string hiveTemplate = FreshHiveTemplate(dir);
  std::string hive = dir / "SYSTEM";
  std::string reg = dir / "entry.reg";
  std::ofstream(reg) << kRegText;
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(hiveTemplate, hive, fs::copy_options::overwrite_existing);
    state.ResumeTiming();
    if (!Spawn({"/usr/bin/hivexregedit", "--merge", "--prefix", "HKEY_LOCAL_MACHINE\\SYSTEM",
                hive, reg},
               {}))
      state.SkipWithError("hivexregedit failed");
  }
}
BENCHMARK(BM_HivexregeditMerge)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EmptyProgram(benchmark::State& state) {
  for (auto _ : state) {
    if (!Spawn({EMPTY_PROGRAM}, {})) state.SkipWithError("empty program failed");
  }
}
BENCHMARK(BM_EmptyProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
