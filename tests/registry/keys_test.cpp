// The registry calls one by one: handles, paths, value data, and when
// changes reach the file.
#include <cstring>

#include "kernel/handles.h"
#include "registry_fixture.h"

namespace {

using testsupport::DwordBytes;
using testsupport::FileExists;
using testsupport::HiveValue;
using testsupport::Utf16z;

using RegistryKeys = RegistryTest;

TEST_F(RegistryKeys, StaleAndForeignHandlesAreRefused) {
  HKEY closed = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", &closed));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(closed));

  const BYTE one[4] = {1, 0, 0, 0};
  const HKEY kBad[] = {
      closed,
      nullptr,
      w32::ToHandle<HKEY>(w32::MakeHandle(w32::HandleKind::Window, 1)),
      w32::ToHandle<HKEY>(w32::MakeHandle(w32::HandleKind::Key, 999999)),
      reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x1234)),
  };
  for (HKEY bad : kBad) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(bad));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExA(bad, "Tag", 0, REG_DWORD, one, 4));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(bad));
    HKEY child = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCreateKeyA(bad, "Child", &child));
    EXPECT_EQ(nullptr, child);
  }
  // The predefined keys are never closed; this layer keeps no values on them.
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExA(HKEY_CURRENT_USER, "Tag", 0, REG_DWORD, one, 4));
  EXPECT_EQ(4u, Values("Select").size());
}

TEST_F(RegistryKeys, OpenKeyServesAsParent) {
  HKEY controlSet = nullptr, system = nullptr, a = nullptr, b = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet", &controlSet));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(controlSet, "Services\\A", &a));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "system", &system));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(system, "currentcontrolset\\Services\\B", &b));
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(a, "Start", 0, REG_DWORD, one, 4));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(b, "Start", 0, REG_DWORD, one, 4));
  for (HKEY k : {controlSet, a, system, b}) EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(k));

  EXPECT_EQ((std::vector<std::string>{"", "ControlSet001", "ControlSet001\\Services",
                                      "ControlSet001\\Services\\A", "ControlSet001\\Services\\B",
                                      "Select"}),
            Keys());

  // An empty path opens the key itself again; on HKEY_LOCAL_MACHINE it is
  // HKEY_LOCAL_MACHINE.
  HKEY again = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "", &again));
  EXPECT_EQ(HKEY_LOCAL_MACHINE, again);
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", &a));
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(a, nullptr, &again));
  EXPECT_NE(a, again);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(a));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(again, "Extra", 0, REG_DWORD, one, 4));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(again));
  EXPECT_EQ(5u, Values("Select").size());
}

TEST_F(RegistryKeys, BadPathsAndPlacesAreRefusedWithoutCreatingAnything) {
  struct Case {
    HKEY parent;
    std::string path;
    LONG status;
  };
  const Case kCases[] = {
      {HKEY_LOCAL_MACHINE, "ZLN571K", ERROR_ACCESS_DENIED},  // a key directly under HKLM
      {HKEY_LOCAL_MACHINE, "HARDWARE\\X", ERROR_ACCESS_DENIED},
      {HKEY_LOCAL_MACHINE, "\\SYSTEM\\X", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\\\X", ERROR_INVALID_PARAMETER},
      {HKEY_LOCAL_MACHINE, "SYSTEM\\" + std::string(256, 'k'), ERROR_INVALID_PARAMETER},
      {HKEY_CURRENT_USER, "Software\\X", ERROR_CANTOPEN},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.path.substr(0, 20));
    HKEY key = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(c.status, RegCreateKeyA(c.parent, c.path.c_str(), &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(static_cast<DWORD>(c.status), w32test::LastError());
  }
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\X", nullptr));
  EXPECT_FALSE(FileExists(root()));

  // A name of 255 characters is the longest a key may have; a trailing
  // backslash is allowed.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyA(HKEY_LOCAL_MACHINE, ("SYSTEM\\" + std::string(255, 'k') + "\\").c_str(), &key));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ(4u, Keys().size());
}

TEST_F(RegistryKeys, ValueDataIsStoredAsThePlatformStoresIt) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;  // what the caller passes, cbData bytes
    LONG status;
    const char* storedType;
    std::string stored;
  };
  using std::string;
  const Case kCases[] = {
      {"Text", REG_SZ, string("abc\0", 4), ERROR_SUCCESS, "SZ", Utf16z("abc")},
      {"Unterminated", REG_SZ, "abc", ERROR_SUCCESS, "SZ", Utf16z("abc")},
      {"Empty", REG_SZ, "", ERROR_SUCCESS, "SZ", string(2, '\0')},
      {"Expand", REG_EXPAND_SZ, string("%SystemRoot%\0", 13), ERROR_SUCCESS, "EXPAND_SZ",
       Utf16z("%SystemRoot%")},
      // Code page 1252: e-acute, the euro sign, and an unassigned byte.
      {"Ansi", REG_SZ, string("\xe9\x80\x81\0", 4), ERROR_SUCCESS, "SZ",
       string("\xe9\x00\xac\x20\x81\x00\x00\x00", 8)},
      {"Embedded", REG_SZ, string("a\0b\0", 4), ERROR_SUCCESS, "SZ", string("a\0\0\0b\0\0\0", 8)},
      {"Number", REG_DWORD, string("\x78\x56\x34\x12", 4), ERROR_SUCCESS, "DWORD",
       DwordBytes(0x12345678)},
      {"Short", REG_DWORD, string("\x01\x00\x00", 3), ERROR_INVALID_PARAMETER, nullptr, ""},
      {"Long", REG_DWORD, string(8, '\x01'), ERROR_INVALID_PARAMETER, nullptr, ""},
      {"Bytes", REG_BINARY, string("\x01\x02\x00\x03", 4), ERROR_SUCCESS, "BINARY",
       string("\x01\x02\x00\x03", 4)},
  };
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Values", &key));
  for (const Case& c : kCases) {
    EXPECT_EQ(c.status, RegSetValueExA(key, c.name, 0, c.type,
                                       reinterpret_cast<const BYTE*>(c.data.data()),
                                       static_cast<DWORD>(c.data.size())))
        << c.name;
  }
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExA(key, "Reserved", 1, REG_DWORD, one, 4));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExA(key, "Null", 0, REG_DWORD, nullptr, 4));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(HKEY_LOCAL_MACHINE, "Root", 0, REG_DWORD, one, 4));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  std::vector<HiveValue> expected;
  for (const Case& c : kCases) {
    if (c.status == ERROR_SUCCESS) expected.push_back({c.name, c.storedType, c.stored});
  }
  EXPECT_EQ(expected, Values("Values", "SOFTWARE"));
}

