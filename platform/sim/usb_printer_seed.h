// Registry seeds of connected printers: what Windows' Plug and Play records
// for a USB printer and for a parallel-port printer, as .reg text
// ("Windows Registry Editor Version 5.00", UTF-8 here; Utf8ToRegFile in
// reg_file.h gives the UTF-16LE file that regedit writes and `wine reg import`
// reads). One text describes a PC for the simulated registry
// (SimRegistry::ImportRegText) and for a Wine prefix alike.
//
// A USB printer, all under HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet:
//
//   Enum\USB\VID_F1C1&PID_0001\SER123              the USB device
//     "ClassGUID"                                  (SetupAPI lists no device without it)
//     Device Parameters\"SymbolicName"             \??\USB#VID_F1C1&PID_0001#SER123#{a5dcbf10-...}
//   Control\DeviceClasses\{28d78fad-...}\##?#USB#VID_F1C1&PID_0001#SER123#{28d78fad-...}
//     "DeviceInstance"                             USB\VID_F1C1&PID_0001\SER123
//     #\"SymbolicLink"                             \\?\USB#VID_F1C1&PID_0001#SER123#{28d78fad-...}
//     #\Control\"Linked"                           dword 1 while the printer is connected
//     #\Device Parameters\"Port Number", "Port Description"
//   Enum\USBPRINT\TAVIRPrinter_TQ-5800TQMM\7&2A4B6C8D&0&USB001   the printer the USB printing class driver made
//     "HardwareID"                                 REG_MULTI_SZ USBPRINT\TAVIRPrinter_TQ-5800TQMM
//   Services\usbprint\Enum                         the devices the USB printing class driver drives
//     "Count", "0" = USB\VID_F1C1&PID_0001\SER123, "1" = ...
//
// The usbprint list names the USB devices themselves, as Windows keeps it:
// the USB printing class driver is the function driver of the USB device and
// makes the USBPRINT printer below it.
//
// A parallel-port printer: Enum\LPTENUM\<device id>\<instance> with
// "HardwareID" (and "Mfg" once a driver is installed).
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace pf::sim {

// The USB printing device interface class, as Windows writes it in key names.
inline constexpr wchar_t kUsbPrintInterfaceClass[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
// The USB device interface class, which the USB device's "SymbolicName" names.
inline constexpr wchar_t kUsbDeviceInterfaceClass[] = L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
// The USB controllers and devices setup class.
inline constexpr wchar_t kUsbSetupClass[] = L"{36FC9E60-C465-11CF-8056-444553540000}";

struct UsbPrinterSeed {
  // The USB device USB\VID_<vendorId>&PID_<productId>\<serial>.
  std::wstring vendorId = L"F1C1";
  std::wstring productId = L"0001";
  std::wstring serial = L"SER123";
  // The device's "ClassGUID"; empty leaves the value out (SetupAPI then does not list the device).
  std::wstring classGuid = kUsbSetupClass;
  // The USBPRINT printer: Enum\USBPRINT\<printerId>\<printerInstance>, "HardwareID" = USBPRINT\<printerId>.
  // The maker's printers are named for the maker and "Printer" (setup stages
  // their device values for the id holding "TAVIRPRINTER"), then the model,
  // then the brand key "TQMM" that tells setup they are the maker's.
  std::wstring printerId = L"TAVIRPrinter_TQ-5800TQMM";
  std::wstring printerInstance = L"7&2A4B6C8D&0&USB001";
  // The port the USB printing class driver gave it.
  DWORD portNumber = 1;
  std::wstring portDescription = L"TQ-5800";

  std::wstring InstanceId() const;        // USB\VID_F1C1&PID_0001\SER123
  std::wstring InterfaceKeyName() const;  // ##?#USB#VID_F1C1&PID_0001#SER123#{28d78fad-...}
  std::wstring InterfaceKeyPath() const;  // SYSTEM\CurrentControlSet\Control\DeviceClasses\{28d78fad-...}\<key name>
  std::wstring DeviceKeyPath() const;     // SYSTEM\CurrentControlSet\Enum\<instance id>
  std::wstring PrinterKeyPath() const;    // SYSTEM\CurrentControlSet\Enum\USBPRINT\<printerId>\<printerInstance>
  // The device path SetupAPI gives for the interface: \\?\usb#vid_f1c1&pid_0001#ser123#{28d78fad-...}.
  std::wstring DevicePath() const;
};

struct LptPrinterSeed {
  // Enum\LPTENUM\<deviceId>\<instance>, "HardwareID" = LPTENUM\<deviceId>.
  std::wstring deviceId = L"TAVIRTQPRINTER5800";
  std::wstring instance = L"5&3B1C9E2&0&LPT1";
  // "Mfg" is written when not empty: a driver is installed for the device.
  std::wstring mfg;

  std::wstring KeyPath() const;  // SYSTEM\CurrentControlSet\Enum\LPTENUM\<deviceId>\<instance>
};

// The device path of an interface as SetupAPI gives it (Wine's form): "\\?\"
// and the interface key name without its leading "##?#", lower-cased, then
// "\" and the reference string when there is one.
std::wstring InterfaceDevicePath(const std::wstring& keyName, const std::wstring& reference = std::wstring());

inline constexpr wchar_t kUsbPrintServiceEnumPath[] = L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";

// Sections of a .reg text (no header), each key ending in a blank line.
// The USB device key and the interface key: what SetupAPI reads. linked
// false leaves out "#\Control", as Windows does while the printer is away.
std::string UsbInterfaceKeys(const UsbPrinterSeed& printer, bool linked = true);
// UsbInterfaceKeys plus the USBPRINT printer key and the port's values.
std::string UsbPrinterKeys(const UsbPrinterSeed& printer);
// Services\usbprint\Enum listing the given instance ids in order ("Count" and "0", "1", ...).
std::string UsbPrintServiceKeys(const std::vector<std::wstring>& instanceIds);
std::string LptPrinterKeys(const LptPrinterSeed& printer);

// A whole .reg text: the header and the sections.
std::string RegText(const std::vector<std::string>& sections);
// The .reg text of connected USB printers: each one's keys and the usbprint list of all of them.
std::string UsbPrintersRegText(const std::vector<UsbPrinterSeed>& printers);

}  // namespace pf::sim
