// The simulated print spooler, the user's WIN.INI entries and the
// settings-change broadcast.
//
// - Printers: local printers with a name, port, driver, comment, location and
//   a default device mode (a DEVMODEW and its driver's extra bytes), listed in
//   the order they were added. Names compare without case. The sim PC has no
//   printer connections, so PRINTER_ENUM_CONNECTIONS adds nothing to a list.
// - Printer handles are kernel objects of ObjectKind::Printer (invalid value
//   0) with the access they were opened with: PRINTER_ACCESS_USE when the
//   caller gives no defaults, as Windows grants it. Reading a printer takes
//   that; changing it (SetPrinterW) takes PRINTER_ACCESS_ADMINISTER and fails
//   with ERROR_ACCESS_DENIED without it, as on Windows. A null name opens the
//   local print server, which has no level-2 information.
// - The profile: Windows maps WIN.INI's "windows", "devices" and
//   "PrinterPorts" sections to keys under HKCU\Software\Microsoft\Windows
//   NT\CurrentVersion; so does the sim, into its registry. Other sections
//   would live in the WIN.INI file, which the sim does not keep: writing one
//   fails with ERROR_NOT_SUPPORTED and reading one gives the default.
// - SendMessageTimeoutW: the sim has no windows, so only HWND_BROADCAST is
//   accepted; each broadcast is recorded and answered at once, or, when a
//   test says a window hangs, after the time-out with ERROR_TIMEOUT.
//
// Every call starts with kernel.Enter(its name), so a test can make it fail
// with any Win32 error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_kernel.h"
#include "platform/spooler.h"

namespace pf::sim {

class SimRegistry;

// A printer of the simulated spooler.
struct SimPrinter {
  std::wstring name;
  std::wstring port;
  std::wstring driver;
  std::wstring comment;  // a long one makes the level-2 data exceed 4096 bytes
  std::wstring location;
  DWORD attributes = PRINTER_ATTRIBUTE_LOCAL;
  DWORD status = 0;
  // The default device mode; AddPrinter gives a printer whose devMode.dmSize
  // is 0 the standard one (SimSpooler::DefaultDevMode).
  bool hasDevMode = true;
  DEVMODEW devMode{};
  std::vector<BYTE> driverExtra;  // dmDriverExtra bytes that follow devMode
};

struct BroadcastRecord {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT flags;
  UINT timeout;
  std::uint64_t time;  // virtual time when it was sent
};

class SimSpooler : public SpoolerApi {
 public:
  SimSpooler(SimKernel& kernel, SimRegistry& registry);

  BOOL EnumPrintersW(DWORD flags, const wchar_t* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override;
  BOOL OpenPrinterW(const wchar_t* name, HANDLE* printer, const PRINTER_DEFAULTSW* defaults) override;
  BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) override;
  // As Microsoft documents it, a command goes with level 0 only and level 2
  // with command 0; anything else fails with ERROR_INVALID_PARAMETER and
  // changes nothing. Level 2 applies the record's default device mode
  // (pDevMode; null leaves it as it is); the other fields of the record,
  // its Status too, are not changed. Level 0 runs the command:
  // PRINTER_CONTROL_SET_STATUS (4) sets the status to the DWORD at info,
  // PAUSE and RESUME set and clear PRINTER_STATUS_PAUSED, PURGE has no jobs
  // to cancel.
  BOOL SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) override;
  BOOL ClosePrinter(HANDLE printer) override;

  BOOL WriteProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value) override;
  DWORD GetProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue, wchar_t* buffer,
                          DWORD size) override;

  LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                              DWORD_PTR* result) override;

  // --- Test API ---
  // Adds a printer at the end of the list; false when one of that name exists.
  bool AddPrinter(SimPrinter printer);
  bool AddPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& driver);
  bool RemovePrinter(const std::wstring& name);
  std::vector<std::wstring> PrinterNames() const;
  std::optional<SimPrinter> Printer(const std::wstring& name) const;
  // The printer's default device mode; false when it has none or is unknown.
  bool GetDevMode(const std::wstring& name, DEVMODEW* devMode) const;
  // Portrait A4, one copy, the printer's name as device name.
  static DEVMODEW DefaultDevMode(const std::wstring& printerName);

  const std::vector<BroadcastRecord>& broadcasts() const { return broadcasts_; }
  // A top-level window that does not answer: broadcasts take their whole
  // time-out and fail with ERROR_TIMEOUT.
  void SetBroadcastHangs(bool hangs) { broadcastHangs_ = hangs; }

  // Where the profile section lives in HKEY_CURRENT_USER; empty when the
  // section is not mapped to the registry.
  static std::wstring ProfileKeyPath(const std::wstring& section);

 private:
  struct Entry {
    std::uint64_t id;
    SimPrinter printer;
  };
  class PrinterHandle;

  Entry* FindByName(const std::wstring& name);
  const Entry* FindByName(const std::wstring& name) const;
  Entry* FindById(std::uint64_t id);
  // The printer of an open printer handle; null with the last error set.
  Entry* PrinterOf(HANDLE handle, DWORD* access);

  SimKernel& kernel_;
  SimRegistry& registry_;
  std::vector<Entry> printers_;
  std::uint64_t nextId_ = 1;
  std::vector<BroadcastRecord> broadcasts_;
  bool broadcastHangs_ = false;
};

}  // namespace pf::sim
