// The simulated kernel objects group: CloseHandle for every kind, events,
// waits on the virtual clock, and the overlapped calls, which it hands to the
// device object of the handle.
#pragma once

#include "platform/sim/sim_kernel.h"
#include "platform/sync.h"

namespace pf::sim {

class SimSync : public SyncApi {
 public:
  explicit SimSync(SimKernel& kernel) : kernel_(kernel) {}

  BOOL CloseHandle(HANDLE handle) override;
  HANDLE CreateEventW(const void* security, BOOL manualReset, BOOL initialState, const wchar_t* name) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  // Lets the virtual clock run, firing what is scheduled, until the object is
  // signalled or the time is up. An INFINITE wait on an object that nothing
  // scheduled can signal any more fails with ERROR_POSSIBLE_DEADLOCK instead
  // of hanging.
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
  // A failure made with FailCall comes, when the call waits, only after the
  // transfer is over, as a waiting call's failure does on Windows.
  BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override;
  BOOL CancelIo(HANDLE file) override;
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned, OVERLAPPED* overlapped) override;

 private:
  BOOL OverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait);

  SimKernel& kernel_;
};

inline constexpr LONG ERROR_POSSIBLE_DEADLOCK = 1131;

// Sets or resets an event the way the start and the completion of an
// overlapped transfer do: not a call of the program (nothing recorded, no
// fault). False when the handle is not an open event.
bool SetEventState(SimKernel& kernel, HANDLE event, bool signalled);

// Ends the transfer of an OVERLAPPED record as Windows does when a transfer
// completes: its outcome in the record (Internal holds the Win32 error here;
// programs read it through GetOverlappedResult) and its event, if it has one,
// set. For the files group and the device objects; the kernel is locked.
void CompleteOverlapped(SimKernel& kernel, OVERLAPPED* overlapped, DWORD error, DWORD count);

}  // namespace pf::sim
