#include "registry/hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "registry/ansi.h"
#include "registry/hive_image.h"

namespace w32::registry {
namespace {

// Frees what hivex allocates for the caller.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// Formats from 1.4 on keep data above this size in "db" lists, which hivex
// does not write: such values are not rewritten in those hives.
constexpr std::size_t kMaxCellData = 16344;
constexpr std::uint32_t kFirstBigDataMinor = 4;

// A failed read of the hive's structure.
LONG Damaged() { return errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_REGISTRY_CORRUPT; }

LONG FromOpenErrno(int error) {
  switch (error) {
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case EIO: return ERROR_CANTREAD;
    default: return ERROR_BADDB;
  }
}

std::string Dword(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

}  // namespace

bool IsMachineHive(const std::string& upperName) {
  return upperName == "SYSTEM" || upperName == "SOFTWARE" || upperName == "SAM" ||
         upperName == "SECURITY";
}

LONG Hive::Open(const std::string& root, const std::string& name, std::unique_ptr<Hive>* hive) {
  std::unique_ptr<Hive> h(new Hive);
  h->name_ = name;
  HiveLocation location;
  if (LONG status = LocateHive(root, name, &location)) return status;
  // Refused before anything is made, so a refusal leaves no trace.
  if (LONG status = CheckWritable(location)) return status;
  if (!location.folderExists) {
    if (LONG status = MakeFolders(location.folder)) return status;
  }
  if (LONG status = LockHive(location.folder, name, &h->lock_)) return status;

  // Another process may have made or replaced the hive while this one
  // waited: look again, and read only now.
  if (LONG status = LocateHive(root, name, &location)) return status;
  if (LONG status = CheckWritable(location)) return status;
  h->location_ = location;
  RemoveStaleTemporaries(location.folder, name);
  if (LONG status = location.fileExists ? h->Load() : h->Create()) return status;
  *hive = std::move(h);
  return ERROR_SUCCESS;
}

LONG Hive::Load() {
  UniqueFd fd(open(location_.file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return FromOpenErrno(errno);
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return ERROR_CANTREAD;
  std::uint8_t block[kBaseBlockSize] = {};
  const std::size_t want =
      static_cast<std::uint64_t>(st.st_size) < kBaseBlockSize ? st.st_size : kBaseBlockSize;
  if (pread(fd.get(), block, want, 0) != static_cast<ssize_t>(want)) return ERROR_CANTREAD;
  switch (CheckBaseBlock(block, static_cast<std::uint64_t>(st.st_size))) {
    case BaseBlockState::Good: break;
    case BaseBlockState::Malformed: return ERROR_BADDB;
    case BaseBlockState::Unclean: return ERROR_REGISTRY_CORRUPT;
  }
  minor_ = block[0x18] | block[0x19] << 8;

  handle_.reset(hivex_open(location_.file.c_str(), HIVEX_OPEN_WRITE));
  if (!handle_) return FromOpenErrno(errno);
  return ERROR_SUCCESS;
}

LONG Hive::Create() {
  const std::vector<std::uint8_t> image = NewHiveImage("ROOT", name_);
  std::string temporary;
  UniqueFd fd;
  if (LONG status = MakeTemporary(location_.folder, name_, &temporary, &fd)) return status;
  {
    // hivex reads a hive only from a file; this one is gone once read.
    auto unlinker = [](std::string* p) { unlink(p->c_str()); };
    std::unique_ptr<std::string, decltype(unlinker)> remove(&temporary, unlinker);
    std::size_t done = 0;
    while (done < image.size()) {
      ssize_t n = write(fd.get(), image.data() + done, image.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return ERROR_REGISTRY_IO_FAILED;
      done += static_cast<std::size_t>(n);
    }
    handle_.reset(hivex_open(temporary.c_str(), HIVEX_OPEN_WRITE));
    if (!handle_) return FromOpenErrno(errno);
  }
  minor_ = 3;
  dirty_ = true;
  if (name_ != "SYSTEM") return ERROR_SUCCESS;

  // A system hive as the platform's setup leaves it: one control set,
  // selected as current, default and last known good.
  hive_node_h controlSet = 0, select = 0;
  if (LONG status = AddChild(Root(), "ControlSet001", &controlSet)) return status;
  if (LONG status = AddChild(Root(), "Select", &select)) return status;
  const char* const names[] = {"Current", "Default", "Failed", "LastKnownGood"};
  const std::uint32_t numbers[] = {1, 1, 0, 1};
  for (int i = 0; i < 4; ++i) {
    if (LONG status = SetValue(select, names[i], REG_DWORD, Dword(numbers[i]))) return status;
  }
  return ERROR_SUCCESS;
}

LONG Hive::FindChild(hive_node_h parent, const std::string& name, hive_node_h* child) {
  if (broken_) return ERROR_REGISTRY_CORRUPT;
  *child = 0;
  errno = 0;
  Owned<hive_node_h> children(hivex_node_children(handle_.get(), parent));
  if (!children) return Damaged();
  for (hive_node_h* c = children.get(); *c != 0; ++c) {
    Owned<char> childName(hivex_node_name(handle_.get(), *c));
    if (!childName) return Damaged();
    if (SameName(childName.get(), name)) {
      *child = *c;
      return ERROR_SUCCESS;
    }
  }
  return ERROR_SUCCESS;
}

LONG Hive::AddChild(hive_node_h parent, const std::string& name, hive_node_h* child) {
  if (broken_) return ERROR_REGISTRY_CORRUPT;
  errno = 0;
  *child = hivex_node_add_child(handle_.get(), parent, name.c_str());
  if (*child == 0) {
    // hivex may have changed part of the hive before failing.
    broken_ = true;
    return Damaged();
  }
  dirty_ = true;
  return ERROR_SUCCESS;
}

LONG Hive::CurrentControlSet(std::string* name) {
  hive_node_h select = 0;
  if (LONG status = FindChild(Root(), "Select", &select)) return status;
  if (select == 0) return ERROR_BADKEY;
  ValueList* values = nullptr;
  if (LONG status = Values(select, &values)) return status;
  for (const Value& v : *values) {
    if (!SameName(v.name, "Current")) continue;
    if (v.type != hive_t_REG_DWORD || v.data.size() != 4) return ERROR_BADKEY;
    const auto* b = reinterpret_cast<const unsigned char*>(v.data.data());
    const std::uint32_t number =
        b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    if (number == 0 || number > 999) return ERROR_BADKEY;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "ControlSet%03u", number);
    *name = buffer;
    return ERROR_SUCCESS;
  }
  return ERROR_BADKEY;
}

LONG Hive::Values(hive_node_h node, ValueList** list) {
  if (broken_) return ERROR_REGISTRY_CORRUPT;
  auto it = changedValues_.find(node);
  if (it != changedValues_.end()) {
    *list = &it->second;
    return ERROR_SUCCESS;
  }
  ValueList values;
  errno = 0;
  Owned<hive_value_h> handles(hivex_node_values(handle_.get(), node));
  if (!handles) return Damaged();
  for (hive_value_h* v = handles.get(); *v != 0; ++v) {
    Owned<char> key(hivex_value_key(handle_.get(), *v));
    if (!key) return Damaged();
    hive_type type{};
    std::size_t length = 0;
    errno = 0;
    Owned<char> bytes(hivex_value_value(handle_.get(), *v, &type, &length));
    if (!bytes && length != 0) return Damaged();
    values.push_back({key.get(), type, std::string(bytes ? bytes.get() : "", length)});
  }
  *list = &changedValues_.emplace(node, std::move(values)).first->second;
  return ERROR_SUCCESS;
}

LONG Hive::SetValue(hive_node_h node, const std::string& name, DWORD type,
                    const std::string& data) {
  ValueList* values = nullptr;
  if (LONG status = Values(node, &values)) return status;
  // The whole list is written again, so every value in it has to fit.
  const bool bigData = minor_ >= kFirstBigDataMinor;
  if (bigData && data.size() > kMaxCellData) return ERROR_CANTWRITE;
  Value* same = nullptr;
  for (Value& v : *values) {
    if (bigData && v.data.size() > kMaxCellData) return ERROR_CANTWRITE;
    if (same == nullptr && SameName(v.name, name)) same = &v;
  }
  if (same != nullptr) {
    // The stored name keeps its spelling; type and data are the new ones.
    same->type = static_cast<hive_type>(type);
    same->data = data;
  } else {
    values->push_back({name, static_cast<hive_type>(type), data});
  }
  dirty_ = true;
  return ERROR_SUCCESS;
}

LONG Hive::ApplyValues() {
  for (auto& [node, values] : changedValues_) {
    std::vector<hive_set_value> list;
    list.reserve(values.size());
    for (Value& v : values) list.push_back({v.name.data(), v.type, v.data.size(), v.data.data()});
    errno = 0;
    if (hivex_node_set_values(handle_.get(), node, list.size(), list.data(), 0) != 0) {
      // hivex may have changed part of the hive before failing.
      broken_ = true;
      return Damaged();
    }
  }
  changedValues_.clear();
  return ERROR_SUCCESS;
}

LONG Hive::Commit() {
  if (broken_) return ERROR_REGISTRY_CORRUPT;
  if (!dirty_) return ERROR_SUCCESS;
  if (LONG status = ApplyValues()) return status;
  hive_h* h = handle_.get();
  LONG status = ReplaceFile(location_.folder, location_.file, name_, [h](const std::string& path) {
    return hivex_commit(h, path.c_str(), 0) == 0;
  });
  if (status == ERROR_SUCCESS) {
    dirty_ = false;
    location_.fileExists = true;
  }
  return status;
}

}  // namespace w32::registry
