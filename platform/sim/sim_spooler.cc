#include "platform/sim/sim_spooler.h"

#include <algorithm>
#include <cstring>

#include "platform/registry.h"
#include "platform/sim/buffer_packer.h"
#include "platform/sim/sim_registry.h"
#include "common/text/case_fold.h"

namespace pf::sim {
namespace {

constexpr DWORD kServerAccess = 0x2;  // SERVER_ACCESS_ENUMERATE

void CopyName(const std::wstring& text, wchar_t (&field)[32]) {
  std::fill(std::begin(field), std::end(field), L'\0');
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 31), field);
}

// The device mode with its driver's extra bytes, as one block.
std::vector<BYTE> DevModeBytes(const SimPrinter& printer) {
  std::vector<BYTE> bytes(sizeof(DEVMODEW) + printer.driverExtra.size());
  std::memcpy(bytes.data(), &printer.devMode, sizeof(DEVMODEW));
  if (!printer.driverExtra.empty()) {
    std::memcpy(bytes.data() + sizeof(DEVMODEW), printer.driverExtra.data(), printer.driverExtra.size());
  }
  return bytes;
}

// Lays out one printer's level-2 record: the fixed record (null while
// measuring) and its strings and device mode as variable parts. Empty
// optional texts are null pointers, as the spooler gives them.
void PackInfo2(BufferPacker& packer, PRINTER_INFO_2W* info, const SimPrinter& printer) {
  auto optional = [&packer](const std::wstring& text) { return text.empty() ? nullptr : packer.String(text); };
  wchar_t* name = packer.String(printer.name);
  wchar_t* port = packer.String(printer.port);
  wchar_t* driver = packer.String(printer.driver);
  wchar_t* comment = optional(printer.comment);
  wchar_t* location = optional(printer.location);
  wchar_t* processor = packer.String(L"WinPrint");
  wchar_t* datatype = packer.String(L"RAW");
  DEVMODEW* devMode = nullptr;
  if (printer.hasDevMode) {
    const std::vector<BYTE> bytes = DevModeBytes(printer);
    devMode = packer.Bytes<DEVMODEW>(bytes.data(), bytes.size());
  }
  if (info == nullptr) return;
  info->pPrinterName = name;
  info->pPortName = port;
  info->pDriverName = driver;
  info->pComment = comment;
  info->pLocation = location;
  info->pDevMode = devMode;
  info->pPrintProcessor = processor;
  info->pDatatype = datatype;
  info->Attributes = printer.attributes;
  info->Priority = 1;
  info->Status = printer.status;
}

}  // namespace

class SimSpooler::PrinterHandle : public KernelObject {
 public:
  PrinterHandle(std::uint64_t printerId, DWORD access) : printerId(printerId), access(access) {}
  ObjectKind kind() const override { return ObjectKind::Printer; }
  const std::uint64_t printerId;  // 0: the local print server
  const DWORD access;
};

SimSpooler::SimSpooler(SimKernel& kernel, SimRegistry& registry) : kernel_(kernel), registry_(registry) {}

// --- Printers ---

