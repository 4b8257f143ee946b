// The service entry written into a new hive and into a large one, each
// beside the floor: rewriting the same number of bytes safely (a temporary
// file, fsync, rename, fsync of the folder) in the same iterations.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <hivex.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "install/install.h"
#include "support/process.h"
#include "w32/testing.h"

namespace {

using Clock = std::chrono::steady_clock;

bool StartOn(const std::string& root) {
  setenv("W32_ROOT", root.c_str(), 1);
  setenv("W32_DISPLAY", "headless", 1);
  unsetenv("W32_TRACE");
  unsetenv("W32_FAIL");
  unsetenv("W32_USER");
  return w32test::Restart();
}

std::string HivePath(const std::string& root) { return root + "/System32/config/SYSTEM"; }

// Writes bytes to a new file beside the hive and renames it into place,
// as safely as a commit does.
double SafeRewriteSeconds(const std::string& folder, const std::string& bytes) {
  const std::string temporary = folder + "/floor.tmp", target = folder + "/FLOOR";
  auto t0 = Clock::now();
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  std::size_t done = 0;
  while (fd >= 0 && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  std::rename(temporary.c_str(), target.c_str());
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Fills the hive with about targetBytes of keys, made with hivex: 500
// services beside the entry's, and further keys in groups of 100 under
// Control, each with the six values of an entry and a 2 KiB binary value.
// (hivex appends every list it grows, so keys are spread over groups.)
bool GrowHive(const std::string& path, std::size_t targetBytes) {
  hive_h* h = hivex_open(path.c_str(), HIVEX_OPEN_WRITE);
  if (h == nullptr) return false;
  hive_node_h set = hivex_node_get_child(h, hivex_root(h), "ControlSet001");
  hive_node_h services = hivex_node_add_child(h, set, "Services");
  hive_node_h control = hivex_node_add_child(h, set, "Control");
  const std::string image = std::string("\\\0S\0y\0s\0\0\0", 10);
  const std::string one("\x01\0\0\0", 4), blob(2048, 'b');
  constexpr std::size_t kBytesPerKey = 4500, kServices = 500, kPerGroup = 100;
  hive_node_h group = 0;
  for (std::size_t i = 0; i * kBytesPerKey < targetBytes; ++i) {
    hive_node_h parent = services;
    if (i >= kServices) {
      if ((i - kServices) % kPerGroup == 0) {
        group = hivex_node_add_child(h, control, ("Group" + std::to_string(i)).c_str());
      }
      parent = group;
    }
    hive_node_h node = hivex_node_add_child(h, parent, ("Service" + std::to_string(i)).c_str());
    hive_set_value values[] = {
        {const_cast<char*>("ImagePath"), hive_t_REG_EXPAND_SZ, image.size(), const_cast<char*>(image.data())},
        {const_cast<char*>("Group"), hive_t_REG_SZ, image.size(), const_cast<char*>(image.data())},
        {const_cast<char*>("ErrorControl"), hive_t_REG_DWORD, 4, const_cast<char*>(one.data())},
        {const_cast<char*>("Type"), hive_t_REG_DWORD, 4, const_cast<char*>(one.data())},
        {const_cast<char*>("Start"), hive_t_REG_DWORD, 4, const_cast<char*>(one.data())},
        {const_cast<char*>("Tag"), hive_t_REG_DWORD, 4, const_cast<char*>(one.data())},
        {const_cast<char*>("Data"), hive_t_REG_BINARY, blob.size(), const_cast<char*>(blob.data())},
    };
    if (node == 0 || hivex_node_set_values(h, node, 7, values, 0) != 0) {
      hivex_close(h);
      return false;
    }
  }
  bool ok = hivex_commit(h, path.c_str(), 0) == 0;
  hivex_close(h);
  return ok;
}

void Report(benchmark::State& state, double entry, double floor, std::size_t bytes) {
  const double n = static_cast<double>(state.iterations());
  state.counters["entry_ms"] = entry / n * 1e3;
  state.counters["floor_ms"] = floor / n * 1e3;
  state.counters["ratio"] = floor > 0 ? entry / floor : 0;
  state.counters["hive_KiB"] = static_cast<double>(bytes) / 1024;
}

// Writes the entry once and times it; false, with the benchmark marked,
// when it could not be written.
bool TimedEntry(benchmark::State& state, double* total) {
  auto t0 = Clock::now();
  if (!CreateDriverServiceEntry("ZLN571K")) {
    state.SkipWithError("entry not written");
    return false;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  state.SetIterationTime(seconds);
  *total += seconds;
  return true;
}

void BM_EntryIntoNewHive(benchmark::State& state) {
  testsupport::TempDir dir;
  const std::string root = dir / "root";
  if (!StartOn(root)) {
    state.SkipWithError("platform did not start");
    return;
  }
  double entry = 0, floor = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::remove(HivePath(root).c_str());
    if (!TimedEntry(state, &entry)) break;
    const std::string written = testsupport::ReadFile(HivePath(root));
    bytes = written.size();
    floor += SafeRewriteSeconds(root + "/System32/config", written);
  }
  Report(state, entry, floor, bytes);
  w32test::Stop();
}

void BM_EntryIntoLargeHive(benchmark::State& state) {
  testsupport::TempDir dir;
  const std::string root = dir / "root";
  HKEY key = nullptr;
  if (!StartOn(root) || RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM", &key) != ERROR_SUCCESS ||
      RegCloseKey(key) != ERROR_SUCCESS || !GrowHive(HivePath(root), 10u << 20)) {
    state.SkipWithError("could not build the large hive");
    return;
  }
  // hivex starts a new page after each open, so the hive grows a little
  // with every entry; the floor writes as many bytes as the hive has.
  std::string written = testsupport::ReadFile(HivePath(root));
  double entry = 0, floor = 0;
  for (auto _ : state) {
    if (!TimedEntry(state, &entry)) break;
    struct stat st {};
    if (stat(HivePath(root).c_str(), &st) == 0) written.resize(static_cast<std::size_t>(st.st_size), 'h');
    floor += SafeRewriteSeconds(root + "/System32/config", written);
  }
  Report(state, entry, floor, written.size());
  w32test::Stop();
}

BENCHMARK(BM_EntryIntoNewHive)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EntryIntoLargeHive)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(5.0);

}  // namespace

BENCHMARK_MAIN();
