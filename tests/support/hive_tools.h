// Reading hive files back with the independent command-line readers
// (reglookup, hivexregedit, hivexsh), each run as a process.
#ifndef TESTS_SUPPORT_HIVE_TOOLS_H
#define TESTS_SUPPORT_HIVE_TOOLS_H

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct HiveValue {
  std::string name;   // as both readers show it: Latin-1 for names stored that way
  std::string type;   // as reglookup names it: SZ, EXPAND_SZ, DWORD, BINARY, ...
  std::string bytes;  // the stored data, byte for byte
};

// The values of key (backslash path from the hive's root, e.g.
// "ControlSet001\\Services\\ZLN571K") in stored order, per reglookup, with
// their bytes per hivexregedit. False with the readers' complaint when the
// hive cannot be read or the key is missing.
bool ReadHiveValues(const std::string& hive, const std::string& key,
                    std::vector<HiveValue>* values, std::string* error);

// Every key of the hive as a backslash path ("" for the root), per reglookup.
bool ListHiveKeys(const std::string& hive, std::vector<std::string>* keys, std::string* error);

// Reads the whole hive with reglookup, hivexregedit and hivexsh (every key
// and its values); "" when all three read it without a complaint, else what
// they said.
std::string HiveReadersComplaints(const std::string& hive);

// Applies a .reg text (regedit format, keys as "[\\Path]") to a hive with
// hivexregedit --merge: a way to prepare hives without the code under test.
bool MergeIntoHive(const std::string& hive, const std::string& regText, std::string* error);

// The UTF-16LE bytes of an ASCII text, with its terminator.
std::string Utf16z(const std::string& ascii);
// A REG_DWORD's four little-endian bytes.
std::string DwordBytes(std::uint32_t value);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_HIVE_TOOLS_H
