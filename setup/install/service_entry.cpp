// The registry entry that makes Windows NT load the miniport driver as a
// kernel driver at system start.
#include <windows.h>

#include "install/install.h"

// Texts are assembled in fixed buffers: the key path in 100 characters and
// each text value in 80. The image path puts 33 characters around the name,
// so a name of more than 46 characters cannot be written without overflow.
#define KEY_PATH_CHARS 100
#define VALUE_TEXT_CHARS 80
#define MAX_SERVICE_NAME_CHARS 46

#define DRIVER_GROUP "SCSI Miniport"
#define DRIVER_TAG 17

static BOOL SetDwordValue(HKEY hKey, LPCSTR lpName, DWORD dwValue)
{
    // The platform stores REG_DWORD data as 4 little-endian bytes.
    BYTE data[4];
    data[0] = (BYTE)(dwValue & 0xFF);
    data[1] = (BYTE)((dwValue >> 8) & 0xFF);
    data[2] = (BYTE)((dwValue >> 16) & 0xFF);
    data[3] = (BYTE)((dwValue >> 24) & 0xFF);
    return RegSetValueExA(hKey, lpName, 0, REG_DWORD, data, sizeof(data)) == ERROR_SUCCESS;
}

static BOOL SetTextValue(HKEY hKey, LPCSTR lpName, DWORD dwType, LPCSTR lpText)
{
    return RegSetValueExA(hKey, lpName, 0, dwType, (const BYTE *)lpText,
                          (DWORD)(lstrlenA(lpText) + 1)) == ERROR_SUCCESS;
}

BOOL CreateDriverServiceEntry(LPCSTR lpServiceName)
{
    CHAR szKeyPath[KEY_PATH_CHARS];
    CHAR szText[VALUE_TEXT_CHARS];
    HKEY hKey;
    BOOL bWritten;

    if (lpServiceName == NULL || lstrlenA(lpServiceName) > MAX_SERVICE_NAME_CHARS)
        return FALSE;

    lstrcpyA(szKeyPath, "SYSTEM\\CurrentControlSet\\Services\\");
    lstrcatA(szKeyPath, lpServiceName);

    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, szKeyPath, &hKey) != ERROR_SUCCESS)
        return FALSE;

    lstrcpyA(szText, "\\SystemRoot\\System32\\drivers\\");
    lstrcatA(szText, lpServiceName);
    lstrcatA(szText, ".SYS");

    // The values go in this order, and the first failure stops the rest;
    // what was set before it stays set.
    bWritten = SetTextValue(hKey, "ImagePath", REG_EXPAND_SZ, szText);
    if (bWritten)
    {
        lstrcpyA(szText, DRIVER_GROUP);
        bWritten = SetTextValue(hKey, "Group", REG_SZ, szText);
    }
    if (bWritten)
        bWritten = SetDwordValue(hKey, "ErrorControl", SERVICE_ERROR_NORMAL);
    if (bWritten)
        bWritten = SetDwordValue(hKey, "Type", SERVICE_KERNEL_DRIVER);
    if (bWritten)
        bWritten = SetDwordValue(hKey, "Start", SERVICE_SYSTEM_START);
    if (bWritten)
        bWritten = SetDwordValue(hKey, "Tag", DRIVER_TAG);

    RegCloseKey(hKey);
    return bWritten;
}
