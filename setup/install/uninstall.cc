#include "setup/install/uninstall.h"

#include "common/registry/device_registry.h"
#include "common/text/case_fold.h"
#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/devices/device_keys.h"
#include "setup/driver/payload.h"
#include "setup/install/printer_naming.h"
#include "setup/install/service_control.h"
#include "setup/log/setup_log.h"
#include "setup/resources/resource.h"

namespace {

constexpr int kRemoved = 0;
constexpr int kPrinterOrDriverLeft = 30;
constexpr int kHelperRemainsLeft = 4;

const std::wstring kEnvironments = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments";
constexpr wchar_t kServiceName[] = L"Printer Helper";

bool IsOneOf(const std::wstring& name, const std::vector<std::wstring>& names) {
  for (const std::wstring& other : names) {
    if (text::EqualsNoCase(name, other)) return true;
  }
  return false;
}

class Removal {
 public:
  Removal(const SetupContext& context, const PrintUiMode& printUi, Report& report)
      : context_(context), printUi_(printUi), report_(report) {}

  RemovalOutcome Run() {
    RemovePrinters();
    RemoveDriver();
    RemoveService();
    RemoveStagedValues();
    RemoveFiles();
    outcome_.exitCode = printerOrDriverLeft_ ? kPrinterOrDriverLeft : helperLeft_ ? kHelperRemainsLeft : kRemoved;
    return outcome_;
  }

 private:
  void Removed(unsigned label, const std::wstring& what) { outcome_.removed.push_back(LoadText(label) + what); }

  void RemovePrinters() {
    std::vector<std::wstring> printers;
    if (!ListPrintersOfDriver(context_.driverModel, &printers, report_)) {
      printerOrDriverLeft_ = true;
      return;
    }
    for (const std::wstring& printer : printers) {
      LogStep("printer", "deleting", printer);
      DeletePrinterViaPrintUi(printer, printUi_);
    }
    std::vector<std::wstring> left;
    if (!ListPrintersOfDriver(context_.driverModel, &left, report_)) {
      printerOrDriverLeft_ = true;
      return;
    }
    for (const std::wstring& printer : printers) {
      if (IsOneOf(printer, left)) {
        LogStep("printer", "still there:", printer);
      } else {
        Removed(IDS_REMOVED_PRINTER, printer);
      }
    }
    if (!left.empty()) printerOrDriverLeft_ = true;
  }

  void RemoveDriver() {
    const std::wstring& model = context_.driverModel;
    // The print UI is asked whatever the registry says: it knows the driver
    // better than a key that could not be read.
    const DriverPresence before = FindPrinterDriver(model);
    DeleteDriverViaPrintUi(model, printUi_);
    const DriverPresence after = FindPrinterDriver(model);
    if (after != kDriverAbsent) {
      LogStep("driver", after == kDriverInstalled ? "still installed:" : "cannot be looked for:", model);
      printerOrDriverLeft_ = true;
    } else if (before == kDriverAbsent) {
      LogStep("driver", "not installed:", model);
    } else {
      LogStep("driver", "deleted:", model);
      Removed(IDS_REMOVED_DRIVER, model);
    }
  }

  void RemoveService() {
    ServiceControl service;
    service.SetServiceName(kServiceName);
    // A helper still running writes its staged values when it stops and
    // lets go of its program file.
    if (service.Stop()) {
      LogStep("helper service", "stopped");
      pf::Sleep(1000);
    }
    if (service.Delete()) {
      LogStep("helper service", "registration deleted");
      Removed(IDS_REMOVED_SERVICE, kServiceName);
      return;
    }
    const pf::DWORD error = pf::GetLastError();
    if (error == pf::ERROR_SERVICE_DOES_NOT_EXIST) {
      LogStep("helper service", "no registration");
    } else if (error == pf::ERROR_SERVICE_MARKED_FOR_DELETE) {
      LogStep("helper service", "registration goes when its process ends");
    } else {
      LogStep("helper service", "registration not deleted", {}, error);
      helperLeft_ = true;
    }
  }

