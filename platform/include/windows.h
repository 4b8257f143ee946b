/*
 * The Win32 subset this machine provides: the types, constants and ANSI calls
 * the setup program uses, with the platform's own sizes and values. DWORD and
 * LONG stay 32 bits wide on this 64-bit host; handles are pointer-sized and
 * opaque, and every call checks the handle it is given.
 */
#ifndef W32_WINDOWS_H
#define W32_WINDOWS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY

#ifndef NULL
#define NULL 0
#endif
#define FALSE 0
#define TRUE 1

/* Basic types ------------------------------------------------------------ */

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef char CHAR;
typedef void VOID;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef WORD ATOM;
typedef DWORD COLORREF;

typedef CHAR *LPSTR;
typedef const CHAR *LPCSTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef const BYTE *LPCBYTE;
typedef DWORD *LPDWORD;

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef void *HANDLE;
typedef void *HGDIOBJ;
#define W32_DECLARE_HANDLE(name) \
  struct name##__ { int unused; };   \
  typedef struct name##__ *name
W32_DECLARE_HANDLE(HWND);
W32_DECLARE_HANDLE(HINSTANCE);
W32_DECLARE_HANDLE(HICON);
W32_DECLARE_HANDLE(HBRUSH);
W32_DECLARE_HANDLE(HPEN);
W32_DECLARE_HANDLE(HFONT);
W32_DECLARE_HANDLE(HDC);
W32_DECLARE_HANDLE(HMENU);
W32_DECLARE_HANDLE(HKEY);
#undef W32_DECLARE_HANDLE
typedef HICON HCURSOR;
typedef HKEY *PHKEY;

#define MAKEINTRESOURCEA(i) ((LPSTR)(ULONG_PTR)(WORD)(i))
#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))

/* Error codes ------------------------------------------------------------ */

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_REGISTRY_CORRUPT 1015L
#define ERROR_REGISTRY_IO_FAILED 1016L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

/* Version information ---------------------------------------------------- */

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

/* ANSI string routines --------------------------------------------------- */

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2);
int WINAPI lstrlenA(LPCSTR lpString);

/* Registry --------------------------------------------------------------- */

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

/* Service entry values, as the service control manager reads them. */
#define SERVICE_KERNEL_DRIVER 0x00000001
#define SERVICE_BOOT_START 0x00000000
#define SERVICE_SYSTEM_START 0x00000001
#define SERVICE_ERROR_NORMAL 0x00000001

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved,
                           DWORD dwType, const BYTE *lpData, DWORD cbData);
LONG WINAPI RegCloseKey(HKEY hKey);

/* Geometry --------------------------------------------------------------- */

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;
typedef const RECT *LPCRECT;

/* Windows and messages --------------------------------------------------- */

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_SETCURSOR 0x0020
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_USER 0x0400

#define WS_OVERLAPPED 0x00000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW                                          \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |         \
   WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWDEFAULT 10

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

#define COLOR_WINDOW 5

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_WAIT MAKEINTRESOURCEA(32514)

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA, *LPWNDCLASSA;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

ATOM WINAPI RegisterClassA(const WNDCLASSA *lpWndClass);
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HCURSOR WINAPI SetCursor(HCURSOR hCursor);
int WINAPI GetSystemMetrics(int nIndex);
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName,
                            LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent,
                            HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam);
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
BOOL WINAPI UpdateWindow(HWND hWnd);
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin,
                        UINT wMsgFilterMax);
BOOL WINAPI TranslateMessage(const MSG *lpMsg);
LRESULT WINAPI DispatchMessageA(const MSG *lpMsg);
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int nExitCode);
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam,
                              LPARAM lParam);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint);
int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr);

/* Drawing ---------------------------------------------------------------- */

#define NULL_PEN 8

#define TRANSPARENT 1
#define OPAQUE 2

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700

#define ANSI_CHARSET 0
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0

HGDIOBJ WINAPI GetStockObject(int i);
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
BOOL WINAPI DeleteObject(HGDIOBJ ho);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement,
                         int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision,
                         DWORD iQuality, DWORD iPitchAndFamily,
                         LPCSTR pszFaceName);
int WINAPI SetBkMode(HDC hdc, int mode);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);

/* Program entry ---------------------------------------------------------- */

/* Written by the program; the platform's start-up calls it once. */
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance,
                   LPSTR lpCmdLine, int nShowCmd);

#ifdef __cplusplus
}
#endif

#endif /* W32_WINDOWS_H */
