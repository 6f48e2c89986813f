// The simulated kernel objects group: CloseHandle for every kind, events,
// waits on the virtual clock, the overlapped calls, which it hands to the
// device object of the handle, and critical sections.
#pragma once

#include <map>
#include <memory>

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

  // Critical sections really serialise the threads of the PC's programs (a
  // waiting thread blocks, with the PC's lock released, not on the virtual
  // clock). They are known by their address: the simulated PC runs all of
  // its programs in one process, so the runs of one program, which Windows
  // keeps in processes of their own, share its static critical sections. A
  // second initialisation of a live one therefore shares it, and it ends
  // with its last deletion. What Windows leaves undefined ends the test
  // process with a message: entering, leaving or deleting one that is not
  // initialised, leaving one the thread does not hold, deleting one that is
  // held.
  void InitializeCriticalSection(CRITICAL_SECTION* section) override;
  void EnterCriticalSection(CRITICAL_SECTION* section) override;
  void LeaveCriticalSection(CRITICAL_SECTION* section) override;
  void DeleteCriticalSection(CRITICAL_SECTION* section) override;
  // How many critical sections are initialised and not yet deleted.
  size_t LiveCriticalSections() const;

 private:
  class Section;

  BOOL OverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait);
  std::shared_ptr<Section> FindSection(const CRITICAL_SECTION* section, const char* call) const;

  SimKernel& kernel_;
  std::map<const CRITICAL_SECTION*, std::shared_ptr<Section>> sections_;
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
