// Driver installation: the setup sequence and the driver's service entry.
#ifndef SETUP_INSTALL_INSTALL_H
#define SETUP_INSTALL_INSTALL_H

#include <windows.h>

// Checks the platform and, on Windows NT, writes the service entry and
// closes the setup window. Elsewhere it does nothing.
void RunSetup(void);

// TRUE when the running system reports the Windows NT platform.
BOOL IsWindowsNT(void);

// Writes the service entry with the wait cursor showing. Always returns 1.
int InstallDriver(void);

// Creates (or opens) HKLM\SYSTEM\CurrentControlSet\Services\<lpServiceName>
// and sets its six values. TRUE when the key and all six values were written.
BOOL CreateDriverServiceEntry(LPCSTR lpServiceName);

#endif  // SETUP_INSTALL_INSTALL_H
