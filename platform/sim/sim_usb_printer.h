// A USB printer of the maker on the simulated PC, reached through the device
// path of its USB printing interface (the path SetupAPI reports for it) and
// through its pipe "PIPE01" below that path.
//
// Plugging it in writes what Plug and Play records for it
// (platform/sim/usb_printer_seed.h) into the simulated registry and adds it
// to the kernel's devices; it can be plugged in at a time on the virtual
// clock, and unplugged, also just before an open (between the search that
// found it and the open).
//
// The device path opens as the device itself; path + "\PIPE01" opens the
// pipe; any other name below the path fails with ERROR_FILE_NOT_FOUND. A
// write on the pipe delivers the request, a read returns the reply given by
// the test (as much of it as the read asks for). Each transfer follows a
// script: it completes at once, later on the virtual clock (with all or
// fewer bytes), never, or fails. Transfers on the device handle itself fail
// with ERROR_INVALID_FUNCTION.
//
// Overlapped transfers behave as on Windows. On a handle opened with
// FILE_FLAG_OVERLAPPED, a transfer given an OVERLAPPED that does not complete
// at once returns FALSE with ERROR_IO_PENDING. When it completes, the printer
// copies the reply into the caller's buffer (a read) or takes the request from
// it (a write), writes the outcome into the caller's OVERLAPPED (Internal =
// the Win32 error it ended with, 0 for success, where Windows keeps the
// NTSTATUS; InternalHigh = bytes moved), and signals the handle and hEvent.
// While it is pending, Internal is STATUS_PENDING and GetOverlappedResult
// without waiting fails with ERROR_IO_INCOMPLETE. CancelIo, closing the
// handle and unplugging end pending transfers with ERROR_OPERATION_ABORTED
// (ERROR_DEVICE_NOT_CONNECTED when unplugged) and 0 bytes as soon as the
// clock moves or anything waits: wait for that before the buffer and the
// OVERLAPPED go away. A program that lets them go first is caught: the late
// write lands in freed memory (AddressSanitizer reports it), and
// PendingTransfers() is not 0 after its run. Transfers on handles opened
// without FILE_FLAG_OVERLAPPED, or given no OVERLAPPED, complete before the
// call returns (the clock runs until they do).
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_kernel.h"
#include "platform/sim/usb_printer_seed.h"

namespace pf::sim {

class SimPc;
class SimRegistry;

// How one transfer on the printer's pipe goes.
struct UsbTransfer {
  static constexpr DWORD kAll = 0xFFFFFFFFu;
  enum class Outcome { Completes, Fails, Never };

  Outcome outcome = Outcome::Completes;
  // Milliseconds on the virtual clock after the call; 0 completes within the call.
  DWORD delay = 0;
  // Bytes moved (never more than asked for). kAll: all of a write; for a read, the reply.
  DWORD bytes = kAll;
  // Fails: the Win32 error the transfer ends with.
  DWORD error = 0;

  static UsbTransfer AtOnce(DWORD bytes = kAll) { return {Outcome::Completes, 0, bytes, 0}; }
  static UsbTransfer After(DWORD milliseconds, DWORD bytes = kAll) {
    return {Outcome::Completes, milliseconds, bytes, 0};
  }
  static UsbTransfer Never() { return {Outcome::Never, 0, 0, 0}; }
  static UsbTransfer Fails(DWORD error, DWORD afterMilliseconds = 0) {
    return {Outcome::Fails, afterMilliseconds, 0, error};
  }
};

class SimUsbPrinter : public SimDevice, public std::enable_shared_from_this<SimUsbPrinter> {
 public:
  // The control code the pipe accepts; any other fails with ERROR_INVALID_FUNCTION.
  static constexpr DWORD kPipeControlCode = 0x00220008;
  // STATUS_PENDING: Internal of an OVERLAPPED whose transfer is pending.
  static constexpr ULONG_PTR kStatusPending = 0x103;

