// Where hive files live under the system root, who may write them, and how a
// new version replaces the old one without ever leaving a torn file.
#ifndef W32_REGISTRY_HIVE_FILES_H
#define W32_REGISTRY_HIVE_FILES_H

#include <windows.h>

#include <functional>
#include <string>

#include "kernel/unique_fd.h"

namespace w32::registry {

// A hive file's place: <root>/System32/config/<NAME>, each part spelled as
// it is on disk when some spelling of it exists.
struct HiveLocation {
  std::string folder;     // the config folder
  std::string file;       // the hive file
  bool folderExists = false;
  bool fileExists = false;
  std::string nearestFolder;  // the deepest existing folder on the way
};

// Finds the hive named name (upper case) under root. Fails with
// ERROR_CANTOPEN when something on the way is not a folder.
LONG LocateHive(const std::string& root, const std::string& name, HiveLocation* location);

// ERROR_ACCESS_DENIED unless this process may write the hive file (when it
// exists) and create files in its folder, or create the missing folders.
LONG CheckWritable(const HiveLocation& location);

// Creates the missing folders down to the config folder.
LONG MakeFolders(const std::string& folder);

// Takes the exclusive lock of hive name in folder, waiting for other
// processes to release it.
LONG LockHive(const std::string& folder, const std::string& name, UniqueFd* lock);

// Removes temporary files a killed writer of hive name left in folder.
// Only safe while holding the hive's lock.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name);

// Creates an empty temporary file for hive name in folder.
LONG MakeTemporary(const std::string& folder, const std::string& name, std::string* path,
                   UniqueFd* fd);

// Replaces target with the file that write produces, atomically and
// durably: write fills a temporary file beside target, which is flushed to
// disk and renamed over target, and the folder is flushed. A process
// killed at any point leaves target as it was or as written.
LONG ReplaceFile(const std::string& folder, const std::string& target, const std::string& name,
                 const std::function<bool(const std::string& path)>& write);

}  // namespace w32::registry

#endif  // W32_REGISTRY_HIVE_FILES_H
