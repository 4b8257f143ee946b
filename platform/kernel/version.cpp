// Version information: the configured platform answers as its release did.
#include <windows.h>

#include <cstring>

#include "kernel/config.h"
#include "kernel/error.h"
#include "kernel/trace.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes on the platform");

namespace {

struct Release {
  DWORD major, minor, build;
  const char* csd;
};

Release ReleaseOf(w32::PlatformId id) {
  switch (id) {
    case w32::PlatformId::NT: return {4, 0, 1381, ""};
    case w32::PlatformId::Windows: return {4, 0, 950, ""};
    case w32::PlatformId::Win32s: return {3, 10, 0, "Win32s"};
  }
  return {0, 0, 0, ""};
}

}  // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  BOOL ok = FALSE;
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    w32::SetLastErrorCode(ERROR_INVALID_PARAMETER);
  } else {
    w32::PlatformId id = w32::GetConfig().platform;
    Release r = ReleaseOf(id);
    info->dwMajorVersion = r.major;
    info->dwMinorVersion = r.minor;
    info->dwBuildNumber = r.build;
    info->dwPlatformId = static_cast<DWORD>(id);
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, r.csd, sizeof info->szCSDVersion - 1);
    ok = TRUE;
  }
  if (w32::trace::Enabled()) {
    std::string result = w32::trace::Bool(ok);
    if (ok) {
      result += " {platform " + std::to_string(info->dwPlatformId) + ", " +
                std::to_string(info->dwMajorVersion) + "." +
                std::to_string(info->dwMinorVersion) + "." +
                std::to_string(info->dwBuildNumber) + "}";
    }
    w32::trace::Call("GetVersionExA",
                     {info ? "{size " + std::to_string(info->dwOSVersionInfoSize) + "}" : "NULL"},
                     result);
  }
  return ok;
}
