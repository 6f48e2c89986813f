#include "setup/devices/device_keys.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "common/registry/device_registry.h"
#include "common/registry/registry.h"
#include "common/text/case_fold.h"
#include "common/text/decimal.h"
#include "platform/platform.h"
#include "setup/devices/device_text.h"

namespace {

using namespace device_registry;

constexpr const wchar_t* kClassKey = kPrinterClassKey.wide;
constexpr const wchar_t* kClassGuid = kPrinterClassGuid.wide;

enum class Port { kUsb, kLpt };

// REG_SZ or REG_DWORD data of any staged value fits.
constexpr pf::DWORD kStagedDataLimit = 1024;

// The decimal value of the name's leading digits; 0 when it has none. A
// number too long for an int stops one below its maximum, so that the next
// instance number still fits.
int LeadingNumber(const std::wstring& name) {
  constexpr int kLimit = std::numeric_limits<int>::max() - 1;
  int value = 0;
  for (wchar_t c : name) {
    if (c < L'0' || c > L'9') break;
    const int digit = c - L'0';
    if (value > (kLimit - digit) / 10) return kLimit;
    value = value * 10 + digit;
  }
  return value;
}

// Writes the class values on a fresh class key and adds the next driver
// instance subkey; returns the instance's name. When the class key cannot be
// opened nothing is written and the name is "0000".
std::wstring AddDriverInstance(const SetupContext& context, Port port, const std::wstring& hardwareId) {
  int highest = -1;
  CRegistry classKey(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
  const bool classOpen = classKey.Open(kClassKey, true);
  if (classOpen) {
    std::vector<std::wstring> names;
    classKey.ListSubkeys(&names);
    for (const std::wstring& name : names) highest = std::max(highest, LeadingNumber(name));
    if (highest == -1) {
      classKey.WriteString(L"", L"");
      classKey.WriteString(L"Class", L"Printer");
      classKey.WriteString(L"Icon", L"-4");
      classKey.WriteString(L"Installer32", L"ntprint.dll,ClassInstall32");
      classKey.WriteString(L"NoDisplayClass", L"1");
      classKey.WriteString(L"EnumPropPages32", L"printui.dll,PrinterPropPageProvider");
    }
  }
  const std::wstring instance = text::WideDecimal(highest + 1, 4);
  if (!classOpen) return instance;
  CRegistry instanceKey(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
  if (instanceKey.Open(std::wstring(kClassKey) + L"\\" + instance, true)) {
    instanceKey.WriteString(L"ProviderName", context.companyName);
    instanceKey.WriteString(L"MatchingDeviceId", (port == Port::kUsb ? L"usbprint\\" : L"LPTENUM\\") + hardwareId);
    instanceKey.WriteString(L"DriverDesc", context.driverModel);
  }
  return instance;
}

void ProvisionDeviceKeys(const SetupContext& context, Port port, const std::wstring& hardwareId) {
  std::wstring instance = AddDriverInstance(context, port, hardwareId);

  const std::wstring enumPath = port == Port::kUsb ? L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"
                                                   : L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
  CRegistry enumerator(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
  if (!enumerator.Open(enumPath, false)) return;
  std::vector<std::wstring> ids;
  enumerator.ListSubkeys(&ids);
  const std::wstring match =
      port == Port::kUsb ? text::Upper(context.deviceDescription) : text::Upper(context.seriesPrefix + context.productWord);
  std::wstring devicePath;
  for (const std::wstring& id : ids) {
    if (text::Upper(id).find(match) != std::wstring::npos) {
      devicePath = enumPath + L"\\" + text::Upper(id);
      break;
    }
  }
  if (devicePath.empty()) return;
  if (port == Port::kUsb) {
    CRegistry device(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
    if (!device.Open(devicePath, true)) return;
  }
  CRegistry classKey(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
  if (!classKey.Open(kClassKey, true)) return;
  const std::wstring driver = std::wstring(kClassGuid) + L"\\" + instance;
  classKey.WriteString(kStagedDeviceDesc.wide, context.deviceDescription);
  classKey.WriteDword(kStagedConfigFlags.wide, 0);
  classKey.WriteString(kStagedClassGuid.wide, kClassGuid);
  if (port == Port::kUsb) {
    classKey.WriteString(kStagedClass.wide, L"Printer");
    classKey.WriteString(kStagedDriver.wide, driver);
  } else {
    classKey.WriteString(kStagedDriver.wide, driver);
    classKey.WriteString(kStagedClass.wide, L"Printer");
  }
  classKey.WriteString(kStagedMfg.wide, context.companyName);
  classKey.WriteDword(kStagedUpdateMode.wide, port == Port::kUsb ? 0 : 2);
  if (port == Port::kLpt) classKey.WriteString(kStagedBrandSeries.wide, context.companyName + context.seriesPrefix);
  classKey.WriteString(kStagedToPath.wide, devicePath);
}

}  // namespace

void ProvisionUsbDeviceKeys(const SetupContext& context, const std::wstring& hardwareId) {
  ProvisionDeviceKeys(context, Port::kUsb, hardwareId);
}

void ProvisionLptDeviceKeys(const SetupContext& context, const std::wstring& hardwareId) {
  ProvisionDeviceKeys(context, Port::kLpt, hardwareId);
}

const wchar_t* const kStagedValueNames[9] = {kStagedDeviceDesc.wide, kStagedConfigFlags.wide, kStagedClassGuid.wide,
                                             kStagedClass.wide,      kStagedDriver.wide,      kStagedMfg.wide,
                                             kStagedUpdateMode.wide, kStagedBrandSeries.wide, kStagedToPath.wide};

bool StagedValuesLeft() {
  pf::UniqueKey classKey;
  const pf::LONG opened = pf::RegOpenKeyExW(pf::HKEY_LOCAL_MACHINE, kClassKey, 0, pf::KEY_READ, classKey.put());
  if (opened == pf::ERROR_FILE_NOT_FOUND) return false;
  if (opened != pf::ERROR_SUCCESS) return true;
  for (const wchar_t* name : kStagedValueNames) {
    pf::BYTE data[kStagedDataLimit];
    pf::DWORD size = sizeof(data);
    if (pf::RegQueryValueExW(classKey.get(), name, nullptr, data, &size) != pf::ERROR_FILE_NOT_FOUND) return true;
  }
  return false;
}
