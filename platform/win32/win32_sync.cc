#include "platform/win32/win32_sync.h"

#include "platform/platform.h"

#include <windows.h>

namespace pf::win32 {
namespace {

::HANDLE H(pf::HANDLE h) { return reinterpret_cast<::HANDLE>(h); }
::OVERLAPPED* O(pf::OVERLAPPED* o) { return reinterpret_cast<::OVERLAPPED*>(o); }
::CRITICAL_SECTION* C(pf::CRITICAL_SECTION* s) { return reinterpret_cast<::CRITICAL_SECTION*>(s); }

class Win32Sync : public SyncApi {
 public:
  pf::BOOL CloseHandle(pf::HANDLE h) override { return ::CloseHandle(H(h)); }
  pf::HANDLE CreateEventW(const void* s, pf::BOOL m, pf::BOOL i, const wchar_t* n) override {
    return reinterpret_cast<pf::HANDLE>(
        ::CreateEventW(static_cast<::SECURITY_ATTRIBUTES*>(const_cast<void*>(s)), m, i, n));
  }
  pf::BOOL SetEvent(pf::HANDLE h) override { return ::SetEvent(H(h)); }
  pf::BOOL ResetEvent(pf::HANDLE h) override { return ::ResetEvent(H(h)); }
  pf::DWORD WaitForSingleObject(pf::HANDLE h, pf::DWORD ms) override { return ::WaitForSingleObject(H(h), ms); }
  pf::BOOL GetOverlappedResult(pf::HANDLE h, pf::OVERLAPPED* o, pf::DWORD* n, pf::BOOL w) override {
    ::DWORD done = 0;
    const ::BOOL ok = ::GetOverlappedResult(H(h), O(o), &done, w);
    if (n != nullptr) *n = done;
    return ok;
  }
  pf::BOOL CancelIo(pf::HANDLE h) override { return ::CancelIo(H(h)); }
  pf::BOOL DeviceIoControl(pf::HANDLE h, pf::DWORD c, void* i, pf::DWORD is, void* o, pf::DWORD os,
                           pf::DWORD* r, pf::OVERLAPPED* ov) override {
    ::DWORD done = 0;
    const ::BOOL ok = ::DeviceIoControl(H(h), c, i, is, o, os, &done, O(ov));
    if (r != nullptr) *r = done;
    return ok;
  }
  void InitializeCriticalSection(pf::CRITICAL_SECTION* s) override { ::InitializeCriticalSection(C(s)); }
  void EnterCriticalSection(pf::CRITICAL_SECTION* s) override { ::EnterCriticalSection(C(s)); }
  void LeaveCriticalSection(pf::CRITICAL_SECTION* s) override { ::LeaveCriticalSection(C(s)); }
  void DeleteCriticalSection(pf::CRITICAL_SECTION* s) override { ::DeleteCriticalSection(C(s)); }
};

}  // namespace

SyncApi& SyncGroup() {
  static Win32Sync sync;
  return sync;
}

}  // namespace pf::win32
