#include "platform/win32/win32_system.h"

#include "platform/platform.h"

#include <windows.h>

namespace pf::win32 {
namespace {

// IsWow64Process is looked up in kernel32 when it is called, never imported:
// Windows 2000 (and XP before SP2) does not have it, and its loader refuses
// to start a program that imports a function it lacks.
using IsWow64ProcessFn = ::BOOL(WINAPI*)(::HANDLE, ::PBOOL);

IsWow64ProcessFn FindIsWow64Process() {
  const ::HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
}

class Win32System : public SystemApi {
 public:
  pf::DWORD GetLastError() override { return ::GetLastError(); }
  void SetLastError(pf::DWORD e) override { ::SetLastError(e); }
  pf::DWORD GetModuleFileNameW(pf::HMODULE m, wchar_t* b, pf::DWORD n) override {
    return ::GetModuleFileNameW(reinterpret_cast<::HMODULE>(m), b, n);
  }
  pf::DWORD GetModuleFileNameA(pf::HMODULE m, char* b, pf::DWORD n) override {
    return ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(m), b, n);
  }
  pf::BOOL GetVersionExW(pf::OSVERSIONINFOW* i) override {
    return ::GetVersionExW(reinterpret_cast<::OSVERSIONINFOW*>(i));
  }
  pf::HANDLE GetCurrentProcess() override { return reinterpret_cast<pf::HANDLE>(::GetCurrentProcess()); }
  pf::BOOL IsWow64Process(pf::HANDLE p, pf::BOOL* w) override {
    const IsWow64ProcessFn isWow64Process = FindIsWow64Process();
    if (isWow64Process == nullptr) {
      ::SetLastError(ERROR_PROC_NOT_FOUND);
      return FALSE;
    }
    ::BOOL wow64 = FALSE;
    if (!isWow64Process(reinterpret_cast<::HANDLE>(p), &wow64)) return FALSE;
    *w = wow64;
    return TRUE;
  }
  void GetLocalTime(pf::SYSTEMTIME* t) override { ::GetLocalTime(reinterpret_cast<::SYSTEMTIME*>(t)); }
  pf::DWORD GetTickCount() override { return ::GetTickCount(); }
  void Sleep(pf::DWORD ms) override { ::Sleep(ms); }
  int MessageBoxW(pf::HWND o, const wchar_t* t, const wchar_t* c, pf::UINT y) override {
    return ::MessageBoxW(reinterpret_cast<::HWND>(o), t, c, y);
  }
  void* LocalAlloc(pf::UINT f, std::size_t n) override { return ::LocalAlloc(f, n); }
  void* LocalFree(void* b) override { return ::LocalFree(b); }
  pf::DWORD FormatMessageW(pf::DWORD f, const void* s, pf::DWORD id, pf::DWORD l, wchar_t* b, pf::DWORD n) override {
    return ::FormatMessageW(f, s, id, l, b, n, nullptr);
  }
};

}  // namespace

SystemApi& SystemGroup() {
  static Win32System system;
  return system;
}

}  // namespace pf::win32