BOOL SimSpooler::EnumPrintersW(DWORD flags, const wchar_t* name, DWORD level, BYTE* buffer, DWORD size,
                               DWORD* needed, DWORD* returned) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("EnumPrintersW")) return kernel_.Fail(error);
  if (needed == nullptr || returned == nullptr) return kernel_.Fail(RPC_X_NULL_REF_POINTER);
  if (level != 2) return kernel_.Fail(ERROR_INVALID_LEVEL);
  // Local printers; a name only matters for PRINTER_ENUM_NAME, where the
  // local machine is the only one the sim PC can reach.
  if ((flags & PRINTER_ENUM_NAME) && name != nullptr && *name != L'\0') return kernel_.Fail(RPC_S_SERVER_UNAVAILABLE);
  const bool local = (flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME)) != 0;
  const std::size_t count = local ? printers_.size() : 0;

  BufferPacker measure(nullptr, 0);
  measure.ReserveFixed(count * sizeof(PRINTER_INFO_2W));
  for (std::size_t i = 0; i < count; ++i) PackInfo2(measure, measure.Fixed<PRINTER_INFO_2W>(), printers_[i].printer);
  *needed = measure.needed();
  *returned = 0;
  if (buffer == nullptr && size != 0) return kernel_.Fail(ERROR_INVALID_USER_BUFFER);
  if (size < *needed) return kernel_.Fail(ERROR_INSUFFICIENT_BUFFER);

  BufferPacker packer(buffer, size);
  packer.ReserveFixed(count * sizeof(PRINTER_INFO_2W));
  for (std::size_t i = 0; i < count; ++i) PackInfo2(packer, packer.Fixed<PRINTER_INFO_2W>(), printers_[i].printer);
  *returned = static_cast<DWORD>(count);
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSpooler::OpenPrinterW(const wchar_t* name, HANDLE* printer, const PRINTER_DEFAULTSW* defaults) {
  auto lock = kernel_.Lock();
  if (printer != nullptr) *printer = 0;
  if (DWORD error = kernel_.Enter("OpenPrinterW")) return kernel_.Fail(error);
  if (printer == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  DWORD access = defaults != nullptr ? defaults->DesiredAccess : 0;
  if (name == nullptr) {
    *printer = kernel_.Insert(std::make_shared<PrinterHandle>(0, access != 0 ? access : kServerAccess));
    return TRUE;
  }
  const Entry* entry = FindByName(name);
  if (entry == nullptr) return kernel_.Fail(ERROR_INVALID_PRINTER_NAME);
  *printer = kernel_.Insert(std::make_shared<PrinterHandle>(entry->id, access != 0 ? access : PRINTER_ACCESS_USE));
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSpooler::GetPrinterW(HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("GetPrinterW")) return kernel_.Fail(error);
  if (needed == nullptr) return kernel_.Fail(RPC_X_NULL_REF_POINTER);
  DWORD access = 0;
  Entry* entry = PrinterOf(printer, &access);
  if (entry == nullptr) return FALSE;
  if (level != 2) return kernel_.Fail(ERROR_INVALID_LEVEL);

  BufferPacker measure(nullptr, 0);
  measure.ReserveFixed(sizeof(PRINTER_INFO_2W));
  PackInfo2(measure, measure.Fixed<PRINTER_INFO_2W>(), entry->printer);
  *needed = measure.needed();
  if (buffer == nullptr && size != 0) return kernel_.Fail(ERROR_INVALID_USER_BUFFER);
  if (size < *needed) return kernel_.Fail(ERROR_INSUFFICIENT_BUFFER);
  BufferPacker packer(buffer, size);
  packer.ReserveFixed(sizeof(PRINTER_INFO_2W));
  PackInfo2(packer, packer.Fixed<PRINTER_INFO_2W>(), entry->printer);
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSpooler::SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetPrinterW")) return kernel_.Fail(error);
  DWORD access = 0;
  Entry* entry = PrinterOf(printer, &access);
  if (entry == nullptr) return FALSE;
  if (level != 0 && level != 2) return kernel_.Fail(ERROR_INVALID_LEVEL);
  if (command > PRINTER_CONTROL_SET_STATUS || (level == 0) != (command != 0)) {
    return kernel_.Fail(ERROR_INVALID_PARAMETER);
  }
  if ((access & PRINTER_ACCESS_ADMINISTER) == 0) return kernel_.Fail(ERROR_ACCESS_DENIED);
  if (info == nullptr && (level == 2 || command == PRINTER_CONTROL_SET_STATUS)) {
    return kernel_.Fail(ERROR_INVALID_PARAMETER);
  }

  SimPrinter& target = entry->printer;
  if (level == 2) {
    PRINTER_INFO_2W record;
    std::memcpy(&record, info, sizeof record);
    if (record.pDevMode != nullptr) {
      DEVMODEW devMode;
      std::memcpy(&devMode, record.pDevMode, sizeof devMode);
      if (devMode.dmSize != sizeof(DEVMODEW)) return kernel_.Fail(ERROR_INVALID_PARAMETER);
      const BYTE* extra = reinterpret_cast<const BYTE*>(record.pDevMode) + sizeof(DEVMODEW);
      target.devMode = devMode;
      target.driverExtra.assign(extra, extra + devMode.dmDriverExtra);
      target.hasDevMode = true;
    }
  }
  switch (command) {
    case PRINTER_CONTROL_PAUSE: target.status |= PRINTER_STATUS_PAUSED; break;
    case PRINTER_CONTROL_RESUME: target.status &= ~PRINTER_STATUS_PAUSED; break;
    case PRINTER_CONTROL_SET_STATUS: std::memcpy(&target.status, info, sizeof target.status); break;
    default: break;  // 0, and PURGE with no jobs
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSpooler::ClosePrinter(HANDLE printer) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("ClosePrinter")) return kernel_.Fail(error);
  return kernel_.Close(printer, {ObjectKind::Printer});
}

SimSpooler::Entry* SimSpooler::PrinterOf(HANDLE handle, DWORD* access) {
  auto object = kernel_.LookupAs<PrinterHandle>(handle, {ObjectKind::Printer});
  if (!object) return nullptr;
  *access = object->access;
  Entry* entry = object->printerId != 0 ? FindById(object->printerId) : nullptr;
  // The print server has no printer information, and a printer that was
  // removed leaves its handles stale.
  if (entry == nullptr) kernel_.SetLastError(ERROR_INVALID_HANDLE);
  return entry;
}

// --- Profile ---

std::wstring SimSpooler::ProfileKeyPath(const std::wstring& section) {
  static const wchar_t* const kMapped[] = {L"Windows", L"Devices", L"PrinterPorts"};
  for (const wchar_t* mapped : kMapped) {
    if (text::EqualsNoCase(section, mapped)) return std::wstring(L"Software\\Microsoft\\Windows NT\\CurrentVersion\\") + mapped;
  }
  return std::wstring();
}

BOOL SimSpooler::WriteProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("WriteProfileStringW")) return kernel_.Fail(error);
  if (section == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  const std::wstring path = ProfileKeyPath(section);
  if (path.empty()) return kernel_.Fail(ERROR_NOT_SUPPORTED);
  if (key == nullptr) {  // the whole section goes
    for (const std::wstring& name : registry_.ValueNames(HKEY_CURRENT_USER, path)) {
      registry_.DeleteValue(HKEY_CURRENT_USER, path, name);
    }
  } else if (value == nullptr) {
    registry_.DeleteValue(HKEY_CURRENT_USER, path, key);
  } else {
    registry_.SetString(HKEY_CURRENT_USER, path, key, value);
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD SimSpooler::GetProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                    wchar_t* buffer, DWORD size) {
  auto lock = kernel_.Lock();
  if (buffer != nullptr && size > 0) buffer[0] = L'\0';
  if (DWORD error = kernel_.Enter("GetProfileStringW")) {
    kernel_.SetLastError(error);
    return 0;
  }
  if (buffer == nullptr || size == 0 || section == nullptr) return 0;
  const std::wstring path = ProfileKeyPath(section);

  if (key == nullptr) {
    // The section's key names, each with its NUL, then one more NUL. What
    // does not fit is cut and still ends in two NULs (size - 2 returned).
    std::wstring names;
    if (!path.empty()) {
      for (const std::wstring& name : registry_.ValueNames(HKEY_CURRENT_USER, path)) names += name + L'\0';
    }
    if (size < 2) return 0;
    if (names.size() + 1 <= size) {
      std::copy(names.begin(), names.end(), buffer);
      buffer[names.size()] = L'\0';
      return static_cast<DWORD>(names.size());
    }
    std::copy_n(names.begin(), size - 2, buffer);
    buffer[size - 2] = L'\0';
    buffer[size - 1] = L'\0';
    return size - 2;
  }

  std::wstring text;
  if (path.empty() || !registry_.GetString(HKEY_CURRENT_USER, path, key, &text)) {
    // The default loses its trailing blanks.
    text = defaultValue != nullptr ? defaultValue : L"";
    text.erase(text.find_last_not_of(L' ') + 1);
  }
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.begin(), length, buffer);
  buffer[length] = L'\0';
  kernel_.SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(length);
}

