// Kernel objects as the programs see them: closing handles, events, waiting,
// the overlapped side of device I/O (the result of a transfer that was
// started with an OVERLAPPED record, its cancellation, and device controls),
// and critical sections (their owner: platform/critical_section.h).
//
// ReadFile and WriteFile themselves belong to the files group
// (platform/files.h); given an OVERLAPPED on a handle opened with
// FILE_FLAG_OVERLAPPED they may return FALSE with ERROR_IO_PENDING, and the
// transfer then completes later, possibly with fewer bytes than asked for.
// The file handle itself is signalled when a transfer completes, so a program
// may wait on it as on an event.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

using ULONG_PTR = std::uintptr_t;

// OVERLAPPED with Windows' layout (20 bytes on the 32-bit build).
struct OVERLAPPED {
  ULONG_PTR Internal;      // the transfer's status while it is pending
  ULONG_PTR InternalHigh;  // bytes transferred
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};

// CRITICAL_SECTION with Windows' layout (24 bytes on the 32-bit build). The
// memory is the program's; what the fields hold is the backend's.
struct CRITICAL_SECTION {
  void* DebugInfo;
  LONG LockCount;
  LONG RecursionCount;
  HANDLE OwningThread;
  HANDLE LockSemaphore;
  ULONG_PTR SpinCount;
};

inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_ABANDONED = 0x80;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

inline constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;
// OVERLAPPED::Internal while the transfer is pending (HasOverlappedIoCompleted).
inline constexpr ULONG_PTR STATUS_PENDING = 0x103;

inline constexpr LONG ERROR_GEN_FAILURE = 31;
inline constexpr LONG ERROR_NOT_SUPPORTED = 50;
inline constexpr LONG ERROR_OPERATION_ABORTED = 995;
inline constexpr LONG ERROR_IO_INCOMPLETE = 996;
inline constexpr LONG ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr LONG ERROR_NOT_FOUND = 1168;

// CTL_CODE(deviceType, function, method, access).
constexpr DWORD CTL_CODE(DWORD deviceType, DWORD function, DWORD method, DWORD access) {
  return (deviceType << 16) | (access << 14) | (function << 2) | method;
}
inline constexpr DWORD FILE_DEVICE_UNKNOWN = 0x22;
inline constexpr DWORD METHOD_BUFFERED = 0;
inline constexpr DWORD FILE_ANY_ACCESS = 0;

class SyncApi {
 public:
  virtual ~SyncApi() = default;

  // Closes a kernel object handle of any kind (file, device, event, process).
  // A stale or foreign handle fails with ERROR_INVALID_HANDLE.
  virtual BOOL CloseHandle(HANDLE handle) = 0;

  // Unnamed events only (name must be null); returns 0 on failure.
  virtual HANDLE CreateEventW(const void* security, BOOL manualReset, BOOL initialState, const wchar_t* name) = 0;
  virtual BOOL SetEvent(HANDLE event) = 0;
  virtual BOOL ResetEvent(HANDLE event) = 0;
  // WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED with the last error set.
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;

  // The outcome of an overlapped transfer. With wait, blocks until it is done;
  // without, a transfer still pending fails with ERROR_IO_INCOMPLETE.
  virtual BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) = 0;
  // Cancels the calling thread's pending transfers on the handle; each then
  // completes with ERROR_OPERATION_ABORTED (wait for it before freeing its
  // buffer and OVERLAPPED).
  virtual BOOL CancelIo(HANDLE file) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                               DWORD* returned, OVERLAPPED* overlapped) = 0;

  // A critical section: initialised before its first use and deleted after
  // its last; one thread at a time holds it, and its holder may enter it
  // again (leaving it as often). None of these calls fails.
  virtual void InitializeCriticalSection(CRITICAL_SECTION* section) = 0;
  virtual void EnterCriticalSection(CRITICAL_SECTION* section) = 0;
  virtual void LeaveCriticalSection(CRITICAL_SECTION* section) = 0;
  virtual void DeleteCriticalSection(CRITICAL_SECTION* section) = 0;
};

// clang-format off
inline BOOL CloseHandle(HANDLE h) { return Current().sync->CloseHandle(h); }
inline HANDLE CreateEventW(const void* s, BOOL m, BOOL i, const wchar_t* n) { return Current().sync->CreateEventW(s, m, i, n); }
inline BOOL SetEvent(HANDLE h) { return Current().sync->SetEvent(h); }
inline BOOL ResetEvent(HANDLE h) { return Current().sync->ResetEvent(h); }
inline DWORD WaitForSingleObject(HANDLE h, DWORD ms) { return Current().sync->WaitForSingleObject(h, ms); }
inline BOOL GetOverlappedResult(HANDLE h, OVERLAPPED* o, DWORD* n, BOOL w) { return Current().sync->GetOverlappedResult(h, o, n, w); }
inline BOOL CancelIo(HANDLE h) { return Current().sync->CancelIo(h); }
inline BOOL DeviceIoControl(HANDLE h, DWORD c, void* i, DWORD is, void* o, DWORD os, DWORD* r, OVERLAPPED* ov) { return Current().sync->DeviceIoControl(h, c, i, is, o, os, r, ov); }
inline void InitializeCriticalSection(CRITICAL_SECTION* s) { Current().sync->InitializeCriticalSection(s); }
inline void EnterCriticalSection(CRITICAL_SECTION* s) { Current().sync->EnterCriticalSection(s); }
inline void LeaveCriticalSection(CRITICAL_SECTION* s) { Current().sync->LeaveCriticalSection(s); }
inline void DeleteCriticalSection(CRITICAL_SECTION* s) { Current().sync->DeleteCriticalSection(s); }
// clang-format on

}  // namespace pf
