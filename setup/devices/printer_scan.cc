#include "setup/devices/printer_scan.h"

#include <cstdint>

#include "common/registry/registry.h"
#include "common/text/decimal.h"
#include "platform/platform.h"
#include "common/text/case_fold.h"
#include "setup/devices/device_text.h"
#include "setup/devices/usb_model_query.h"

namespace {

const std::wstring kUsbprintEnum = L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kUsbprintDevices = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
const std::wstring kLptDevices = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const std::wstring kUsbPrintInterfaceClass = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const std::wstring kUsbPrintInterfaces =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" + kUsbPrintInterfaceClass + L"\\";

// The interface key's name part that a device's "SymbolicName" gives: the
// name before its first "{" from its first "USB" on, the whole name when it
// has no "{", or the instance path with "\" as "#" and a "#" after it when
// there is no name.
std::wstring InterfaceNameOf(std::wstring symbolicName, const std::wstring& instancePath) {
  const std::size_t brace = symbolicName.find(L'{');
  if (brace != std::wstring::npos) {
    symbolicName.erase(brace);
    const std::size_t usb = symbolicName.find(L"USB");
    if (usb != std::wstring::npos) symbolicName.erase(0, usb);
  }
  if (!symbolicName.empty()) return symbolicName;
  std::wstring fromPath = instancePath;
  for (wchar_t& c : fromPath) {
    if (c == L'\\') c = L'#';
  }
  return fromPath + L"#";
}

std::wstring UsbPortName(pf::DWORD portNumber) {
  // "USB%03d" of the number taken as signed.
  return L"USB" + text::WideDecimal(static_cast<std::int32_t>(portNumber), 3);
}

// The maker's printer: its model from the printer itself, unless a query
// has failed before.
int IdentifyMakersPrinter(SetupContext& context, Report& report) {
  const bool failedBefore = context.queryFailures != 0;
  std::wstring model;
  bool answered = true;
  if (!failedBefore) {
    std::uint32_t code = 0;
    answered = QueryUsbModel(&model, &code, report);
  }
  context.deviceDescription = context.companyName + L"Printer";
  context.modelName = Trim(model);
  if (!answered || failedBefore) {
    context.modelName = kUnknownModel;
    ++context.queryFailures;
    return kUsbModelQueryFailed;
  }
  return kUsbPrinterFound;
}

// Another maker's printer: the model is what follows the first space of the
// description.
int IdentifyOtherPrinter(SetupContext& context, const std::wstring& description) {
  const std::wstring trimmed = Trim(description);
  const std::size_t space = trimmed.find(L' ');
  if (space == std::wstring::npos) return kUsbModelUnknown;
  context.modelName = Trim(trimmed.substr(space + 1));
  return kUsbPrinterFound;
}

// The model a parallel-port hardware id gives: without its last four
// characters and every "_", from the last series prefix on.
std::wstring LptModelOf(std::wstring id, const std::wstring& seriesPrefix) {
  id.erase(id.size() < 4 ? 0 : id.size() - 4);
  id = WithoutChar(id, L'_');
  const std::size_t prefix = id.rfind(seriesPrefix);
  if (prefix != std::wstring::npos) id.erase(0, prefix);
  return id;
}

}  // namespace

