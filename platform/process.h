// Starting programs: ShellExecuteExW with a process handle to wait on (its
// exit code, and ending it), and the shell's plain open verb and WinExec that the link
// control uses.
//
// A process handle is a kernel object: WaitForSingleObject waits for the
// program to end and CloseHandle releases it (platform/sync.h).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

using INT_PTR = std::intptr_t;

inline constexpr DWORD SEE_MASK_DEFAULT = 0x0;
inline constexpr DWORD SEE_MASK_NOCLOSEPROCESS = 0x40;
inline constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x400;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

inline constexpr DWORD STILL_ACTIVE = 259;

// What ShellExecuteW returns (and SHELLEXECUTEINFOW.hInstApp holds) when the
// start fails; WinExec returns the first four. Anything above 32 is success.
inline constexpr INT_PTR SE_ERR_FNF = 2;
inline constexpr INT_PTR SE_ERR_PNF = 3;
inline constexpr INT_PTR SE_ERR_ACCESSDENIED = 5;
inline constexpr INT_PTR SE_ERR_OOM = 8;
inline constexpr INT_PTR SE_ERR_SHARE = 26;
inline constexpr INT_PTR SE_ERR_ASSOCINCOMPLETE = 27;
inline constexpr INT_PTR SE_ERR_DDETIMEOUT = 28;
inline constexpr INT_PTR SE_ERR_DDEFAIL = 29;
inline constexpr INT_PTR SE_ERR_DDEBUSY = 30;
inline constexpr INT_PTR SE_ERR_NOASSOC = 31;
inline constexpr INT_PTR SE_ERR_DLLNOTFOUND = 32;

inline constexpr LONG ERROR_BAD_FORMAT = 11;
inline constexpr LONG ERROR_NO_ASSOCIATION = 1155;
inline constexpr LONG ERROR_DDE_FAIL = 1156;
inline constexpr LONG ERROR_DLL_NOT_FOUND = 1157;

// SHELLEXECUTEINFOW with Windows' layout (60 bytes on the 32-bit build).
struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  const wchar_t* lpVerb;
  const wchar_t* lpFile;
  const wchar_t* lpParameters;
  const wchar_t* lpDirectory;
  int nShow;
  std::uintptr_t hInstApp;  // > 32 on success, an error value otherwise
  void* lpIDList;
  const wchar_t* lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;  // with SEE_MASK_NOCLOSEPROCESS: the started process, 0 if none
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;

  // cbSize must be sizeof(SHELLEXECUTEINFOW) (ERROR_ACCESS_DENIED otherwise).
  // FALSE with the last error set when the program cannot be started
  // (ERROR_FILE_NOT_FOUND for a file that does not exist). A bare file name
  // is searched for in the program's own folder, the current directory, the
  // system directory and the Windows directory, in that order: a program
  // that must be the system's is named by its full path.
  virtual BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) = 0;
  virtual BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) = 0;
  // Ends the process with exitCode; its handle is then signalled.
  virtual BOOL TerminateProcess(HANDLE process, UINT exitCode) = 0;
  // The result is > 32 on success.
  virtual INT_PTR ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                                const wchar_t* directory, int show) = 0;
  virtual UINT WinExec(const char* commandLine, UINT show) = 0;
};

// clang-format off
inline BOOL ShellExecuteExW(SHELLEXECUTEINFOW* i) { return Current().process->ShellExecuteExW(i); }
inline BOOL GetExitCodeProcess(HANDLE p, DWORD* c) { return Current().process->GetExitCodeProcess(p, c); }
inline BOOL TerminateProcess(HANDLE p, UINT c) { return Current().process->TerminateProcess(p, c); }
inline INT_PTR ShellExecuteW(HWND o, const wchar_t* v, const wchar_t* f, const wchar_t* p, const wchar_t* d, int s) { return Current().process->ShellExecuteW(o, v, f, p, d, s); }
inline UINT WinExec(const char* c, UINT s) { return Current().process->WinExec(c, s); }
// clang-format on

}  // namespace pf
