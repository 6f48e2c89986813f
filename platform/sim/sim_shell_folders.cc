#include "platform/sim/sim_shell_folders.h"

#include <algorithm>

#include "platform/sim/sim_files.h"

namespace pf::sim {

SimShellFolders::SimShellFolders(SimKernel& kernel, SimFiles& files)
    : kernel_(kernel),
      files_(files),
      specialFolders_{{CSIDL_PROGRAM_FILES, L"C:\\Program Files"},
                      {CSIDL_PROGRAM_FILES_COMMON, L"C:\\Program Files\\Common Files"}} {}

UINT SimShellFolders::CopyFolder(const char* call, const std::wstring& path, wchar_t* buffer, UINT size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter(call)) {
    kernel_.SetLastError(error);
    return 0;
  }
  const UINT length = static_cast<UINT>(path.size());
  if (buffer == nullptr || size <= length) return length + 1;  // the size needed, NUL included
  std::copy(path.begin(), path.end(), buffer);
  buffer[length] = L'\0';
  return length;
}

UINT SimShellFolders::GetSystemDirectoryW(wchar_t* buffer, UINT size) {
  return CopyFolder("GetSystemDirectoryW", systemDirectory_, buffer, size);
}

UINT SimShellFolders::GetWindowsDirectoryW(wchar_t* buffer, UINT size) {
  return CopyFolder("GetWindowsDirectoryW", windowsDirectory_, buffer, size);
}

BOOL SimShellFolders::SHGetSpecialFolderPathW(HWND owner, wchar_t* buffer, int csidl, BOOL create) {
  auto lock = kernel_.Lock();
  if (buffer != nullptr) buffer[0] = L'\0';
  if (DWORD error = kernel_.Enter("SHGetSpecialFolderPathW")) return kernel_.Fail(error);
  const std::wstring path = SpecialFolder(csidl);
  if (buffer == nullptr || path.empty() || path.size() >= MAX_PATH) return FALSE;
  if (create && !files_.Exists(path)) files_.MakeFolder(path);
  std::copy(path.begin(), path.end(), buffer);
  buffer[path.size()] = L'\0';
  return TRUE;
}

void SimShellFolders::SetSpecialFolder(int csidl, const std::wstring& path) {
  if (path.empty()) {
    specialFolders_.erase(csidl);
  } else {
    specialFolders_[csidl] = path;
  }
}

std::wstring SimShellFolders::SpecialFolder(int csidl) const {
  if (csidl == CSIDL_WINDOWS) return windowsDirectory_;
  if (csidl == CSIDL_SYSTEM) return systemDirectory_;
  auto found = specialFolders_.find(csidl);
  return found != specialFolders_.end() ? found->second : std::wstring();
}

}  // namespace pf::sim
