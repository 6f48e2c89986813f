// Where Windows keeps things: the system and Windows folders, and the
// shell's special folders (SHELL32) such as the common program files folder.
#pragma once

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

inline constexpr int CSIDL_WINDOWS = 0x24;
inline constexpr int CSIDL_SYSTEM = 0x25;
inline constexpr int CSIDL_PROGRAM_FILES = 0x26;
inline constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x2B;

class ShellFolderApi {
 public:
  virtual ~ShellFolderApi() = default;

  // Win32 rules: the length without NUL when it fits, else the size needed
  // with NUL; 0 on failure.
  virtual UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) = 0;
  virtual UINT GetWindowsDirectoryW(wchar_t* buffer, UINT size) = 0;
  // buffer holds MAX_PATH characters. Without create, a folder that does not
  // exist is still reported as its path.
  virtual BOOL SHGetSpecialFolderPathW(HWND owner, wchar_t* buffer, int csidl, BOOL create) = 0;
};

// clang-format off
inline UINT GetSystemDirectoryW(wchar_t* b, UINT n) { return Current().shellFolders->GetSystemDirectoryW(b, n); }
inline UINT GetWindowsDirectoryW(wchar_t* b, UINT n) { return Current().shellFolders->GetWindowsDirectoryW(b, n); }
inline BOOL SHGetSpecialFolderPathW(HWND o, wchar_t* b, int c, BOOL f) { return Current().shellFolders->SHGetSpecialFolderPathW(o, b, c, f); }
// clang-format on

}  // namespace pf
