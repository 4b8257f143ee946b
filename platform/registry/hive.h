// One hive file opened for change by this process: loaded under its lock,
// changed in memory through hivex, and committed whole.
#ifndef W32_REGISTRY_HIVE_H
#define W32_REGISTRY_HIVE_H

#include <windows.h>

#include <hivex.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "registry/hive_files.h"

namespace w32::registry {

// A hive handle that is closed on every path, including the early error returns.
using HiveHandle = std::unique_ptr<hive_h, decltype(&hivex_close)>;

// The hives a key directly under HKEY_LOCAL_MACHINE may name; each is a file
// of that name in System32/config.
bool IsMachineHive(const std::string& upperName);

class Hive {
 public:
  // Opens the hive name (upper case) under root for change: checks that
  // this process may write it, takes its lock, and reads it, or makes it
  // when missing (a new SYSTEM hive holds ControlSet001 and Select). Nothing
  // is written to disk until Commit.
  static LONG Open(const std::string& root, const std::string& name, std::unique_ptr<Hive>* hive);

  const std::string& name() const { return name_; }
  hive_node_h Root() const { return hivex_root(handle_.get()); }
  bool dirty() const { return dirty_; }

  // The child of parent named name (UTF-8, any case); 0 with ERROR_SUCCESS
  // when there is none.
  LONG FindChild(hive_node_h parent, const std::string& name, hive_node_h* child);
  LONG AddChild(hive_node_h parent, const std::string& name, hive_node_h* child);

  // "ControlSet00N" as Select\Current names it.
  LONG CurrentControlSet(std::string* name);

  // Sets value name of node, replacing one of the same name in its place
  // or else appending it. hivex rewrites a key's whole value list, so the
  // lists are kept here and handed to it once, at Commit.
  LONG SetValue(hive_node_h node, const std::string& name, DWORD type, const std::string& data);

  // Writes the hive to its file when it has changed.
  LONG Commit();

 private:
  Hive() : handle_(nullptr, &hivex_close) {}
  struct Value {
    std::string name;  // UTF-8
    hive_type type;
    std::string data;
  };
  using ValueList = std::vector<Value>;

  LONG Load();
  LONG Create();
  // The values of node as they are to be committed.
  LONG Values(hive_node_h node, ValueList** list);
  // Hands the changed value lists to hivex.
  LONG ApplyValues();

  std::string name_;
  HiveLocation location_;
  UniqueFd lock_;  // held for the life of this object
  HiveHandle handle_;
  std::map<hive_node_h, ValueList> changedValues_;
  std::uint32_t minor_ = 0;  // format version 1.<minor>
  bool dirty_ = false;
  // A change hivex failed part way through: the hive in memory may be
  // inconsistent, so it is never committed.
  bool broken_ = false;
};

}  // namespace w32::registry

#endif  // W32_REGISTRY_HIVE_H
