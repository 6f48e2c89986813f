#include "platform/win32/win32_system.h"

#include "platform/platform.h"

#include <windows.h>

namespace pf::win32 {
namespace {

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
  const wchar_t* GetCommandLineW() override { return ::GetCommandLineW(); }
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
