// UniqueHandle: the one owner of a handle of the platform. Move-only; it
// closes what it holds when it goes, when reset, or when moved onto.
//
// A traits policy per handle kind says what the kind's invalid value is and
// how it is closed. Files, devices and device information sets are invalid
// as INVALID_HANDLE_VALUE; events, processes, printers, service handles and
// registry keys as 0. Closing never changes the thread's last error, so an
// owner going out of scope after a failed call leaves the failure's code for
// the caller to read.
#pragma once

#include <utility>

#include "platform/platform.h"

namespace pf {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const noexcept { return handle_; }
  bool IsValid() const noexcept { return handle_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Gives the handle up without closing it.
  Handle release() noexcept {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }

  // Closes the held handle, if any, and takes the given one.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    if (IsValid()) {
      const DWORD error = GetLastError();
      Traits::Close(handle_);
      SetLastError(error);
    }
    handle_ = handle;
  }

  // For out-parameters: closes the held handle and hands out the slot.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Files and devices opened with CreateFileW.
struct FileHandleTraits {
  using Handle = HANDLE;
  static constexpr Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// Events and processes.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

struct DevInfoTraits {
  using Handle = HDEVINFO;
  static constexpr Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { SetupDiDestroyDeviceInfoList(handle); }
};

struct PrinterHandleTraits {
  using Handle = HANDLE;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle handle) { ClosePrinter(handle); }
};

// Service manager and service handles.
struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle handle) { CloseServiceHandle(handle); }
};

// Keys this program opened; never the predefined root keys.
struct RegKeyTraits {
  using Handle = HKEY;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle handle) { RegCloseKey(handle); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueDevInfo = UniqueHandle<DevInfoTraits>;
using UniquePrinter = UniqueHandle<PrinterHandleTraits>;
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;
using UniqueKey = UniqueHandle<RegKeyTraits>;

}  // namespace pf
