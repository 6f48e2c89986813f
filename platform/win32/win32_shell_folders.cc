#include "platform/win32/win32_shell_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace pf::win32 {
namespace {

class Win32ShellFolders : public ShellFolderApi {
 public:
  pf::UINT GetSystemDirectoryW(wchar_t* buffer, pf::UINT size) override { return ::GetSystemDirectoryW(buffer, size); }
  pf::UINT GetWindowsDirectoryW(wchar_t* buffer, pf::UINT size) override {
    return ::GetWindowsDirectoryW(buffer, size);
  }
  pf::BOOL SHGetSpecialFolderPathW(pf::HWND owner, wchar_t* buffer, int csidl, pf::BOOL create) override {
    return ::SHGetSpecialFolderPathW(reinterpret_cast<::HWND>(owner), buffer, csidl, create);
  }
};

}  // namespace

ShellFolderApi& ShellFoldersGroup() {
  static Win32ShellFolders folders;
  return folders;
}

}  // namespace pf::win32