  void RemoveStagedValues() {
    using namespace device_registry;
    pf::UniqueKey classKey;
    const pf::LONG opened =
        pf::RegOpenKeyExW(pf::HKEY_LOCAL_MACHINE, kPrinterClassKey.wide, 0, kReadWriteAccess, classKey.put());
    if (opened == pf::ERROR_FILE_NOT_FOUND) {
      LogStep("staged values", "no printer class key");
      return;
    }
    if (opened != pf::ERROR_SUCCESS) {
      LogStep("staged values", "the printer class key cannot be opened", {}, static_cast<pf::DWORD>(opened));
      helperLeft_ = true;
      return;
    }
    bool any = false;
    for (const wchar_t* name : kStagedValueNames) {
      const pf::LONG result = pf::RegDeleteValueW(classKey.get(), name);
      if (result == pf::ERROR_SUCCESS) {
        any = true;
      } else if (result != pf::ERROR_FILE_NOT_FOUND) {
        LogStep("staged values", "not deleted:", name, static_cast<pf::DWORD>(result));
        helperLeft_ = true;
      }
    }
    LogStep("staged values", any ? "deleted" : "none");
    if (any) Removed(IDS_REMOVED_STAGED, std::wstring());
  }

  void RemoveFiles() {
    std::wstring folder;
    if (!GetServiceFolder(&folder)) {
      LogStep("service folder", "the common program files folder cannot be had", {}, pf::GetLastError());
      helperLeft_ = true;
      return;
    }
    for (const wchar_t* name : {L"Spoolmate.exe", L"Spoolmate.log"}) {
      const std::wstring path = folder + L"\\" + name;
      if (pf::DeleteFileW(path.c_str())) {
        LogStep("file", "deleted:", path);
        Removed(IDS_REMOVED_FILE, path);
        continue;
      }
      const pf::DWORD error = pf::GetLastError();
      if (error != pf::ERROR_FILE_NOT_FOUND && error != pf::ERROR_PATH_NOT_FOUND) {
        LogStep("file", "not deleted:", path, error);
        helperLeft_ = true;
      }
    }
    if (pf::RemoveDirectoryW(folder.c_str())) {
      LogStep("service folder", "removed:", folder);
      Removed(IDS_REMOVED_FOLDER, folder);
      return;
    }
    const pf::DWORD error = pf::GetLastError();
    if (error == pf::ERROR_DIR_NOT_EMPTY) {
      LogStep("service folder", "holds other files and stays:", folder);
    } else if (error != pf::ERROR_FILE_NOT_FOUND && error != pf::ERROR_PATH_NOT_FOUND) {
      LogStep("service folder", "not removed:", folder, error);
      helperLeft_ = true;
    }
  }

  const SetupContext& context_;
  const PrintUiMode& printUi_;
  Report& report_;
  RemovalOutcome outcome_;
  bool printerOrDriverLeft_ = false;
  bool helperLeft_ = false;
};

}  // namespace

DriverPresence FindPrinterDriver(const std::wstring& model) {
  pf::UniqueKey environments;
  pf::LONG result = pf::RegOpenKeyExW(pf::HKEY_LOCAL_MACHINE, kEnvironments.c_str(), 0, pf::KEY_READ, environments.put());
  if (result == pf::ERROR_FILE_NOT_FOUND) return kDriverAbsent;
  if (result != pf::ERROR_SUCCESS) return kDriverUnknown;
  DriverPresence presence = kDriverAbsent;
  for (pf::DWORD index = 0;; ++index) {
    wchar_t name[256] = {};
    pf::DWORD length = 256;
    result = pf::RegEnumKeyExW(environments.get(), index, name, &length);
    if (result == pf::ERROR_NO_MORE_ITEMS) return presence;
    if (result != pf::ERROR_SUCCESS) return kDriverUnknown;
    const std::wstring path = kEnvironments + L"\\" + name + L"\\Drivers\\Version-3\\" + model;
    pf::UniqueKey driver;
    result = pf::RegOpenKeyExW(pf::HKEY_LOCAL_MACHINE, path.c_str(), 0, pf::KEY_READ, driver.put());
    if (result == pf::ERROR_SUCCESS) return kDriverInstalled;
    if (result != pf::ERROR_FILE_NOT_FOUND) presence = kDriverUnknown;
  }
}

RemovalOutcome RunUninstall(const SetupContext& context, const PrintUiMode& printUi, Report& report) {
  return Removal(context, printUi, report).Run();
}
