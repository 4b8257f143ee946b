// The registry calls: keys are handles on nodes of the hives this process
// has open. A hive is opened (and locked) by the first key on it, committed
// whenever one of its keys is closed, and released with its last key.
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kernel/config.h"
#include "kernel/error.h"
#include "kernel/faults.h"
#include "kernel/handles.h"
#include "kernel/trace.h"
#include "registry/ansi.h"
#include "registry/hive.h"
#include "registry/registry.h"

namespace w32::registry {
namespace {

constexpr DWORD kRegMultiSz = 7;           // strings as REG_SZ, one after another
constexpr std::size_t kMaxKeyName = 255;   // characters in one key name
constexpr std::size_t kMaxValueName = 16383;

struct OpenHive {
  std::unique_ptr<Hive> hive;
  int keys = 0;
};

struct Key {
  std::string hive;  // the upper-case hive name, its entry in g_hives
  hive_node_h node;
};

std::map<std::string, OpenHive> g_hives;
HandleTable<Key> g_keys(HandleKind::Key);

bool IsPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS;
}

std::string AsciiUpper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// Splits a subkey path at its backslashes into UTF-8 names. A path may end
// with one backslash; it may not start with one or hold an empty name.
LONG SplitPath(const char* path, std::vector<std::string>* names) {
  names->clear();
  if (path == nullptr || *path == '\0') return ERROR_SUCCESS;
  std::string text = path;
  if (text.back() == '\\') text.pop_back();
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\\', start);
    std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part.size() > kMaxKeyName) return ERROR_INVALID_PARAMETER;
    std::string name;
    if (!AnsiToUtf8(part.data(), part.size(), &name)) return ERROR_NOT_ENOUGH_MEMORY;
    names->push_back(std::move(name));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

HKEY AddKey(const std::string& hive, hive_node_h node) {
  ++g_hives[hive].keys;
  return ToHandle<HKEY>(g_keys.Add(std::make_unique<Key>(Key{hive, node})));
}

// Commits the key's hive and lets the key go; the hive goes with its last key.
LONG ReleaseKey(const Key& key) {
  auto it = g_hives.find(key.hive);
  if (it == g_hives.end()) return ERROR_INVALID_HANDLE;
  LONG status = it->second.hive->Commit();
  if (--it->second.keys == 0) g_hives.erase(it);
  return status;
}

// A hive that was opened for a call that then failed is let go without
// being written.
void DropUnused(const std::string& hive) {
  auto it = g_hives.find(hive);
  if (it != g_hives.end() && it->second.keys == 0) g_hives.erase(it);
}

LONG CreateKey(HKEY parent, LPCSTR subKey, HKEY* result) {
  std::vector<std::string> names;
  if (LONG status = SplitPath(subKey, &names)) return status;

  std::string hiveName;
  hive_node_h node = 0;
  if (parent == HKEY_LOCAL_MACHINE) {
    if (names.empty()) {
      *result = HKEY_LOCAL_MACHINE;
      return ERROR_SUCCESS;
    }
    if (!GetConfig().admin) return ERROR_ACCESS_DENIED;
    // Only the machine's hives live directly under HKEY_LOCAL_MACHINE; no
    // key is created there.
    hiveName = AsciiUpper(names.front());
    if (!IsMachineHive(hiveName)) return ERROR_ACCESS_DENIED;
    names.erase(names.begin());
    if (g_hives.find(hiveName) == g_hives.end()) {
      std::unique_ptr<Hive> hive;
      if (LONG status = Hive::Open(GetConfig().root, hiveName, &hive)) return status;
      g_hives[hiveName].hive = std::move(hive);
    }
    node = g_hives[hiveName].hive->Root();
  } else if (const Key* key = g_keys.Find(parent)) {
    hiveName = key->hive;
    node = key->node;
  } else {
    return IsPredefined(parent) ? ERROR_CANTOPEN : ERROR_INVALID_HANDLE;
  }

  Hive& hive = *g_hives[hiveName].hive;
  // CurrentControlSet is the control set the running system uses, the one
  // Select\Current names; a hive that does not name one is not guessed at.
  if (hiveName == "SYSTEM" && node == hive.Root() && !names.empty() &&
      SameName(names.front(), "CurrentControlSet")) {
    if (LONG status = hive.CurrentControlSet(&names.front())) {
      DropUnused(hiveName);
      return status;
    }
  }
  for (const std::string& name : names) {
    hive_node_h child = 0;
    LONG status = hive.FindChild(node, name, &child);
    if (status == ERROR_SUCCESS && child == 0) status = hive.AddChild(node, name, &child);
    if (status != ERROR_SUCCESS) {
      DropUnused(hiveName);
      return status;
    }
    node = child;
  }
  *result = AddKey(hiveName, node);
  return ERROR_SUCCESS;
}

LONG SetValue(HKEY handle, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
              DWORD size) {
  const Key* key = g_keys.Find(handle);
  if (key == nullptr) return handle == HKEY_LOCAL_MACHINE ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE;
  if (reserved != 0 || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
  if (type == REG_DWORD && size != 4) return ERROR_INVALID_PARAMETER;

  std::string name;
  const char* ansiName = valueName != nullptr ? valueName : "";
  if (!AnsiToUtf8(ansiName, std::char_traits<char>::length(ansiName), &name))
    return ERROR_NOT_ENOUGH_MEMORY;
  if (std::char_traits<char>::length(ansiName) > kMaxValueName) return ERROR_INVALID_PARAMETER;

  const char* bytes = reinterpret_cast<const char*>(data);
  std::string stored;
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == kRegMultiSz) {
    // Kept as the platform keeps text, in UTF-16LE with its terminator.
    if (!AnsiToUtf16(bytes, size, &stored)) return ERROR_NOT_ENOUGH_MEMORY;
    if (size == 0 || bytes[size - 1] != '\0') stored.append(2, '\0');
  } else if (size != 0) {
    stored.assign(bytes, size);
  }
  return g_hives[key->hive].hive->SetValue(key->node, name, type, stored);
}

LONG CloseKey(HKEY handle) {
  if (IsPredefined(handle)) return ERROR_SUCCESS;
  std::unique_ptr<Key> key = g_keys.Remove(HandleValue(handle));
  if (!key) return ERROR_INVALID_HANDLE;
  return ReleaseKey(*key);
}

std::string TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case kRegMultiSz: return "REG_MULTI_SZ";
    default: return trace::Num(type);
  }
}

