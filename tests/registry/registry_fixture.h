// Each registry test runs the platform on its own temporary system root,
// and reads what reached the hive files with the independent readers.
#ifndef TESTS_REGISTRY_REGISTRY_FIXTURE_H
#define TESTS_REGISTRY_REGISTRY_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/hive_tools.h"
#include "support/process.h"
#include "w32/testing.h"

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { Start({}); }

  void TearDown() override {
    w32test::Stop();
    for (const char* name : kVariables) unsetenv(name);
  }

  // Restarts the platform on this test's root with the given variables
  // (W32_USER, W32_FAIL, W32_TRACE) on top of the defaults.
  void Start(const std::map<std::string, std::string>& env) {
    for (const char* name : kVariables) unsetenv(name);
    setenv("W32_ROOT", root().c_str(), 1);
    setenv("W32_DISPLAY", "headless", 1);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::string error;
    ASSERT_TRUE(w32test::Restart(&error)) << error;
  }

  std::string root() const { return dir / "root"; }
  std::string hive(const std::string& name = "SYSTEM") const {
    return root() + "/System32/config/" + name;
  }

  // A new system hive made by the platform, then changed with hivexregedit.
  void MakeSystemHive(const std::string& changes = "") {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM", &key));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    if (!changes.empty()) {
      std::string error;
      ASSERT_TRUE(testsupport::MergeIntoHive(hive(), changes, &error)) << error;
    }
  }

  std::vector<testsupport::HiveValue> Values(const std::string& key,
                                             const std::string& hiveName = "SYSTEM") {
    std::vector<testsupport::HiveValue> values;
    std::string error;
    EXPECT_TRUE(testsupport::ReadHiveValues(hive(hiveName), key, &values, &error)) << error;
    return values;
  }

  std::vector<std::string> Keys(const std::string& hiveName = "SYSTEM") {
    std::vector<std::string> keys;
    std::string error;
    EXPECT_TRUE(testsupport::ListHiveKeys(hive(hiveName), &keys, &error)) << error;
    return keys;
  }

  static constexpr const char* kVariables[] = {"W32_ROOT", "W32_USER", "W32_FAIL", "W32_TRACE",
                                               "W32_DISPLAY", "W32_SCREENSHOT", "W32_PLATFORM"};
  testsupport::TempDir dir;
};

namespace testsupport {

inline bool operator==(const HiveValue& a, const HiveValue& b) {
  return a.name == b.name && a.type == b.type && a.bytes == b.bytes;
}

inline void PrintTo(const HiveValue& v, std::ostream* os) {
  *os << v.name << " " << v.type << " [";
  for (unsigned char c : v.bytes) *os << ' ' << std::hex << static_cast<int>(c) << std::dec;
  *os << " ]";
}

}  // namespace testsupport

#endif  // TESTS_REGISTRY_REGISTRY_FIXTURE_H
