// The simulated PC's folders: the system folder, the Windows folder and the
// shell's special folders. Each answer is settable, with or without a
// trailing backslash (it is given back exactly as set), and every call can be
// made to fail through the kernel.
#pragma once

#include <map>
#include <string>

#include "platform/shell_folders.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {

class SimFiles;

class SimShellFolders : public ShellFolderApi {
 public:
  SimShellFolders(SimKernel& kernel, SimFiles& files);

  UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) override;
  UINT GetWindowsDirectoryW(wchar_t* buffer, UINT size) override;
  // A folder the PC does not know fails (FALSE, buffer emptied, as the shell
  // leaves it). With create, a missing folder is made in the PC's files.
  BOOL SHGetSpecialFolderPathW(HWND owner, wchar_t* buffer, int csidl, BOOL create) override;

  // --- Test API ---
  void SetSystemDirectory(const std::wstring& path) { systemDirectory_ = path; }
  void SetWindowsDirectory(const std::wstring& path) { windowsDirectory_ = path; }
  // An empty path makes the folder unknown.
  void SetSpecialFolder(int csidl, const std::wstring& path);
  const std::wstring& systemDirectory() const { return systemDirectory_; }
  const std::wstring& windowsDirectory() const { return windowsDirectory_; }
  // The special folder's path, or empty.
  std::wstring SpecialFolder(int csidl) const;

 private:
  UINT CopyFolder(const char* call, const std::wstring& path, wchar_t* buffer, UINT size);

  SimKernel& kernel_;
  SimFiles& files_;
  std::wstring systemDirectory_ = L"C:\\WINDOWS\\system32";
  std::wstring windowsDirectory_ = L"C:\\WINDOWS";
  std::map<int, std::wstring> specialFolders_;
};

}  // namespace pf::sim
