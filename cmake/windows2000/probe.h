/* The Windows 2000 SP4 view of MinGW-w64's headers, for cmake/importcheck.py:
   a function of kernel32, advapi32, user32, gdi32, comctl32 or shell32 that
   these headers do not declare with these settings came after Windows 2000
   (the headers guard it by _WIN32_WINNT, WINVER, NTDDI_VERSION or _WIN32_IE).
   Many newer functions are declared unguarded; newer_exports.txt lists them. */
#define WINVER 0x0500
#define _WIN32_WINNT 0x0500
#define NTDDI_VERSION 0x05000400 /* NTDDI_WIN2KSP4 */
/* Windows 2000 ships shell32 5.0 and comctl32 5.81 (Internet Explorer 5.01). */
#define _WIN32_IE 0x0500
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