TEST_F(RegistryKeys, ValueNamesMatchInAnyCaseAndKeepTheirPlace) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Names", &key));
  const BYTE data[][4] = {{1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}, {4, 0, 0, 0}};
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "First", 0, REG_DWORD, data[0], 4));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Second", 0, REG_DWORD, data[1], 4));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "FIRST", 0, REG_BINARY, data[2], 3));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, nullptr, 0, REG_DWORD, data[3], 4));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "\xc9t\xe9", 0, REG_DWORD, data[0], 4));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "\xe9T\xc9", 0, REG_DWORD, data[1], 4));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  std::vector<HiveValue> values = Values("Names", "SOFTWARE");
  ASSERT_EQ(4u, values.size());
  EXPECT_EQ((HiveValue{"First", "BINARY", std::string("\x03\x00\x00", 3)}), values[0]);
  EXPECT_EQ((HiveValue{"Second", "DWORD", DwordBytes(2)}), values[1]);
  EXPECT_EQ("DWORD", values[2].type);  // the default value, reglookup names it ""
  EXPECT_EQ(DwordBytes(4), values[2].bytes);
  EXPECT_EQ((HiveValue{"\xc9t\xe9", "DWORD", DwordBytes(2)}), values[3]);
}

TEST_F(RegistryKeys, ChangesReachTheFileWhenAKeyIsClosedOrThePlatformStops) {
  const BYTE one[4] = {1, 0, 0, 0};
  HKEY first = nullptr, second = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\First", &first));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Second", &second));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(first, "One", 0, REG_DWORD, one, 4));
  EXPECT_FALSE(FileExists(hive("SOFTWARE")));

  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(first));
  EXPECT_EQ((std::vector<HiveValue>{{"One", "DWORD", DwordBytes(1)}}), Values("First", "SOFTWARE"));

  // The second key is left open: stopping the platform commits it.
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(second, "Two", 0, REG_DWORD, one, 4));
  EXPECT_EQ(0u, Values("Second", "SOFTWARE").size());
  w32test::Stop();
  EXPECT_EQ((std::vector<HiveValue>{{"Two", "DWORD", DwordBytes(1)}}), Values("Second", "SOFTWARE"));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(second));
}

TEST_F(RegistryKeys, OtherHivesStartEmpty) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "software\\Vendor\\Product", &key));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ((std::vector<std::string>{"", "Vendor", "Vendor\\Product"}), Keys("SOFTWARE"));
  EXPECT_EQ("", testsupport::HiveReadersComplaints(hive("SOFTWARE")));
  EXPECT_FALSE(FileExists(hive("SYSTEM")));
}

TEST_F(RegistryKeys, FailureInjectionAnswersTheChosenError) {
  HKEY key = nullptr;
  ASSERT_TRUE(w32test::FailCall("RegCreateKeyA:software\\x=1013"));
  EXPECT_EQ(ERROR_CANTWRITE, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\X", &key));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Y", &key));
  ASSERT_TRUE(w32test::FailCall("RegCloseKey"));
  EXPECT_EQ(ERROR_REGISTRY_IO_FAILED, RegCloseKey(key));
  EXPECT_FALSE(FileExists(hive("SOFTWARE")));
  w32test::ClearFailures();
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ((std::vector<std::string>{"", "Y"}), Keys("SOFTWARE"));
}

}  // namespace
