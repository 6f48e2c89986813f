#include "platform/sim/usb_printer_seed.h"

#include <cwctype>

#include "common/text/utf.h"
#include "platform/registry.h"
#include "platform/sim/reg_file.h"

namespace pf::sim {
namespace {

constexpr wchar_t kControlSet[] = L"SYSTEM\\CurrentControlSet\\";

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// The instance id with every backslash turned into "#", as interface names spell it.
std::wstring Hashed(const std::wstring& instanceId) {
  std::wstring text = instanceId;
  for (wchar_t& c : text) {
    if (c == L'\\') c = L'#';
  }
  return text;
}

// One value of a section, in the .reg syntax.
class Section {
 public:
  explicit Section(const std::wstring& path) : text_(FormatRegKey(L"HKEY_LOCAL_MACHINE\\" + path)) {}
  Section& String(const std::wstring& name, const std::wstring& value) {
    return Value(name, REG_SZ, text::Utf16LeBytes(value + L'\0'));
  }
  Section& Dword(const std::wstring& name, DWORD value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return Value(name, REG_DWORD, bytes);
  }
  Section& MultiString(const std::wstring& name, const std::vector<std::wstring>& strings) {
    std::wstring units;
    for (const auto& s : strings) units += s + L'\0';
    return Value(name, REG_MULTI_SZ, text::Utf16LeBytes(units + L'\0'));
  }
  std::string End() const { return text_ + "\r\n"; }

 private:
  Section& Value(const std::wstring& name, DWORD type, const std::string& bytes) {
    text_ += FormatRegValue(name, type, bytes);
    return *this;
  }
  std::string text_;
};

}  // namespace

std::wstring UsbPrinterSeed::InstanceId() const {
  return L"USB\\VID_" + Upper(vendorId) + L"&PID_" + Upper(productId) + L"\\" + serial;
}

std::wstring UsbPrinterSeed::InterfaceKeyName() const {
  return L"##?#" + Hashed(InstanceId()) + L"#" + kUsbPrintInterfaceClass;
}

std::wstring UsbPrinterSeed::InterfaceKeyPath() const {
  return std::wstring(kControlSet) + L"Control\\DeviceClasses\\" + kUsbPrintInterfaceClass + L"\\" +
         InterfaceKeyName();
}

std::wstring UsbPrinterSeed::DeviceKeyPath() const { return std::wstring(kControlSet) + L"Enum\\" + InstanceId(); }

std::wstring UsbPrinterSeed::PrinterKeyPath() const {
  return std::wstring(kControlSet) + L"Enum\\USBPRINT\\" + printerId + L"\\" + printerInstance;
}

std::wstring UsbPrinterSeed::DevicePath() const {
  return L"\\\\?\\" + Lower(Hashed(InstanceId()) + L"#" + kUsbPrintInterfaceClass);
}

std::wstring LptPrinterSeed::KeyPath() const {
  return std::wstring(kControlSet) + L"Enum\\LPTENUM\\" + deviceId + L"\\" + instance;
}

std::string UsbInterfaceKeys(const UsbPrinterSeed& printer, bool linked) {
  Section device(printer.DeviceKeyPath());
  if (!printer.classGuid.empty()) device.String(L"ClassGUID", printer.classGuid);
  device.String(L"Service", L"usbprint");
  const std::wstring iface = printer.InterfaceKeyPath();
  std::string text = device.End();
  text += Section(printer.DeviceKeyPath() + L"\\Device Parameters")
              .String(L"SymbolicName", L"\\??\\" + Hashed(printer.InstanceId()) + L"#" + kUsbDeviceInterfaceClass)
              .End();
  text += Section(iface).String(L"DeviceInstance", printer.InstanceId()).End();
  text += Section(iface + L"\\#")
              .String(L"SymbolicLink", L"\\\\?\\" + Hashed(printer.InstanceId()) + L"#" + kUsbPrintInterfaceClass)
              .End();
  if (linked) text += Section(iface + L"\\#\\Control").Dword(L"Linked", 1).End();
  return text;
}

std::string UsbPrinterKeys(const UsbPrinterSeed& printer) {
  std::string text = UsbInterfaceKeys(printer);
  text += Section(printer.InterfaceKeyPath() + L"\\#\\Device Parameters")
              .Dword(L"Port Number", printer.portNumber)
              .String(L"Port Description", printer.portDescription)
              .End();
  text += Section(printer.PrinterKeyPath())
              .MultiString(L"HardwareID", {L"USBPRINT\\" + printer.printerId})
              .End();
  return text;
}

std::string UsbPrintServiceKeys(const std::vector<std::wstring>& instanceIds) {
  Section list(kUsbPrintServiceEnumPath);
  list.Dword(L"Count", static_cast<DWORD>(instanceIds.size()));
  for (size_t i = 0; i < instanceIds.size(); ++i) list.String(std::to_wstring(i), instanceIds[i]);
  return list.End();
}

std::string LptPrinterKeys(const LptPrinterSeed& printer) {
  Section key(printer.KeyPath());
  key.MultiString(L"HardwareID", {L"LPTENUM\\" + printer.deviceId});
  if (!printer.mfg.empty()) key.String(L"Mfg", printer.mfg);
  return key.End();
}

std::string RegText(const std::vector<std::string>& sections) {
  std::string text = FormatRegHeader();
  for (const auto& section : sections) text += section;
  return text;
}

std::string UsbPrintersRegText(const std::vector<UsbPrinterSeed>& printers) {
  std::vector<std::string> sections;
  std::vector<std::wstring> instanceIds;
  for (const auto& printer : printers) {
    sections.push_back(UsbPrinterKeys(printer));
    instanceIds.push_back(printer.InstanceId());
  }
  sections.push_back(UsbPrintServiceKeys(instanceIds));
  return RegText(sections);
}

}  // namespace pf::sim