bool IsUsbPrinterPresent() {
  CRegistry enumKey(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
  if (!enumKey.Open(kUsbprintEnum, false)) return false;
  pf::DWORD count = 0;
  enumKey.ReadDword(L"Count", &count);
  return count != 0;
}

int ListUsbPrinterPorts(std::vector<std::wstring>* descriptions, std::vector<std::wstring>* portNames) {
  CRegistry enumKey(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
  if (!enumKey.Open(kUsbprintEnum, false)) return kUsbprintEnumMissing;
  pf::DWORD count = 0;
  enumKey.ReadDword(L"Count", &count);
  if (count == 0) return kNoPortsRecorded;

  std::size_t listed = 0;
  for (pf::DWORD i = 0; i < count; ++i) {
    std::wstring instancePath;
    enumKey.ReadString(text::WideDecimal(i), &instancePath);
    CRegistry parameters(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
    if (!parameters.Open(kEnum + instancePath + L"\\Device Parameters", false)) break;
    std::wstring symbolicName;
    parameters.ReadString(L"SymbolicName", &symbolicName);

    const std::wstring interfaceKey = L"##?#" + InterfaceNameOf(symbolicName, instancePath) + kUsbPrintInterfaceClass;
    CRegistry port(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
    if (!port.Open(kUsbPrintInterfaces + interfaceKey + L"\\#\\Device Parameters", false)) break;
    pf::DWORD portNumber = 1;
    port.ReadDword(L"Port Number", &portNumber);
    std::wstring description;
    port.ReadString(L"Port Description", &description);
    descriptions->push_back(description);
    portNames->push_back(UsbPortName(portNumber));
    ++listed;
  }
  if (listed == count) return kPortsListed;
  return listed == 0 ? kNoPortListed : kPortListCut;
}

std::wstring FindUsbHardwareId(std::wstring description) {
  CRegistry devices(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
  if (!devices.Open(kUsbprintDevices, false)) return std::wstring();
  std::vector<std::wstring> ids;
  devices.ListSubkeys(&ids);
  const std::wstring search = text::Upper(WithoutChar(description, L' '));

  std::wstring hardwareId;
  for (const std::wstring& id : ids) {
    const std::wstring upper = text::Upper(id);
    if (WithoutChar(upper, L'_').find(search) == std::wstring::npos) continue;
    const std::wstring devicePath = kUsbprintDevices + L"\\" + upper;
    CRegistry device(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
    if (!device.Open(devicePath, true)) continue;
    std::vector<std::wstring> instances;
    device.ListSubkeys(&instances);
    for (const std::wstring& instance : instances) {
      CRegistry instanceKey(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
      if (instanceKey.Open(devicePath + L"\\" + instance, true)) instanceKey.ReadString(L"HardwareID", &hardwareId);
    }
  }
  return hardwareId;
}

int DetectUsbPrinter(SetupContext& context, Report& report) {
  std::vector<std::wstring> descriptions, portNames;
  ListUsbPrinterPorts(&descriptions, &portNames);
  int result = kNoUsbPrinter;
  if (!descriptions.empty()) {
    const std::wstring& description = descriptions.front();
    const std::wstring hardwareId = text::Upper(FindUsbHardwareId(description));
    context.deviceDescription = description;
    result = hardwareId.find(context.brandKey) != std::wstring::npos ? IdentifyMakersPrinter(context, report)
                                                                     : IdentifyOtherPrinter(context, description);
    context.usbPortName = portNames.front();
  }
  if (!context.modelOverride.empty()) context.modelName = context.modelOverride;
  return result;
}

int DetectLptPrinter(const SetupContext& context, std::wstring* model) {
  CRegistry devices(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
  if (!devices.Open(kLptDevices, false)) return 0;
  std::vector<std::wstring> ids;
  devices.ListSubkeys(&ids);
  const std::wstring match = text::Upper(context.companyName + context.seriesPrefix);

  int count = 0;
  for (const std::wstring& id : ids) {
    const std::wstring upper = text::Upper(id);
    if (upper.find(match) == std::wstring::npos) continue;
    const std::wstring devicePath = kLptDevices + L"\\" + upper;
    CRegistry device(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
    if (!device.Open(devicePath, false)) continue;
    std::vector<std::wstring> instances;
    device.ListSubkeys(&instances);
    for (const std::wstring& instance : instances) {
      CRegistry instanceKey(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
      if (!instanceKey.Open(devicePath + L"\\" + instance, false)) continue;
      std::wstring manufacturer;
      if (instanceKey.ReadString(L"Mfg", &manufacturer)) continue;  // it has a driver already
      ++count;
      instanceKey.ReadString(L"HardwareID", model);
      *model = LptModelOf(*model, context.seriesPrefix);
    }
  }
  return count;
}
