#include "setup/install/uninstall.h"

#include "common/registry/device_registry.h"
#include "common/text/case_fold.h"
#include "platform/platform.h"
#include "setup/app/texts.h"
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
      LogStep("printer", L"deleting " + printer);
      DeletePrinterViaPrintUi(printer, printUi_);
    }
    std::vector<std::wstring> left;
    if (!ListPrintersOfDriver(context_.driverModel, &left, report_)) {
      printerOrDriverLeft_ = true;
      return;
    }
    std::vector<std::wstring> gone;
    for (const std::wstring& printer : printers) {
      if (IsOneOf(printer, left)) {
        LogStep("printer", printer + L" is still there");
      } else {
        gone.push_back(printer);
        Removed(IDS_REMOVED_PRINTER, printer);
      }
    }
    if (!left.empty()) printerOrDriverLeft_ = true;
    ForgetDefaultPrinter(gone);
  }

  // The default-printer entry that names a printer just removed would leave
  // the user without a default the system could show; without it Windows
  // picks one.
  void ForgetDefaultPrinter(const std::vector<std::wstring>& gone) {
    wchar_t entry[1024] = {};
    pf::GetProfileStringW(L"windows", L"device", L"", entry, 1024);
    const std::wstring device = entry;
    if (!IsOneOf(device.substr(0, device.find(L',')), gone)) return;
    if (pf::WriteProfileStringW(L"windows", L"device", nullptr)) {
      LogStep("default printer", L"entry " + device + L" removed");
    } else {
      LogStep("default printer", L"entry " + device + L" not removed", pf::GetLastError());
    }
  }

  void RemoveDriver() {
    const std::wstring& model = context_.driverModel;
    DriverPresence presence = FindPrinterDriver(model);
    if (presence == kDriverAbsent) {
      LogStep("driver", model + L" is not installed");
      return;
    }
    // One that cannot be seen may be there: the print UI is asked all the same.
    DeleteDriverViaPrintUi(model, printUi_);
    presence = FindPrinterDriver(model);
    if (presence != kDriverAbsent) {
      LogStep("driver", model + (presence == kDriverInstalled ? L" is still installed" : L" cannot be looked for"));
      printerOrDriverLeft_ = true;
      return;
    }
    LogStep("driver", model + L" deleted");
    Removed(IDS_REMOVED_DRIVER, model);
  }

  void RemoveService() {
    ServiceControl service;
    service.SetServiceName(kServiceName);
    // A helper still running writes its staged values when it stops and
    // lets go of its program file.
    if (service.Stop()) {
      LogStep("helper service", L"stopped");
      pf::Sleep(1000);
    }
    if (service.Delete()) {
      LogStep("helper service", L"registration deleted");
      Removed(IDS_REMOVED_SERVICE, kServiceName);
      return;
    }
    const pf::DWORD error = pf::GetLastError();
    if (error == pf::ERROR_SERVICE_DOES_NOT_EXIST) {
      LogStep("helper service", L"no registration");
    } else if (error == pf::ERROR_SERVICE_MARKED_FOR_DELETE) {
      LogStep("helper service", L"registration goes when its process ends");
    } else {
      LogStep("helper service", L"registration not deleted", error);
      helperLeft_ = true;
    }
  }

  void RemoveStagedValues() {
    using namespace device_registry;
    pf::UniqueKey classKey;
    const pf::LONG opened =
        pf::RegOpenKeyExW(pf::HKEY_LOCAL_MACHINE, kPrinterClassKey.wide, 0, kReadWriteAccess, classKey.put());
    if (opened == pf::ERROR_FILE_NOT_FOUND) {
      LogStep("staged values", L"no printer class key to look in");
      return;
    }
    if (opened != pf::ERROR_SUCCESS) {
      LogStep("staged values", L"the printer class key cannot be opened", static_cast<pf::DWORD>(opened));
      helperLeft_ = true;
      return;
    }
    bool any = false;
    for (const wchar_t* name : {kStagedDeviceDesc.wide, kStagedConfigFlags.wide, kStagedClassGuid.wide, kStagedClass.wide,
                                kStagedDriver.wide, kStagedMfg.wide, kStagedUpdateMode.wide, kStagedBrandSeries.wide,
                                kStagedToPath.wide}) {
      const pf::LONG result = pf::RegDeleteValueW(classKey.get(), name);
      if (result == pf::ERROR_SUCCESS) {
        any = true;
      } else if (result != pf::ERROR_FILE_NOT_FOUND) {
        LogStep("staged values", std::wstring(name) + L" not deleted", static_cast<pf::DWORD>(result));
        helperLeft_ = true;
      }
    }
    LogStep("staged values", any ? L"deleted" : L"none");
    if (any) Removed(IDS_REMOVED_STAGED, std::wstring());
  }

  void RemoveFiles() {
    std::wstring folder;
    if (!GetServiceFolder(&folder)) {
      LogStep("service folder", L"the common program files folder cannot be had", pf::GetLastError());
      helperLeft_ = true;
      return;
    }
    for (const wchar_t* name : {L"Spoolmate.exe", L"Spoolmate.log"}) {
      const std::wstring path = folder + L"\\" + name;
      if (pf::DeleteFileW(path.c_str())) {
        LogStep("file", path + L" deleted");
        Removed(IDS_REMOVED_FILE, path);
        continue;
      }
      const pf::DWORD error = pf::GetLastError();
      if (error != pf::ERROR_FILE_NOT_FOUND && error != pf::ERROR_PATH_NOT_FOUND) {
        LogStep("file", path + L" not deleted", error);
        helperLeft_ = true;
      }
    }
    if (pf::RemoveDirectoryW(folder.c_str())) {
      LogStep("service folder", folder + L" removed");
      Removed(IDS_REMOVED_FILE, folder);
      return;
    }
    const pf::DWORD error = pf::GetLastError();
    if (error == pf::ERROR_DIR_NOT_EMPTY) {
      LogStep("service folder", folder + L" holds other files and stays");
    } else if (error != pf::ERROR_FILE_NOT_FOUND && error != pf::ERROR_PATH_NOT_FOUND) {
      LogStep("service folder", folder + L" not removed", error);
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
