// Registry states of connected printers for tests on the simulated PC. The
// usual shapes come from the simulated PC's seeds
// (platform/sim/usb_printer_seed.h); these add the unusual ones: a usbprint
// Enum entry with any "SymbolicName" and interface key, and further USBPRINT
// device instances.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/sim/usb_printer_seed.h"

namespace printer_registry {

inline const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
inline const std::wstring kUsbprint = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";
inline const std::wstring kLptenum = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\";

// The interface key of an interface name ("USB#VID_...#serial#").
inline std::wstring InterfaceKey(const std::wstring& interfaceName) {
  return L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" + std::wstring(pf::sim::kUsbPrintInterfaceClass) +
         L"\\##?#" + interfaceName + pf::sim::kUsbPrintInterfaceClass;
}

inline void Import(pf::sim::SimRegistry& reg, const std::string& regText) {
  std::string error;
  ASSERT_TRUE(reg.ImportRegText(regText, &error)) << error;
}

// Connected USB printers as Plug and Play records them.
inline void ConnectUsbPrinters(pf::sim::SimRegistry& reg, const std::vector<pf::sim::UsbPrinterSeed>& printers) {
  Import(reg, pf::sim::UsbPrintersRegText(printers));
}

inline void ConnectLptPrinter(pf::sim::SimRegistry& reg, const pf::sim::LptPrinterSeed& printer) {
  Import(reg, pf::sim::RegText({pf::sim::LptPrinterKeys(printer)}));
}

// A USB port seed: a device of the given vendor and serial on a port.
inline pf::sim::UsbPrinterSeed UsbPort(const std::wstring& vendorId, const std::wstring& serial,
                                       const std::wstring& printerId, pf::DWORD portNumber,
                                       const std::wstring& description) {
  pf::sim::UsbPrinterSeed seed;
  seed.vendorId = vendorId;
  seed.serial = serial;
  seed.printerId = printerId;
  seed.portNumber = portNumber;
  seed.portDescription = description;
  return seed;
}

inline pf::sim::LptPrinterSeed LptPort(const std::wstring& deviceId, const std::wstring& instance,
                                       const std::wstring& mfg = L"") {
  pf::sim::LptPrinterSeed seed;
  seed.deviceId = deviceId;
  seed.instance = instance;
  seed.mfg = mfg;
  return seed;
}

inline void SetUsbCount(pf::sim::SimRegistry& reg, pf::DWORD count) {
  reg.SetDword(pf::HKEY_LOCAL_MACHINE, pf::sim::kUsbPrintServiceEnumPath, L"Count", count);
}

// Entry `index` of the usbprint Enum key: the device's instance path, its
// "SymbolicName" (none when empty) and the interface key that the name leads
// to, with its port number (none when 0) and description.
inline void AddUsbPort(pf::sim::SimRegistry& reg, int index, const std::wstring& instancePath,
                       const std::wstring& symbolicName, const std::wstring& interfaceName, pf::DWORD portNumber,
                       const std::wstring& description) {
  reg.SetString(pf::HKEY_LOCAL_MACHINE, pf::sim::kUsbPrintServiceEnumPath, std::to_wstring(index), instancePath);
  const std::wstring parameters = kEnum + instancePath + L"\\Device Parameters";
  if (symbolicName.empty()) {
    reg.CreateKey(pf::HKEY_LOCAL_MACHINE, parameters);
  } else {
    reg.SetString(pf::HKEY_LOCAL_MACHINE, parameters, L"SymbolicName", symbolicName);
  }
  const std::wstring port = InterfaceKey(interfaceName) + L"\\#\\Device Parameters";
  reg.SetString(pf::HKEY_LOCAL_MACHINE, port, L"Port Description", description);
  if (portNumber != 0) reg.SetDword(pf::HKEY_LOCAL_MACHINE, port, L"Port Number", portNumber);
}

// A USBPRINT device instance whose "HardwareID" starts with hardwareId.
inline void AddUsbprintDevice(pf::sim::SimRegistry& reg, const std::wstring& id, const std::wstring& instance,
                              const std::wstring& hardwareId) {
  reg.SetMultiString(pf::HKEY_LOCAL_MACHINE, kUsbprint + id + L"\\" + instance, L"HardwareID",
                     {hardwareId, L"USBPRINT\\GENERIC"});
}

}  // namespace printer_registry
