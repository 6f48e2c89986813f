// The rest of the process's view of Windows that the programs use: the last
// error, the module path, the Windows version and whether the process runs
// under WOW64, the tick counter and sleep, local memory, system message texts
// and message boxes.
#pragma once

#include <cstddef>

#include "platform/types.h"

namespace pf {

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// OSVERSIONINFOW with the same layout as Windows' (276 bytes).
struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR16 szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOW) == 276, "OSVERSIONINFOW must keep Windows' layout");

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

inline constexpr UINT MB_OK = 0x0;

inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

inline constexpr UINT LMEM_FIXED = 0x0;
inline constexpr UINT LMEM_ZEROINIT = 0x40;
inline constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

class SystemApi {
 public:
  virtual ~SystemApi() = default;

  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD error) = 0;

  // module 0: the program's own file. Win32 truncation rules: a path that does
  // not fit is cut to size - 1 characters plus NUL and size is returned.
  virtual DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) = 0;
  virtual DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) = 0;
  virtual BOOL GetVersionExW(OSVERSIONINFOW* info) = 0;
  // The pseudo handle of the calling process.
  virtual HANDLE GetCurrentProcess() = 0;
  // *wow64 TRUE for a 32-bit process on 64-bit Windows. Windows 2000 (and XP
  // before SP2) lacks the function: the call then fails with
  // ERROR_PROC_NOT_FOUND, as a missing function of a system DLL does.
  virtual BOOL IsWow64Process(HANDLE process, BOOL* wow64) = 0;
  virtual void GetLocalTime(SYSTEMTIME* time) = 0;

  virtual DWORD GetTickCount() = 0;
  virtual void Sleep(DWORD milliseconds) = 0;

  virtual int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;

  // Fixed local memory; null with ERROR_NOT_ENOUGH_MEMORY when it cannot be had.
  virtual void* LocalAlloc(UINT flags, std::size_t bytes) = 0;
  // Null on success, as in Windows.
  virtual void* LocalFree(void* block) = 0;
  // FORMAT_MESSAGE_FROM_SYSTEM only, no inserts, no allocation: the system's
  // text for an error code, with its trailing CR LF; 0 when there is none.
  virtual DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                               wchar_t* buffer, DWORD size) = 0;
};

}  // namespace pf
