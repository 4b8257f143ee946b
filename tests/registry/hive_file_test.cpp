// The hive file itself: damaged hives are refused and left as they are, a
// hive this process may not write is refused untouched, and writers in
// several processes, or killed in the middle of a commit, lose nothing.
#include <fcntl.h>
#include <grp.h>
#include <hivex.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "install/install.h"
#include "registry_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DwordBytes;
using testsupport::FileExists;
using testsupport::HiveValue;
using testsupport::ReadFile;
using testsupport::Utf16z;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::uint32_t U32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

void PutU32(std::string* b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<char>(v >> (8 * i));
}

// The base block's checksum: the XOR of its first 127 words, 0 and ~0
// being reserved.
void FixChecksum(std::string* b) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < 0x1FC; at += 4) sum ^= U32(*b, at);
  if (sum == 0xFFFFFFFF) sum = 0xFFFFFFFE;
  if (sum == 0) sum = 1;
  PutU32(b, 0x1FC, sum);
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// Every path under folder with the bytes of each file.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    tree[it->path().string()] = it->is_regular_file() ? ReadFile(it->path().string()) : "<dir>";
  }
  return tree;
}

// Runs call in a child process, as an unprivileged user when this one is
// root (whom file modes do not stop), and answers what it returned.
int InChildWithoutPrivileges(const std::function<int()>& call) {
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0) {
      const gid_t nobody = 65534;
      if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(250);
    }
    _exit(call());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

using HiveFiles = RegistryTest;

