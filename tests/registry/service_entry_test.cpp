// The driver's service entry as the program writes it, read back from the
// hive file by reglookup and hivexregedit.
#include <dirent.h>
#include <strings.h>

#include <cstdio>
#include <algorithm>

#include "install/install.h"
#include "registry_fixture.h"

namespace {

using testsupport::DwordBytes;
using testsupport::FileExists;
using testsupport::HiveValue;
using testsupport::ReadFile;
using testsupport::Utf16z;

const char kServiceKey[] = "ControlSet001\\Services\\ZLN571K";

// What the platform stores for the program's six values: text in UTF-16LE
// with its terminator, numbers as four little-endian bytes.
std::vector<HiveValue> ServiceValues(const std::string& name = "ZLN571K") {
  return {
      {"ImagePath", "EXPAND_SZ", Utf16z("\\SystemRoot\\System32\\drivers\\" + name + ".SYS")},
      {"Group", "SZ", Utf16z("SCSI Miniport")},
      {"ErrorControl", "DWORD", DwordBytes(1)},
      {"Type", "DWORD", DwordBytes(1)},
      {"Start", "DWORD", DwordBytes(1)},
      {"Tag", "DWORD", DwordBytes(17)},
  };
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The key handle a trace shows RegCreateKeyA returning ("<key#3>").
std::string KeyIn(const std::string& trace) {
  std::size_t at = trace.find("-> <key#");
  if (at == std::string::npos) return "";
  at += 3;
  return trace.substr(at, trace.find('>', at) + 1 - at);
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

using ServiceEntry = RegistryTest;

TEST_F(ServiceEntry, NewRootGetsTheSixValuesInOrderInANewSystemHive) {
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));

  // Committed when the key was closed, before the platform stops.
  std::vector<HiveValue> values = Values(kServiceKey);
  EXPECT_EQ(ServiceValues(), values);
  ASSERT_EQ(6u, values.size());
  EXPECT_EQ(82u, values[0].bytes.size());
  EXPECT_EQ(28u, values[1].bytes.size());

  // The missing Services key and the service key were made in the control
  // set that the new hive's Select names.
  EXPECT_EQ((std::vector<std::string>{"", "ControlSet001", "ControlSet001\\Services",
                                      kServiceKey, "Select"}),
            Keys());
  EXPECT_EQ((std::vector<HiveValue>{{"Current", "DWORD", DwordBytes(1)},
                                    {"Default", "DWORD", DwordBytes(1)},
                                    {"Failed", "DWORD", DwordBytes(0)},
                                    {"LastKnownGood", "DWORD", DwordBytes(1)}}),
            Values("Select"));
  EXPECT_EQ("", testsupport::HiveReadersComplaints(hive()));
}

TEST_F(ServiceEntry, RewritingTheSameValuesLeavesSix) {
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
  EXPECT_EQ(ServiceValues(), Values(kServiceKey));
}

TEST_F(ServiceEntry, ExistingKeyKeepsItsOwnValuesAndSameNamedOnesAreReplacedInPlace) {
  // A display name of its own, and an image path spelled in lower case
  // with other data and type.
  MakeSystemHive(
      "[\\ControlSet001\\Services]\n\n"
      "[\\ControlSet001\\Services\\ZLN571K]\n"
      "\"DisplayName\"=hex(1):41,00,42,00,00,00\n"
      "\"imagepath\"=hex(1):58,00,00,00\n\n");
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));

  std::vector<HiveValue> expected = ServiceValues();
  expected[0].name = "imagepath";  // the stored spelling stays
  expected.insert(expected.begin(), {"DisplayName", "SZ", Utf16z("AB")});
  EXPECT_EQ(expected, Values(kServiceKey));
}

