// Configuration from the environment, the version query and the ANSI
// string routines.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "kernel/config.h"
#include "w32/testing.h"

namespace {

class Environment {
 public:
  ~Environment() {
    for (const char* name : kNames) unsetenv(name);
  }
  void Set(const char* name, const char* value) { setenv(name, value, 1); }

  static constexpr const char* kNames[] = {"W32_ROOT",       "W32_PLATFORM", "W32_USER",
                                           "W32_TRACE",      "W32_SCREEN",   "W32_SCREENSHOT",
                                           "W32_DISPLAY",    "W32_FAIL"};
};

TEST(Config, ReadsEachVariable) {
  Environment env;
  env.Set("W32_ROOT", "/mnt/win");
  env.Set("W32_PLATFORM", "windows");
  env.Set("W32_USER", "user");
  env.Set("W32_SCREEN", "1920x1200");
  env.Set("W32_DISPLAY", "headless");
  w32::Config c;
  std::string error;
  ASSERT_TRUE(w32::LoadConfig(&c, &error)) << error;
  EXPECT_EQ(c.root, "/mnt/win");
  EXPECT_EQ(c.platform, w32::PlatformId::Windows);
  EXPECT_FALSE(c.admin);
  EXPECT_EQ(c.screenWidth, 1920);
  EXPECT_EQ(c.screenHeight, 1200);
  EXPECT_EQ(c.display, w32::DisplayKind::Headless);
}

TEST(Config, DefaultsAreNtAdminOnA1024By768Screen) {
  Environment env;
  unsetenv("DISPLAY");
  w32::Config c;
  std::string error;
  ASSERT_TRUE(w32::LoadConfig(&c, &error));
  EXPECT_EQ(c.platform, w32::PlatformId::NT);
  EXPECT_TRUE(c.admin);
  EXPECT_EQ(c.screenWidth, 1024);
  EXPECT_EQ(c.screenHeight, 768);
  EXPECT_FALSE(c.root.empty());
}

TEST(Config, MalformedValuesAreRefusedWithTheVariableNamed) {
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"W32_PLATFORM", "NT"},        {"W32_PLATFORM", "nt "},   {"W32_USER", "administrator"},
      {"W32_SCREEN", "1024"},        {"W32_SCREEN", "0x0"},     {"W32_SCREEN", "99999x10"},
      {"W32_SCREEN", "-5x10"},       {"W32_DISPLAY", "x12"},    {"W32_FAIL", "=5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.value);
    Environment env;
    env.Set(c.name, c.value);
    w32::Config config;
    std::string error;
    EXPECT_FALSE(w32::LoadConfig(&config, &error));
    EXPECT_NE(error.find(c.name), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(Version, AnswersForTheConfiguredPlatform) {
  struct Case {
    const char* platform;
    DWORD id, major, minor, build;
  };
  const Case cases[] = {
      {"nt", VER_PLATFORM_WIN32_NT, 4, 0, 1381},
      {"windows", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950},
      {"win32s", VER_PLATFORM_WIN32s, 3, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform);
    Environment env;
    env.Set("W32_PLATFORM", c.platform);
    env.Set("W32_DISPLAY", "headless");
    ASSERT_TRUE(w32test::Restart());
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, c.id);
    EXPECT_EQ(info.dwMajorVersion, c.major);
    EXPECT_EQ(info.dwMinorVersion, c.minor);
    EXPECT_EQ(info.dwBuildNumber, c.build);
  }
  w32test::Stop();
}

TEST(Version, RefusesAWrongSizeField) {
  for (DWORD size : {0u, 147u, 149u, 156u}) {
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = size;
    info.dwPlatformId = 77;
    EXPECT_FALSE(GetVersionExA(&info)) << size;
    EXPECT_EQ(info.dwPlatformId, 77u) << "nothing is filled in";
    EXPECT_EQ(w32test::LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST(AnsiStrings, CopyConcatenateAndMeasure) {
  char buffer[32];
  EXPECT_EQ(lstrcpyA(buffer, "SCSI"), buffer);
  EXPECT_EQ(lstrcatA(buffer, " Miniport"), buffer);
  EXPECT_STREQ(buffer, "SCSI Miniport");
  EXPECT_EQ(lstrlenA(buffer), 13);
  EXPECT_EQ(lstrlenA(""), 0);
  // Bytes above 0x7f are characters of the code page like any other.
  EXPECT_EQ(lstrlenA("\xe9t\xe9"), 3);
}

TEST(AnsiStrings, NullIsAnsweredNotDereferenced) {
  char buffer[8] = "x";
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrcpyA(nullptr, "a"), nullptr);
  EXPECT_EQ(lstrcpyA(buffer, nullptr), nullptr);
  EXPECT_EQ(lstrcatA(buffer, nullptr), nullptr);
  EXPECT_STREQ(buffer, "x");
}

}  // namespace
