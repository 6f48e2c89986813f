// The one process-wide platform: the operating system as the programs see it.
//
// The Windows programs link platform/win32 and get the real system; native
// tests and tools link platform/sim and get a simulated PC. A test installs a
// fresh platform for its lifetime with ScopedPlatform. The free functions below
// forward to the current platform so that the system's code reads like Win32.
#pragma once

#include "platform/codepages.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace pf {
// The groups declared in headers of their own, included at the end.
class ServiceApi;      // platform/services.h
class SyncApi;         // platform/sync.h
class SetupApi;        // platform/setupapi.h
class SpoolerApi;      // platform/spooler.h
class ProcessApi;      // platform/process.h
class ShellFolderApi;  // platform/shell_folders.h
class ResourceApi;     // platform/resources.h
}  // namespace pf

namespace pf {

struct Platform {
  RegistryApi* registry = nullptr;
  FileApi* files = nullptr;
  CodePageApi* codePages = nullptr;
  SystemApi* system = nullptr;
  ServiceApi* services = nullptr;
  SyncApi* sync = nullptr;
  SetupApi* setupApi = nullptr;
  SpoolerApi* spooler = nullptr;
  ProcessApi* process = nullptr;
  ShellFolderApi* shellFolders = nullptr;
  ResourceApi* resources = nullptr;
};

// The current platform; the linked backend's default until one is installed.
Platform& Current();

// Defined by the linked backend.
Platform& DefaultPlatform();

// Installs a platform for the object's lifetime and restores the previous one.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(const Platform& platform);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
  Platform installed_;
};

// clang-format off
inline LONG RegOpenKeyExW(HKEY k, const wchar_t* s, DWORD o, DWORD a, HKEY* r) { return Current().registry->RegOpenKeyExW(k, s, o, a, r); }
inline LONG RegCreateKeyExW(HKEY k, const wchar_t* s, DWORD o, DWORD a, HKEY* r, DWORD* d) { return Current().registry->RegCreateKeyExW(k, s, o, a, r, d); }
inline LONG RegQueryValueExW(HKEY k, const wchar_t* n, DWORD* t, BYTE* d, DWORD* s) { return Current().registry->RegQueryValueExW(k, n, t, d, s); }
inline LONG RegSetValueExW(HKEY k, const wchar_t* n, DWORD t, const BYTE* d, DWORD s) { return Current().registry->RegSetValueExW(k, n, t, d, s); }
inline LONG RegDeleteValueW(HKEY k, const wchar_t* n) { return Current().registry->RegDeleteValueW(k, n); }
inline LONG RegDeleteKeyW(HKEY k, const wchar_t* s) { return Current().registry->RegDeleteKeyW(k, s); }
inline LONG RegEnumKeyExW(HKEY k, DWORD i, wchar_t* n, DWORD* l) { return Current().registry->RegEnumKeyExW(k, i, n, l); }
inline LONG RegEnumValueW(HKEY k, DWORD i, wchar_t* n, DWORD* l, DWORD* t, BYTE* d, DWORD* s) { return Current().registry->RegEnumValueW(k, i, n, l, t, d, s); }
inline LONG RegOpenKeyExA(HKEY k, const char* s, DWORD o, DWORD a, HKEY* r) { return Current().registry->RegOpenKeyExA(k, s, o, a, r); }
inline LONG RegCreateKeyExA(HKEY k, const char* s, DWORD o, DWORD a, HKEY* r, DWORD* d) { return Current().registry->RegCreateKeyExA(k, s, o, a, r, d); }
inline LONG RegQueryValueExA(HKEY k, const char* n, DWORD* t, BYTE* d, DWORD* s) { return Current().registry->RegQueryValueExA(k, n, t, d, s); }
inline LONG RegSetValueExA(HKEY k, const char* n, DWORD t, const BYTE* d, DWORD s) { return Current().registry->RegSetValueExA(k, n, t, d, s); }
inline LONG RegDeleteValueA(HKEY k, const char* n) { return Current().registry->RegDeleteValueA(k, n); }
inline LONG RegDeleteKeyA(HKEY k, const char* s) { return Current().registry->RegDeleteKeyA(k, s); }
inline LONG RegEnumKeyExA(HKEY k, DWORD i, char* n, DWORD* l) { return Current().registry->RegEnumKeyExA(k, i, n, l); }
inline LONG RegCloseKey(HKEY k) { return Current().registry->RegCloseKey(k); }

