// The setup program's shared names: the product strings and the setup window.
#ifndef SETUP_SETUP_H
#define SETUP_SETUP_H

#include <windows.h>

// Product strings, compiled in and used as they stand.
static const CHAR szServiceName[] = "ZLN571K";
static const CHAR szSetupClassName[] = "ZLN4620KSetupClass";
static const CHAR szSetupTitle[] = "ZLN 4620K SCSI Host Adapter Setup";
static const CHAR szBannerText[] = "ZORLIN TECHNOLOGY CORPORATION";

// The setup window; NULL until WinMain has created it.
extern HWND g_hMainWnd;

#endif  // SETUP_SETUP_H