  // A printer of the PC, not plugged in yet.
  static std::shared_ptr<SimUsbPrinter> Create(SimPc& pc, UsbPrinterSeed seed = {});
  SimUsbPrinter(SimKernel& kernel, SimRegistry& registry, UsbPrinterSeed seed);
  ~SimUsbPrinter() override;

  const UsbPrinterSeed& seed() const { return seed_; }
  std::wstring DevicePath() const { return seed_.DevicePath(); }

  // --- Plug and Play ---
  // Writes the printer's registry keys, lists it in usbprint\Enum and makes
  // its device path openable.
  void PlugIn();
  // PlugIn when the virtual clock has moved on by milliseconds.
  void PlugInAfter(DWORD milliseconds);
  // The device goes: opens fail with ERROR_FILE_NOT_FOUND, transfers on
  // handles still open fail with ERROR_DEVICE_NOT_CONNECTED, the interface is
  // no longer linked and usbprint\Enum drops it. The device keys stay, as
  // Windows keeps them.
  void Unplug();
  // Unplugs the printer just before an open: the next one (0), or the one
  // after that many more successful opens.
  void UnplugBeforeOpen(unsigned opensFromNow = 0);
  bool pluggedIn() const;

  // --- Script ---
  // What reads return, up to the size each read asks for.
  void SetReply(std::vector<BYTE> bytes);
  // The next writes or reads follow these, in order; unscripted ones complete at once in full.
  void ScriptWrite(UsbTransfer transfer);
  void ScriptRead(UsbTransfer transfer);
  // A reply as the product parses it: three bytes, the model's characters, the code byte, a zero.
  static std::vector<BYTE> ModelReply(const std::string& model, BYTE code);

  // --- Record ---
  // The bytes each completed write took from its buffer, in order.
  std::vector<std::vector<BYTE>> Writes() const;
  // Transfers started on the pipe.
  size_t WritesStarted() const;
  size_t ReadsStarted() const;
  // Control codes sent to the pipe, in order.
  std::vector<DWORD> ControlCodes() const;
  // Transfers started and not yet completed: 0 after a program that waited for all it started.
  size_t PendingTransfers() const;
  // Successful opens of the device itself and of its pipe; handles still open.
  size_t DeviceOpens() const;
  size_t PipeOpens() const;
  size_t OpenHandles() const;

  std::shared_ptr<SimIoObject> Open(const std::wstring& rest, DWORD access, DWORD share, DWORD flags,
                                    DWORD* error) override;

 private:
  class Handle;
  struct Transfer;

  BOOL Start(const std::shared_ptr<Handle>& handle, bool read, void* buffer, DWORD size, DWORD* done,
             OVERLAPPED* overlapped);
  void Finish(const std::shared_ptr<Transfer>& transfer, DWORD error, DWORD count);
  void Abort(const Handle* handle, DWORD error);
  bool RunUntilDone(const std::shared_ptr<Transfer>& transfer);
  std::shared_ptr<Transfer> PendingOn(const Handle* handle, const OVERLAPPED* overlapped) const;
  bool Connected(const Handle& handle) const;
  void UpdateServiceList(bool listed);

  SimKernel& kernel_;
  SimRegistry& registry_;
  UsbPrinterSeed seed_;
  bool pluggedIn_ = false;
  unsigned plugCount_ = 0;  // which plugging-in a handle belongs to
  long opensUntilUnplug_ = -1;
  std::vector<BYTE> reply_;
  std::deque<UsbTransfer> writeScript_, readScript_;
  std::vector<std::shared_ptr<Transfer>> pending_;
  std::vector<std::vector<BYTE>> writes_;
  size_t writesStarted_ = 0, readsStarted_ = 0;
  std::vector<DWORD> controlCodes_;
  size_t deviceOpens_ = 0, pipeOpens_ = 0, openHandles_ = 0;
  unsigned long handleSerial_ = 0;
};

}  // namespace pf::sim