TEST_F(HiveFiles, DamagedHivesAreRefusedAndLeftAsTheyAre) {
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
  const std::string good = ReadFile(hive());
  ASSERT_GE(good.size(), 0x2000u);

  struct Case {
    const char* what;
    std::function<void(std::string*)> damage;
    LONG status;
  };
  const Case kCases[] = {
      {"empty file", [](std::string* b) { b->clear(); }, ERROR_BADDB},
      {"only the header", [](std::string* b) { b->resize(0x1000); }, ERROR_BADDB},
      {"cut inside the last page", [](std::string* b) { b->resize(b->size() - 100); }, ERROR_BADDB},
      {"not a hive", [](std::string* b) { (*b)[0] = 'x'; }, ERROR_BADDB},
      {"header changed under its checksum", [](std::string* b) { (*b)[0x28] ^= 0x10; },
       ERROR_BADDB},
      {"checksum changed", [](std::string* b) { (*b)[0x1FC] ^= 0x01; }, ERROR_BADDB},
      {"pages claimed beyond the file",
       [](std::string* b) {
         PutU32(b, 0x28, static_cast<std::uint32_t>(b->size()));
         FixChecksum(b);
       },
       ERROR_BADDB},
      {"page signature flipped", [](std::string* b) { (*b)[0x1000] ^= 0x20; }, ERROR_BADDB},
      {"root cell not a key", [](std::string* b) { (*b)[0x1024] ^= 0x20; }, ERROR_BADDB},
      {"garbage", [](std::string* b) { *b = RandomBytes(64 * 1024, 1); }, ERROR_BADDB},
      {"garbage after a good header",
       [](std::string* b) { b->replace(0x1000, std::string::npos, RandomBytes(b->size() - 0x1000, 2)); },
       ERROR_BADDB},
      // An interrupted write the log would have to complete.
      {"unclean",
       [](std::string* b) {
         PutU32(b, 0x04, U32(*b, 0x04) + 1);
         FixChecksum(b);
       },
       ERROR_REGISTRY_CORRUPT},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::string bad = good;
    c.damage(&bad);
    WriteFile(hive(), bad);
    const auto before = Snapshot(root());

    HKEY key = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(c.status, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_FALSE(CreateDriverServiceEntry("Other"));
    EXPECT_EQ(before, Snapshot(root()));
  }

  // A file larger than any hive can be is refused without being read.
  WriteFile(hive(), good);
  fs::resize_file(hive(), 3ull << 30);
  struct stat before {};
  ASSERT_EQ(0, stat(hive().c_str(), &before));
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_BADDB, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", &key));
  struct stat after {};
  ASSERT_EQ(0, stat(hive().c_str(), &after));
  EXPECT_EQ(before.st_size, after.st_size);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  std::string head(good.size(), '\0');
  std::ifstream(hive(), std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
  EXPECT_EQ(good, head);
}

TEST_F(HiveFiles, FlippedBitsNeverCrashAndARefusedHiveStaysAsItWas) {
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
  const std::string good = ReadFile(hive());
  std::mt19937 rng(4620);
  int refused = 0;
  for (int round = 0; round < 200; ++round) {
    std::string bad = good;
    std::size_t bit = rng() % (bad.size() * 8);
    bad[bit / 8] = static_cast<char>(bad[bit / 8] ^ (1 << (bit % 8)));
    WriteFile(hive(), bad);
    SCOPED_TRACE("bit " + std::to_string(bit));

    if (!CreateDriverServiceEntry("Flipped")) {
      ++refused;
      EXPECT_EQ(bad, ReadFile(hive()));
    } else {
      hive_h* h = hivex_open(hive().c_str(), 0);
      EXPECT_NE(nullptr, h) << "an accepted hive was written back unreadable";
      if (h != nullptr) hivex_close(h);
    }
  }
  EXPECT_GT(refused, 0);
}

TEST_F(HiveFiles, HiveThisProcessMayNotWriteIsRefusedUntouched) {
  // Tests run as root, whom modes do not stop: the call runs in a child
  // that is an ordinary user.
  ASSERT_EQ(0, chmod(dir.path().c_str(), 0755));
  const std::string config = root() + "/System32/config";
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::function<void()> undo;
  };
  const Case kCases[] = {
      {"root missing in a folder the process may not write",
       [&] { ASSERT_EQ(0, chmod(dir.path().c_str(), 0555)); },
       [&] { chmod(dir.path().c_str(), 0755); }},
      {"hive missing in a folder the process may not write",
       [&] {
         fs::create_directories(config);
         ASSERT_EQ(0, chmod(config.c_str(), 0555));
       },
       [&] { chmod(config.c_str(), 0755); }},
      {"hive the process may not write",
       [&] {
         chmod(config.c_str(), 0755);
         ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
         ASSERT_EQ(0, chmod(hive().c_str(), 0444));
       },
       [] {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    const auto before = Snapshot(dir.path());
    int status = InChildWithoutPrivileges([] {
      HKEY key = nullptr;
      return static_cast<int>(
          RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\ZLN571K", &key));
    });
    EXPECT_EQ(ERROR_ACCESS_DENIED, status);
    EXPECT_EQ(before, Snapshot(dir.path()));
    c.undo();
  }
}

TEST_F(HiveFiles, AnotherProcessWaitsWhileAKeyIsOpenAndKeepsItsChanges) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Held", &key));
  const BYTE three[4] = {3, 0, 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Start", 0, REG_DWORD, three, 4));

  // The setup program writes its entry into the same hive meanwhile. It
  // has to wait until this key is closed, and then read what it committed.
  testsupport::ProcessOptions options;
  options.env = {{"W32_ROOT", root()}, {"W32_DISPLAY", "headless"}};
  const auto start = std::chrono::steady_clock::now();
  bool closedWhileItRan = false;
  options.whileRunning = [&](int) {
    if (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return false;
    closedWhileItRan = true;
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    return true;
  };
  testsupport::ProcessResult run = testsupport::RunSetup(options);
  if (!closedWhileItRan) RegCloseKey(key);
  EXPECT_TRUE(run.exited && run.status == 0) << run.err;
  EXPECT_TRUE(closedWhileItRan) << "the program finished while this process held the hive";

  EXPECT_EQ((std::vector<HiveValue>{{"Start", "DWORD", DwordBytes(3)}}),
            Values("ControlSet001\\Services\\Held"));
  EXPECT_EQ(6u, Values("ControlSet001\\Services\\ZLN571K").size());
}

TEST_F(HiveFiles, SixteenProcessesWritingOneHiveLoseNothing) {
  constexpr int kWriters = 16;
  int gate[2];
  ASSERT_EQ(0, pipe(gate));
  std::vector<pid_t> children;
  for (int i = 0; i < kWriters; ++i) {
    pid_t pid = fork();
    if (pid == 0) {
      close(gate[1]);
      char c;
      while (read(gate[0], &c, 1) < 0) {
      }
      const std::string name = "Writer" + std::to_string(i);
      _exit(CreateDriverServiceEntry(name.c_str()) ? 0 : 1);
    }
    children.push_back(pid);
  }
  // All start together when the gate closes.
  close(gate[0]);
  close(gate[1]);
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::vector<std::string> keys = Keys();
  for (int i = 0; i < kWriters; ++i) {
    const std::string key = "ControlSet001\\Services\\Writer" + std::to_string(i);
    EXPECT_NE(keys.end(), std::find(keys.begin(), keys.end(), key)) << key;
  }
  EXPECT_EQ(6u, Values("ControlSet001\\Services\\Writer15").size());
  EXPECT_EQ("", testsupport::HiveReadersComplaints(hive()));
}

TEST_F(HiveFiles, WriterKilledAtAnyMomentLeavesTheOldHiveOrTheNew) {
  const std::string config = root() + "/System32/config";
  std::mt19937 rng(4620);
  std::uint32_t committed = 0;  // the count the file is known to hold
  int killedInCommit = 0;
  for (std::uint32_t round = 1; round <= 20; ++round) {
    int report[2];
    ASSERT_EQ(0, pipe(report));
    const std::uint32_t first = round * 1000000 + 1;
    pid_t pid = fork();
    if (pid == 0) {
      // Commits in a loop, telling the parent each count that reached the
      // file. The padding makes each commit long enough to be hit.
      close(report[0]);
      const std::string padding = RandomBytes(256 * 1024, round);
      for (std::uint32_t count = first;; ++count) {
        HKEY key = nullptr;
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Counter", &key) != ERROR_SUCCESS) _exit(2);
        RegSetValueExA(key, "Padding", 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(padding.data()),
                       static_cast<DWORD>(padding.size()));
        BYTE data[4] = {static_cast<BYTE>(count), static_cast<BYTE>(count >> 8),
                        static_cast<BYTE>(count >> 16), static_cast<BYTE>(count >> 24)};
        RegSetValueExA(key, "Count", 0, REG_DWORD, data, 4);
        if (RegCloseKey(key) != ERROR_SUCCESS) _exit(3);
        if (write(report[1], &count, 4) != 4) _exit(4);
      }
    }
    close(report[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 60));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << WEXITSTATUS(status);

    std::vector<std::uint32_t> reported;
    std::uint32_t count = 0;
    while (read(report[0], &count, 4) == 4) reported.push_back(count);
    close(report[0]);
    const std::uint32_t inFlight = reported.empty() ? first : reported.back() + 1;
    if (!reported.empty()) committed = reported.back();

    for (const auto& e : fs::directory_iterator(config)) {
      killedInCommit += e.path().filename().string().rfind("SOFTWARE.tmp.", 0) == 0;
    }
    if (committed == 0 && !FileExists(hive("SOFTWARE"))) continue;
    SCOPED_TRACE("round " + std::to_string(round));
    hive_h* h = hivex_open(hive("SOFTWARE").c_str(), 0);
    ASSERT_NE(nullptr, h) << "torn hive";
    hive_node_h counter = hivex_node_get_child(h, hivex_root(h), "Counter");
    hive_value_h value = counter != 0 ? hivex_node_get_value(h, counter, "Count") : 0;
    ASSERT_NE(0u, value);
    const std::uint32_t found = static_cast<std::uint32_t>(hivex_value_dword(h, value));
    hivex_close(h);
    EXPECT_TRUE(found == committed || found == inFlight)
        << "found " << found << ", committed " << committed << ", in flight " << inFlight;
    committed = found;
  }
  std::cout << "[ info     ] writers killed inside a commit: " << killedInCommit << " of 20\n";

  // The next writer removes what the killed ones left behind.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Counter", &key));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  for (const auto& e : fs::directory_iterator(config))
    EXPECT_NE(0u, e.path().filename().string().rfind("SOFTWARE.tmp.", 0)) << e.path();
}

}  // namespace