// --- Broadcast ---

LRESULT SimSpooler::SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                        UINT timeout, DWORD_PTR* result) {
  auto lock = kernel_.Lock();
  if (result != nullptr) *result = 0;
  if (DWORD error = kernel_.Enter("SendMessageTimeoutW")) {
    kernel_.SetLastError(error);
    return 0;
  }
  if (window != HWND_BROADCAST) {
    kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  broadcasts_.push_back(BroadcastRecord{message, wParam, lParam, flags, timeout, kernel_.Now()});
  if (broadcastHangs_) {
    kernel_.AdvanceClock(timeout);
    kernel_.SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return 1;
}

// --- Test API ---

SimSpooler::Entry* SimSpooler::FindByName(const std::wstring& name) {
  for (Entry& entry : printers_) {
    if (text::EqualsNoCase(entry.printer.name, name)) return &entry;
  }
  return nullptr;
}

const SimSpooler::Entry* SimSpooler::FindByName(const std::wstring& name) const {
  return const_cast<SimSpooler*>(this)->FindByName(name);
}

SimSpooler::Entry* SimSpooler::FindById(std::uint64_t id) {
  for (Entry& entry : printers_) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

DEVMODEW SimSpooler::DefaultDevMode(const std::wstring& printerName) {
  DEVMODEW devMode{};
  CopyName(printerName, devMode.dmDeviceName);
  devMode.dmSpecVersion = 0x0401;
  devMode.dmSize = sizeof(DEVMODEW);
  devMode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | 0x100 /* DM_COPIES */;
  devMode.dmOrientation = DMORIENT_PORTRAIT;
  devMode.dmPaperSize = DMPAPER_A4;
  devMode.dmScale = 100;
  devMode.dmCopies = 1;
  devMode.dmPrintQuality = 600;
  CopyName(L"A4", devMode.dmFormName);
  return devMode;
}

bool SimSpooler::AddPrinter(SimPrinter printer) {
  auto lock = kernel_.Lock();
  if (printer.name.empty() || FindByName(printer.name) != nullptr) return false;
  if (printer.hasDevMode && printer.devMode.dmSize == 0) printer.devMode = DefaultDevMode(printer.name);
  printer.devMode.dmDriverExtra = static_cast<WORD>(printer.driverExtra.size());
  printers_.push_back(Entry{nextId_++, std::move(printer)});
  return true;
}

bool SimSpooler::AddPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& driver) {
  SimPrinter printer;
  printer.name = name;
  printer.port = port;
  printer.driver = driver;
  return AddPrinter(std::move(printer));
}

bool SimSpooler::RemovePrinter(const std::wstring& name) {
  auto lock = kernel_.Lock();
  auto found = std::find_if(printers_.begin(), printers_.end(),
                            [&name](const Entry& entry) { return text::EqualsNoCase(entry.printer.name, name); });
  if (found == printers_.end()) return false;
  printers_.erase(found);
  return true;
}

std::vector<std::wstring> SimSpooler::PrinterNames() const {
  auto lock = kernel_.Lock();
  std::vector<std::wstring> names;
  for (const Entry& entry : printers_) names.push_back(entry.printer.name);
  return names;
}

std::optional<SimPrinter> SimSpooler::Printer(const std::wstring& name) const {
  auto lock = kernel_.Lock();
  const Entry* entry = FindByName(name);
  if (entry == nullptr) return std::nullopt;
  return entry->printer;
}

bool SimSpooler::GetDevMode(const std::wstring& name, DEVMODEW* devMode) const {
  auto lock = kernel_.Lock();
  const Entry* entry = FindByName(name);
  if (entry == nullptr || !entry->printer.hasDevMode) return false;
  *devMode = entry->printer.devMode;
  return true;
}

}  // namespace pf::sim