// Text without its terminator, a DWORD as its number, other data in hex.
std::string DataText(DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr) return "NULL";
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == kRegMultiSz) {
    DWORD length = size > 0 && data[size - 1] == 0 ? size - 1 : size;
    return trace::Str(reinterpret_cast<const char*>(data), static_cast<int>(length));
  }
  if (type == REG_DWORD && size == 4)
    return trace::Num(data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24);
  std::string text = "<";
  for (DWORD i = 0; i < size && i < 16; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : " %02x", data[i]);
    text += hex;
  }
  return text + (size > 16 ? " ...>" : ">");
}

LONG Finish(LONG status) {
  if (status != ERROR_SUCCESS) SetLastErrorCode(static_cast<std::uint32_t>(status));
  return status;
}

}  // namespace

void CloseAll() {
  while (!g_keys.objects().empty()) {
    std::unique_ptr<Key> key = g_keys.Remove(g_keys.objects().begin()->first);
    ReleaseKey(*key);
  }
  g_hives.clear();
}

}  // namespace w32::registry

using namespace w32;

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  std::uint32_t code = 0;
  HKEY result = nullptr;
  LONG status;
  if (faults::Triggered("RegCreateKeyA", lpSubKey, ERROR_REGISTRY_IO_FAILED, &code)) {
    status = static_cast<LONG>(code);
  } else if (phkResult == nullptr) {
    status = ERROR_INVALID_PARAMETER;
  } else {
    status = registry::CreateKey(hKey, lpSubKey, &result);
  }
  if (phkResult != nullptr) *phkResult = result;
  if (trace::Enabled())
    trace::Call("RegCreateKeyA",
                {trace::Handle(hKey), trace::Str(lpSubKey),
                 phkResult != nullptr ? "-> " + trace::Handle(result) : "NULL"},
                trace::Num(status));
  return registry::Finish(status);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                           const BYTE* lpData, DWORD cbData) {
  std::uint32_t code = 0;
  LONG status;
  if (faults::Triggered("RegSetValueExA", lpValueName, ERROR_REGISTRY_IO_FAILED, &code)) {
    status = static_cast<LONG>(code);
  } else {
    status = registry::SetValue(hKey, lpValueName, Reserved, dwType, lpData, cbData);
  }
  if (trace::Enabled())
    trace::Call("RegSetValueExA",
                {trace::Handle(hKey), trace::Str(lpValueName), trace::Num(Reserved),
                 registry::TypeName(dwType), registry::DataText(dwType, lpData, cbData),
                 trace::Num(cbData)},
                trace::Num(status));
  return registry::Finish(status);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  std::uint32_t code = 0;
  LONG status;
  if (faults::Triggered("RegCloseKey", nullptr, ERROR_REGISTRY_IO_FAILED, &code)) {
    status = static_cast<LONG>(code);
  } else {
    status = registry::CloseKey(hKey);
  }
  if (trace::Enabled()) trace::Call("RegCloseKey", {trace::Handle(hKey)}, trace::Num(status));
  return registry::Finish(status);
}
