#include "setup/install/printer_naming.h"

#include <cwctype>

#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/log/setup_log.h"
#include "setup/resources/resource.h"

namespace {

constexpr pf::DWORD kLocalAndConnections = pf::PRINTER_ENUM_LOCAL | pf::PRINTER_ENUM_CONNECTIONS;

void ShowListingError(Report& report) {
  const pf::DWORD error = pf::GetLastError();
  LogStep("printer list", "cannot be had", {}, error);
  report.ShowMessage(FormatNumber(LoadText(IDS_ERROR_ENUM_PRINTERS), error), std::wstring(),
                     pf::MB_OK | pf::MB_ICONERROR);
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

// A block of local memory, freed when it goes.
class LocalBlock {
 public:
  explicit LocalBlock(std::size_t bytes) : block_(pf::LocalAlloc(pf::LPTR, bytes)) {}
  ~LocalBlock() {
    if (block_ != nullptr) pf::LocalFree(block_);
  }
  LocalBlock(const LocalBlock&) = delete;
  LocalBlock& operator=(const LocalBlock&) = delete;
  pf::BYTE* get() const { return static_cast<pf::BYTE*>(block_); }

 private:
  void* block_;
};

// Calls take(name, driver) for every printer the spooler lists; false when
// the list could not be had.
template <typename Take>
bool EnumeratePrinters(Report& report, Take take) {
  pf::DWORD needed = 0;
  pf::DWORD count = 0;
  pf::EnumPrintersW(kLocalAndConnections, nullptr, 2, nullptr, 0, &needed, &count);
  LocalBlock buffer(static_cast<std::size_t>(needed) + 4);
  if (buffer.get() == nullptr) ShowListingError(report);
  if (!pf::EnumPrintersW(kLocalAndConnections, nullptr, 2, buffer.get(), needed, &needed, &count)) {
    ShowListingError(report);
    return false;
  }
  const auto* printers = reinterpret_cast<const pf::PRINTER_INFO_2W*>(buffer.get());
  for (pf::DWORD i = 0; i < count; ++i) {
    take(printers[i].pPrinterName ? printers[i].pPrinterName : L"",
         printers[i].pDriverName ? printers[i].pDriverName : L"");
  }
  return true;
}

}  // namespace

bool ListPrinters(std::vector<std::wstring>* list, Report& report) {
  return EnumeratePrinters(report, [list](const wchar_t* name, const wchar_t*) { list->push_back(name); });
}

bool ListPrintersOfDriver(const std::wstring& driver, std::vector<std::wstring>* list, Report& report) {
  return EnumeratePrinters(report, [&driver, list](const wchar_t* name, const wchar_t* printerDriver) {
    if (EqualsIgnoringCase(printerDriver, driver)) list->push_back(name);
  });
}

std::wstring MakeUniquePrinterName(const std::wstring& base, const std::vector<std::wstring>& existing) {
  std::wstring candidate = base;
  for (long long counter = 1;; ++counter) {
    bool taken = false;
    for (const std::wstring& name : existing) {
      if (EqualsIgnoringCase(name, candidate)) {
        taken = true;
        break;
      }
    }
    if (!taken) return candidate;
    candidate = base + FormatNumber(LoadText(IDS_COPY_SUFFIX), counter);
  }
}

bool IdentifyNewPrinter(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after,
                        const std::wstring& base, std::wstring* found) {
  for (auto candidate = after.rbegin(); candidate != after.rend(); ++candidate) {
    bool old = false;
    for (auto existing = before.rbegin(); existing != before.rend(); ++existing) {
      if (*existing == *candidate) {
        old = true;
        break;
      }
    }
    if (!old && candidate->find(base) != std::wstring::npos) {
      *found = *candidate;
      return true;
    }
  }
  return false;
}

void SetDefaultPrinter(const SetupContext& context, const std::wstring& name, const std::wstring& port) {
  std::wstring value;
  if (context.portKind == L"LPT") {
    value = name + L",winspool,LPT1:";
  } else if (context.portKind == L"USB") {
    value = name + L",winspool," + port;
  } else {
    return;  // no connection kind, no entry: never clear the user's default printer
  }
  if (pf::WriteProfileStringW(L"windows", L"device", value.c_str())) {
    LogStep("default printer", "written", value);
  } else {
    LogStep("default printer", "not written", value, pf::GetLastError());
  }
}

void BroadcastSettingChange() {
  pf::SendMessageTimeoutW(pf::HWND_BROADCAST, pf::WM_SETTINGCHANGE, 0, 0, pf::SMTO_NORMAL, 1000, nullptr);
}