TEST_F(ServiceEntry, CurrentControlSetIsTheOneSelectCurrentNames) {
  struct Case {
    const char* changes;
    const char* controlSet;
  };
  const Case kCases[] = {
      {"", "ControlSet001"},
      {"[\\Select]\n\"Current\"=dword:00000002\n\n", "ControlSet002"},
      {"[\\Select]\n\"Current\"=dword:00000003\n\n[\\ControlSet003]\n\n"
       "[\\ControlSet003\\Services]\n\n[\\ControlSet003\\Services\\Other]\n\n",
       "ControlSet003"},
      {"[\\Select]\n\"Current\"=-\n\"CURRENT\"=dword:0000000c\n\n", "ControlSet012"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.controlSet);
    Start({});
    std::remove(hive().c_str());
    MakeSystemHive(c.changes);
    ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
    std::vector<std::string> keys = Keys();
    EXPECT_TRUE(Contains(keys, std::string(c.controlSet) + "\\Services\\ZLN571K"));
    int serviceKeys = 0;
    for (const std::string& k : keys) serviceKeys += k.find("\\ZLN571K") != std::string::npos;
    EXPECT_EQ(1, serviceKeys);
    EXPECT_EQ(ServiceValues(), Values(std::string(c.controlSet) + "\\Services\\ZLN571K"));
  }
}

TEST_F(ServiceEntry, SystemHiveThatNamesNoCurrentControlSetIsLeftAlone) {
  const char* const kChanges[] = {
      "[\\Select]\n\"Current\"=-\n\n",                       // no Current
      "[-\\Select]\n\n",                                     // no Select
      "[\\Select]\n\"Current\"=hex(1):31,00,00,00\n\n",      // text, not a number
      "[\\Select]\n\"Current\"=dword:00000000\n\n",          // control set 0
      "[\\Select]\n\"Current\"=hex(4):01,00,00,00,00\n\n",   // five bytes
  };
  for (const char* changes : kChanges) {
    SCOPED_TRACE(changes);
    std::remove(hive().c_str());
    MakeSystemHive(changes);
    const std::string before = ReadFile(hive());

    HKEY key = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(ERROR_BADKEY,
              RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\X", &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_FALSE(CreateDriverServiceEntry("ZLN571K"));
    EXPECT_EQ(before, ReadFile(hive()));
  }
}

TEST_F(ServiceEntry, RefusedOrFailingCallsWriteNothing) {
  struct Case {
    const char* variable;
    const char* value;
  };
  const Case kCases[] = {
      {"W32_USER", "user"},             // no administrator rights
      {"W32_FAIL", "RegCreateKeyA"},    // the key cannot be created
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.value);
    Start({{c.variable, c.value}});
    EXPECT_FALSE(CreateDriverServiceEntry("ZLN571K"));
    EXPECT_FALSE(FileExists(root())) << "nothing is created, not even the root folder";
  }

  Start({{"W32_USER", "user"}});
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\X", &key));
  EXPECT_EQ(nullptr, key);
  EXPECT_FALSE(FileExists(root()));
}

TEST_F(ServiceEntry, FailingGroupKeepsImagePathAndClosesTheKey) {
  const std::string trace = dir / "trace";
  Start({{"W32_FAIL", "RegSetValueExA:Group"}, {"W32_TRACE", trace}});
  EXPECT_FALSE(CreateDriverServiceEntry("ZLN571K"));

  // Only a closed key is committed: the file already holds the image path,
  // and nothing after it was tried.
  EXPECT_EQ(std::vector<HiveValue>{ServiceValues()[0]}, Values(kServiceKey));
  std::string log = ReadFile(trace);
  const std::string key = KeyIn(log);
  EXPECT_NE(std::string::npos,
            log.find("RegSetValueExA(" + key + R"(, "Group", 0, REG_SZ, "SCSI Miniport", 14) = 1016)"))
      << log;
  EXPECT_NE(std::string::npos, log.find("RegCloseKey(" + key + ") = 0")) << log;
  EXPECT_EQ(std::string::npos, log.find("ErrorControl")) << log;
}

TEST_F(ServiceEntry, ServiceNamesUpToFortySixCharactersFit) {
  const std::string longest(46, 'N');
  ASSERT_TRUE(CreateDriverServiceEntry(longest.c_str()));
  EXPECT_EQ(ServiceValues(longest), Values("ControlSet001\\Services\\" + longest));

  const std::string before = ReadFile(hive());
  for (std::size_t length : {47u, 60u, 300u}) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(CreateDriverServiceEntry(std::string(length, 'N').c_str()));
    EXPECT_EQ(before, ReadFile(hive()));
  }
  std::remove(hive().c_str());
  EXPECT_FALSE(CreateDriverServiceEntry(std::string(47, 'N').c_str()));
  EXPECT_FALSE(FileExists(hive()));
}

