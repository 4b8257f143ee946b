#include "registry/hive_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace w32::registry {
namespace {

const char* const kFolders[] = {"System32", "config"};

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string Parent(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

enum class Kind { Missing, Folder, File, Other, Unreachable };

// What is at path; a path this process cannot look into is not "missing".
Kind KindOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Kind::Folder;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
  }
  return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unreachable;
}

LONG NotAFolder(Kind kind) {
  return kind == Kind::Unreachable ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
}

// The entry of folder spelled name, or else the first (in byte order) that
// matches it without regard to case; empty when there is none. A mounted
// system image may spell its folders and hives in either case.
std::string FindEntry(const std::string& folder, const std::string& name) {
  struct stat st {};
  if (lstat(Join(folder, name).c_str(), &st) == 0) return name;
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) return {};
  std::string found;
  while (dirent* e = readdir(dir.get())) {
    if (strcasecmp(e->d_name, name.c_str()) == 0 && (found.empty() || e->d_name < found))
      found = e->d_name;
  }
  return found;
}

bool Writable(const std::string& path, int mode) {
  return faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

LONG FromErrno(int error, LONG otherwise) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return otherwise;
  }
}

std::string TemporaryPrefix(const std::string& name) { return name + ".tmp."; }

}  // namespace

LONG LocateHive(const std::string& root, const std::string& name, HiveLocation* location) {
  HiveLocation loc;
  Kind kind = KindOf(root);
  if (kind != Kind::Folder && kind != Kind::Missing) return NotAFolder(kind);

  std::string path = root;
  bool present = kind == Kind::Folder;
  for (const char* part : kFolders) {
    std::string entry = present ? FindEntry(path, part) : std::string();
    path = Join(path, entry.empty() ? part : entry);
    if (present && !entry.empty()) {
      kind = KindOf(path);
      if (kind != Kind::Folder) return NotAFolder(kind);
    } else {
      present = false;
    }
  }
  loc.folder = path;
  loc.folderExists = present;
  if (present) {
    std::string entry = FindEntry(path, name);
    loc.file = Join(path, entry.empty() ? name : entry);
    if (!entry.empty()) {
      kind = KindOf(loc.file);
      if (kind == Kind::Unreachable) return ERROR_ACCESS_DENIED;
      if (kind != Kind::File) return ERROR_CANTOPEN;
      loc.fileExists = true;
    }
    loc.nearestFolder = path;
  } else {
    loc.file = Join(path, name);
    std::string up = Parent(path);
    while ((kind = KindOf(up)) != Kind::Folder) {
      if (kind != Kind::Missing || up == "/" || up == ".") return NotAFolder(kind);
      up = Parent(up);
    }
    loc.nearestFolder = up;
  }
  *location = loc;
  return ERROR_SUCCESS;
}

LONG CheckWritable(const HiveLocation& location) {
  if (location.fileExists && !Writable(location.file, R_OK | W_OK)) return ERROR_ACCESS_DENIED;
  // New versions of the hive, its lock and any missing folder are made in
  // the deepest existing folder.
  if (!Writable(location.nearestFolder, W_OK | X_OK)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LONG MakeFolders(const std::string& folder) {
  std::vector<std::string> missing;
  std::string path = folder;
  Kind kind;
  while ((kind = KindOf(path)) != Kind::Folder) {
    if (kind != Kind::Missing) return NotAFolder(kind);
    missing.push_back(path);
    path = Parent(path);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (mkdir(it->c_str(), 0755) != 0 && errno != EEXIST)
      return FromErrno(errno, ERROR_REGISTRY_IO_FAILED);
  }
  return ERROR_SUCCESS;
}

LONG LockHive(const std::string& folder, const std::string& name, UniqueFd* lock) {
  std::string path = Join(folder, name + ".lock");
  UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) return FromErrno(errno, ERROR_REGISTRY_IO_FAILED);
  while (flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return ERROR_REGISTRY_IO_FAILED;
  }
  *lock = std::move(fd);
  return ERROR_SUCCESS;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) return;
  const std::string prefix = TemporaryPrefix(name);
  while (dirent* e = readdir(dir.get())) {
    if (std::string(e->d_name).compare(0, prefix.size(), prefix) == 0)
      unlinkat(dirfd(dir.get()), e->d_name, 0);
  }
}

LONG MakeTemporary(const std::string& folder, const std::string& name, std::string* path,
                   UniqueFd* fd) {
  std::string pattern = Join(folder, TemporaryPrefix(name) + "XXXXXX");
  UniqueFd made(mkostemp(pattern.data(), O_CLOEXEC));
  if (!made) return FromErrno(errno, ERROR_REGISTRY_IO_FAILED);
  *path = pattern;
  *fd = std::move(made);
  return ERROR_SUCCESS;
}

LONG ReplaceFile(const std::string& folder, const std::string& target, const std::string& name,
                 const std::function<bool(const std::string& path)>& write) {
  std::string temporary;
  UniqueFd fd;
  if (LONG status = MakeTemporary(folder, name, &temporary, &fd)) return status;
  // Removes the temporary file on every path that does not rename it.
  auto unlinker = [](std::string* p) { unlink(p->c_str()); };
  std::unique_ptr<std::string, decltype(unlinker)> pending(&temporary, unlinker);

  if (!write(temporary)) return FromErrno(errno, ERROR_REGISTRY_IO_FAILED);

  // The new version keeps the mode and owner of the one it replaces.
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) {
    if (fchmod(fd.get(), st.st_mode & 07777) != 0) return ERROR_REGISTRY_IO_FAILED;
    if (fchown(fd.get(), st.st_uid, st.st_gid) != 0 && errno != EPERM)
      return ERROR_REGISTRY_IO_FAILED;
  } else if (fchmod(fd.get(), 0644) != 0) {
    return ERROR_REGISTRY_IO_FAILED;
  }
  if (fsync(fd.get()) != 0) return FromErrno(errno, ERROR_REGISTRY_IO_FAILED);
  if (rename(temporary.c_str(), target.c_str()) != 0)
    return FromErrno(errno, ERROR_REGISTRY_IO_FAILED);
  pending.release();

  UniqueFd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir || fsync(dir.get()) != 0) return ERROR_REGISTRY_IO_FAILED;
  return ERROR_SUCCESS;
}

}  // namespace w32::registry
