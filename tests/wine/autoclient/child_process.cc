#include "tests/wine/autoclient/child_process.h"

namespace autoclient {

ChildProcess::~ChildProcess() {
  if (process_) ::CloseHandle(process_);
}

bool ChildProcess::Start(const std::wstring& path, std::wstring* error, const std::wstring& directory,
                         const std::wstring& arguments) {
  std::wstring folder = directory.empty() ? path : directory;
  if (directory.empty()) {
    const size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash);
  }
  std::wstring command_line = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
    *error = L"CreateProcess failed with error " + std::to_wstring(::GetLastError());
    return false;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Running() const { return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitForExit(DWORD timeout_ms, DWORD* exit_code) const {
  if (!process_ || ::WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return false;
  return ::GetExitCodeProcess(process_, exit_code) != 0;
}

void ChildProcess::Terminate() {
  if (Running()) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 5000);
  }
}

}  // namespace autoclient
