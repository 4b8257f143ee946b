// The setup sequence: decide whether this system takes the driver, write its
// service entry under the wait cursor, then close the setup window.
#include <windows.h>

#include "install/install.h"
#include "setup.h"

BOOL IsWindowsNT(void)
{
    OSVERSIONINFOA osvi;

    osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    osvi.dwPlatformId = VER_PLATFORM_WIN32s;

    // A refused query leaves the platform unknown, which is not Windows NT.
    if (!GetVersionExA(&osvi))
        return FALSE;

    return osvi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

int InstallDriver(void)
{
    HCURSOR hcurWait = LoadCursorA(NULL, IDC_WAIT);
    HCURSOR hcurPrevious = SetCursor(hcurWait);

    // The write runs inside a message handler, so nothing repaints and the
    // wait cursor stays up until the previous one is put back below.
    CreateDriverServiceEntry(szServiceName);

    SetCursor(hcurPrevious);
    return 1;
}

void RunSetup(void)
{
    if (!IsWindowsNT())
        return;

    if (InstallDriver() == 1)
    {
        // WM_DESTROY posts the quit message, which ends the message loop.
        DestroyWindow(g_hMainWnd);
    }
}
