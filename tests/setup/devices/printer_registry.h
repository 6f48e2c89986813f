// Registry states of connected printers as Plug and Play records them, for
// tests on the simulated PC: the usbprint Enum entries, the USB printer
// interface keys with their port numbers and descriptions, the USBPRINT and
// LPTENUM device keys.
#pragma once

#include <string>

#include "platform/sim/sim_registry.h"

namespace printer_registry {

inline const std::wstring kUsbprintEnum = L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
inline const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
inline const std::wstring kClassSuffix = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
inline const std::wstring kInterfaces = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" + kClassSuffix + L"\\";
inline const std::wstring kUsbprint = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\";
inline const std::wstring kLptenum = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\";

// The interface key of an interface name ("USB#VID_...#serial#").
inline std::wstring InterfaceKey(const std::wstring& interfaceName) {
  return kInterfaces + L"##?#" + interfaceName + kClassSuffix;
}

inline void SetUsbCount(pf::sim::SimRegistry& reg, pf::DWORD count) {
  reg.SetDword(pf::HKEY_LOCAL_MACHINE, kUsbprintEnum, L"Count", count);
}

// Entry `index` of the usbprint Enum key: the printer's instance path, its
// "SymbolicName" (none when empty) and the interface key that the name leads
// to, with its port number (none when 0) and description.
inline void AddUsbPort(pf::sim::SimRegistry& reg, int index, const std::wstring& instancePath,
                       const std::wstring& symbolicName, const std::wstring& interfaceName, pf::DWORD portNumber,
                       const std::wstring& description) {
  reg.SetString(pf::HKEY_LOCAL_MACHINE, kUsbprintEnum, std::to_wstring(index), instancePath);
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

// The usual shape for device "VID_xxxx&PID_xxxx\serial": instance path
// "USB\" + device, SymbolicName "\??\USB#VID_xxxx&PID_xxxx#serial#{class}".
inline void AddUsbPrinter(pf::sim::SimRegistry& reg, int index, const std::wstring& device, pf::DWORD portNumber,
                          const std::wstring& description) {
  std::wstring interfaceName = L"USB#" + device + L"#";
  for (wchar_t& c : interfaceName) {
    if (c == L'\\') c = L'#';
  }
  AddUsbPort(reg, index, L"USB\\" + device, L"\\??\\" + interfaceName + kClassSuffix, interfaceName, portNumber,
             description);
}

// A USBPRINT device instance whose "HardwareID" starts with hardwareId.
inline void AddUsbprintDevice(pf::sim::SimRegistry& reg, const std::wstring& id, const std::wstring& instance,
                              const std::wstring& hardwareId) {
  reg.SetMultiString(pf::HKEY_LOCAL_MACHINE, kUsbprint + id + L"\\" + instance, L"HardwareID",
                     {hardwareId, L"USBPRINT\\GENERIC"});
}

// An LPTENUM device instance; one with a driver has "Mfg".
inline void AddLptDevice(pf::sim::SimRegistry& reg, const std::wstring& id, const std::wstring& instance,
                         const std::wstring& hardwareId, bool hasDriver) {
  const std::wstring key = kLptenum + id + L"\\" + instance;
  reg.SetMultiString(pf::HKEY_LOCAL_MACHINE, key, L"HardwareID", {hardwareId});
  if (hasDriver) reg.SetString(pf::HKEY_LOCAL_MACHINE, key, L"Mfg", L"TAVIR");
}

}  // namespace printer_registry
