#include "platform/win32/win32_files.h"

#include "platform/platform.h"

#include <windows.h>

namespace pf::win32 {
namespace {

::HANDLE H(pf::HANDLE h) { return reinterpret_cast<::HANDLE>(h); }
pf::HANDLE P(::HANDLE h) { return reinterpret_cast<pf::HANDLE>(h); }

class Win32Files : public FileApi {
 public:
  pf::HANDLE CreateFileW(const wchar_t* p, pf::DWORD a, pf::DWORD s, pf::DWORD c, pf::DWORD f) override {
    return P(::CreateFileW(p, a, s, nullptr, c, f, nullptr));
  }
  pf::HANDLE CreateFileA(const char* p, pf::DWORD a, pf::DWORD s, pf::DWORD c, pf::DWORD f) override {
    return P(::CreateFileA(p, a, s, nullptr, c, f, nullptr));
  }
  pf::BOOL DeleteFileA(const char* p) override { return ::DeleteFileA(p); }
  // The seam's OVERLAPPED has Windows' layout (checked in constants_check.cc).
  pf::BOOL ReadFile(pf::HANDLE h, void* b, pf::DWORD n, pf::DWORD* r, pf::OVERLAPPED* o) override {
    ::DWORD done = 0;
    const ::BOOL ok = ::ReadFile(H(h), b, n, &done, reinterpret_cast<::OVERLAPPED*>(o));
    if (r != nullptr) *r = done;
    return ok;
  }
  pf::BOOL WriteFile(pf::HANDLE h, const void* b, pf::DWORD n, pf::DWORD* w, pf::OVERLAPPED* o) override {
    ::DWORD done = 0;
    const ::BOOL ok = ::WriteFile(H(h), b, n, &done, reinterpret_cast<::OVERLAPPED*>(o));
    if (w != nullptr) *w = done;
    return ok;
  }
  pf::BOOL SetFilePointerEx(pf::HANDLE h, std::int64_t d, std::int64_t* p, pf::DWORD m) override {
    ::LARGE_INTEGER distance, position;
    distance.QuadPart = d;
    const ::BOOL ok = ::SetFilePointerEx(H(h), distance, &position, m);
    if (ok && p != nullptr) *p = position.QuadPart;
    return ok;
  }
  pf::BOOL GetFileSizeEx(pf::HANDLE h, std::int64_t* s) override {
    ::LARGE_INTEGER size;
    const ::BOOL ok = ::GetFileSizeEx(H(h), &size);
    if (ok) *s = size.QuadPart;
    return ok;
  }
  pf::BOOL CreateDirectoryW(const wchar_t* p) override { return ::CreateDirectoryW(p, nullptr); }
  pf::BOOL RemoveDirectoryW(const wchar_t* p) override { return ::RemoveDirectoryW(p); }
  pf::BOOL DeleteFileW(const wchar_t* p) override { return ::DeleteFileW(p); }
  pf::DWORD GetFileAttributesW(const wchar_t* p) override { return ::GetFileAttributesW(p); }
  pf::BOOL SetCurrentDirectoryW(const wchar_t* p) override { return ::SetCurrentDirectoryW(p); }
  pf::DWORD GetCurrentDirectoryW(pf::DWORD n, wchar_t* b) override { return ::GetCurrentDirectoryW(n, b); }
};

}  // namespace

FileApi& FilesGroup() {
  static Win32Files files;
  return files;
}

}  // namespace pf::win32
