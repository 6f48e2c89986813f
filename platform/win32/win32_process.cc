#include "platform/win32/win32_process.h"

#include <windows.h>
#include <shellapi.h>

namespace pf::win32 {
namespace {

class Win32Process : public ProcessApi {
 public:
  // The record has Windows' layout (checked in constants_check.cc).
  pf::BOOL ShellExecuteExW(pf::SHELLEXECUTEINFOW* info) override {
    return ::ShellExecuteExW(reinterpret_cast<::SHELLEXECUTEINFOW*>(info));
  }
  pf::BOOL GetExitCodeProcess(pf::HANDLE process, pf::DWORD* exitCode) override {
    ::DWORD code = 0;
    const ::BOOL ok = ::GetExitCodeProcess(reinterpret_cast<::HANDLE>(process), &code);
    if (ok && exitCode != nullptr) *exitCode = code;
    return ok;
  }
  pf::BOOL TerminateProcess(pf::HANDLE process, pf::UINT exitCode) override {
    return ::TerminateProcess(reinterpret_cast<::HANDLE>(process), exitCode);
  }
  pf::INT_PTR ShellExecuteW(pf::HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                            const wchar_t* directory, int show) override {
    return reinterpret_cast<pf::INT_PTR>(
        ::ShellExecuteW(reinterpret_cast<::HWND>(owner), verb, file, parameters, directory, show));
  }
  pf::UINT WinExec(const char* commandLine, pf::UINT show) override { return ::WinExec(commandLine, show); }
};

}  // namespace

ProcessApi& ProcessGroup() {
  static Win32Process process;
  return process;
}

}  // namespace pf::win32
