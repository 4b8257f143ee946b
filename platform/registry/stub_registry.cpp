// Placeholder until the hive-backed registry lands: every call is refused.
#include <windows.h>

#include "registry/registry.h"

LONG WINAPI RegCreateKeyA(HKEY, LPCSTR, PHKEY) { return ERROR_CANTOPEN; }
LONG WINAPI RegSetValueExA(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
  return ERROR_INVALID_HANDLE;
}
LONG WINAPI RegCloseKey(HKEY) { return ERROR_INVALID_HANDLE; }

namespace w32::registry {
void CloseAll() {}
}