inline HANDLE CreateFileW(const wchar_t* p, DWORD a, DWORD s, DWORD c, DWORD f) { return Current().files->CreateFileW(p, a, s, c, f); }
inline HANDLE CreateFileA(const char* p, DWORD a, DWORD s, DWORD c, DWORD f) { return Current().files->CreateFileA(p, a, s, c, f); }
inline BOOL DeleteFileA(const char* p) { return Current().files->DeleteFileA(p); }
inline BOOL ReadFile(HANDLE h, void* b, DWORD n, DWORD* r, OVERLAPPED* o = nullptr) { return Current().files->ReadFile(h, b, n, r, o); }
inline BOOL WriteFile(HANDLE h, const void* b, DWORD n, DWORD* w, OVERLAPPED* o = nullptr) { return Current().files->WriteFile(h, b, n, w, o); }
inline BOOL SetFilePointerEx(HANDLE h, std::int64_t d, std::int64_t* p, DWORD m) { return Current().files->SetFilePointerEx(h, d, p, m); }
inline BOOL GetFileSizeEx(HANDLE h, std::int64_t* s) { return Current().files->GetFileSizeEx(h, s); }
inline BOOL CreateDirectoryW(const wchar_t* p) { return Current().files->CreateDirectoryW(p); }
inline BOOL RemoveDirectoryW(const wchar_t* p) { return Current().files->RemoveDirectoryW(p); }
inline BOOL DeleteFileW(const wchar_t* p) { return Current().files->DeleteFileW(p); }
inline DWORD GetFileAttributesW(const wchar_t* p) { return Current().files->GetFileAttributesW(p); }
inline BOOL SetCurrentDirectoryW(const wchar_t* p) { return Current().files->SetCurrentDirectoryW(p); }
inline DWORD GetCurrentDirectoryW(DWORD n, wchar_t* b) { return Current().files->GetCurrentDirectoryW(n, b); }

inline HKL GetKeyboardLayout(DWORD t) { return Current().codePages->GetKeyboardLayout(t); }
inline int GetLocaleInfoW(LCID l, LCTYPE t, wchar_t* d, int s) { return Current().codePages->GetLocaleInfoW(l, t, d, s); }
inline UINT GetACP() { return Current().codePages->GetACP(); }
inline int MultiByteToWideChar(UINT c, DWORD f, const char* t, int n, wchar_t* w, int m) { return Current().codePages->MultiByteToWideChar(c, f, t, n, w, m); }
inline int WideCharToMultiByte(UINT c, DWORD f, const wchar_t* w, int n, char* t, int m) { return Current().codePages->WideCharToMultiByte(c, f, w, n, t, m); }

inline DWORD GetLastError() { return Current().system->GetLastError(); }
inline void SetLastError(DWORD e) { Current().system->SetLastError(e); }
inline DWORD GetModuleFileNameW(HMODULE m, wchar_t* b, DWORD n) { return Current().system->GetModuleFileNameW(m, b, n); }
inline DWORD GetModuleFileNameA(HMODULE m, char* b, DWORD n) { return Current().system->GetModuleFileNameA(m, b, n); }
inline void GetLocalTime(SYSTEMTIME* t) { Current().system->GetLocalTime(t); }
inline BOOL GetVersionExW(OSVERSIONINFOW* i) { return Current().system->GetVersionExW(i); }
inline HANDLE GetCurrentProcess() { return Current().system->GetCurrentProcess(); }
inline BOOL IsWow64Process(HANDLE p, BOOL* w) { return Current().system->IsWow64Process(p, w); }
inline DWORD GetTickCount() { return Current().system->GetTickCount(); }
inline void Sleep(DWORD ms) { Current().system->Sleep(ms); }
inline int MessageBoxW(HWND o, const wchar_t* t, const wchar_t* c, UINT y) { return Current().system->MessageBoxW(o, t, c, y); }
inline void* LocalAlloc(UINT f, std::size_t n) { return Current().system->LocalAlloc(f, n); }
inline void* LocalFree(void* b) { return Current().system->LocalFree(b); }
inline DWORD FormatMessageW(DWORD f, const void* s, DWORD id, DWORD l, wchar_t* b, DWORD n) { return Current().system->FormatMessageW(f, s, id, l, b, n); }
// clang-format on

}  // namespace pf

// Every group's header, so that including this one gives the whole seam.
#include "platform/process.h"
#include "platform/resources.h"
#include "platform/services.h"
#include "platform/setupapi.h"
#include "platform/shell_folders.h"
#include "platform/spooler.h"
#include "platform/sync.h"