TEST_F(ServiceEntry, FoldersHivesAndKeysMatchInAnyCase) {
  // A mounted system image may spell its folders and hive in any case, and
  // its keys too.
  const char* const kSpellings[][3] = {
      {"system32", "config", "system"},
      {"SYSTEM32", "CONFIG", "System"},
      {"System32", "Config", "SYSTEM"},
  };
  for (const auto& spelling : kSpellings) {
    SCOPED_TRACE(std::string(spelling[0]) + "/" + spelling[1] + "/" + spelling[2]);
    testsupport::RunCommand("rm -rf '" + root() + "'");
    MakeSystemHive("[\\ControlSet001\\services]\n\n");
    const std::string system32 = root() + "/" + spelling[0];
    const std::string folder = system32 + "/" + spelling[1];
    ASSERT_EQ(0, std::rename((root() + "/System32").c_str(), system32.c_str()));
    ASSERT_EQ(0, std::rename((system32 + "/config").c_str(), folder.c_str()));
    ASSERT_EQ(0, std::rename((folder + "/SYSTEM").c_str(), (folder + "/" + spelling[2]).c_str()));
    Start({});

    ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
    ASSERT_TRUE(CreateDriverServiceEntry("zln571k"));  // opens the same key
    EXPECT_EQ(std::vector<std::string>{spelling[0]}, Entries(root()));
    EXPECT_EQ(std::vector<std::string>{spelling[1]}, Entries(root() + "/" + spelling[0]));
    int hives = 0;
    for (const std::string& e : Entries(folder)) hives += strcasecmp(e.c_str(), "system") == 0;
    EXPECT_EQ(1, hives);

    std::vector<HiveValue> values;
    std::string error;
    ASSERT_TRUE(testsupport::ReadHiveValues(folder + "/" + spelling[2],
                                            "ControlSet001\\services\\ZLN571K", &values, &error))
        << error;
    EXPECT_EQ(ServiceValues("zln571k"), values);
    std::vector<std::string> keys;
    ASSERT_TRUE(testsupport::ListHiveKeys(folder + "/" + spelling[2], &keys, &error)) << error;
    EXPECT_FALSE(Contains(keys, "ControlSet001\\Services"));
  }
}

TEST_F(ServiceEntry, TraceShowsEachCallWithItsArgumentsAndResult) {
  const std::string trace = dir / "trace";
  Start({{"W32_TRACE", trace}});
  ASSERT_TRUE(CreateDriverServiceEntry("ZLN571K"));
  w32test::Stop();

  std::vector<std::string> lines;
  for (const std::string& line : testsupport::ReadLines(trace)) {
    if (line.compare(0, 3, "Reg") == 0) lines.push_back(line);
  }
  ASSERT_FALSE(lines.empty());
  const std::string key = KeyIn(lines[0]);
  ASSERT_FALSE(key.empty()) << lines[0];
  const std::vector<std::string> expected = {
      R"(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\ZLN571K", -> )" +
          key + ") = 0",
      "RegSetValueExA(" + key +
          R"(, "ImagePath", 0, REG_EXPAND_SZ, "\\SystemRoot\\System32\\drivers\\ZLN571K.SYS", 41) = 0)",
      "RegSetValueExA(" + key + R"(, "Group", 0, REG_SZ, "SCSI Miniport", 14) = 0)",
      "RegSetValueExA(" + key + R"(, "ErrorControl", 0, REG_DWORD, 1, 4) = 0)",
      "RegSetValueExA(" + key + R"(, "Type", 0, REG_DWORD, 1, 4) = 0)",
      "RegSetValueExA(" + key + R"(, "Start", 0, REG_DWORD, 1, 4) = 0)",
      "RegSetValueExA(" + key + R"(, "Tag", 0, REG_DWORD, 17, 4) = 0)",
      "RegCloseKey(" + key + ") = 0",
  };
  EXPECT_EQ(expected, lines);
}

}  // namespace
