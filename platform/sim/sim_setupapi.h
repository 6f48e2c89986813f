// The simulated SetupAPI group: device interface sets made from the
// simulated registry the way Windows and Wine keep device interfaces, so that
// one .reg seed (platform/sim/usb_printer_seed.h) describes a PC for the sim
// and for a Wine prefix alike.
//
// SetupDiGetClassDevsW with DIGCF_DEVICEINTERFACE reads, for the class,
// HKLM\SYSTEM\CurrentControlSet\Control\DeviceClasses\{guid}\<interface key>:
// "DeviceInstance" names the device, whose key
// HKLM\SYSTEM\CurrentControlSet\Enum\<instance> must hold a "ClassGUID" in
// braces (without it the device is left out, as Wine does); each subkey "#"
// or "#<reference>" is one interface of the device, present (DIGCF_PRESENT)
// while "#...\Control" holds a non-zero DWORD "Linked". The device path is
// "\\?\" and the interface key name without its leading "##?#", lower-cased,
// as Wine returns it. The set is a snapshot: it does not change when the
// registry does.
//
// A set is a kernel object (ObjectKind::DeviceInfoSet) released only by
// SetupDiDestroyDeviceInfoList. Every call starts with kernel.Enter(its name),
// so a test can make any call fail with a chosen error.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/setupapi.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {

class SimRegistry;

class SimSetupApi : public SetupApi {
 public:
  SimSetupApi(SimKernel& kernel, SimRegistry& registry) : kernel_(kernel), registry_(registry) {}

  HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator, HWND owner,
                                DWORD flags) override;
  BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device) override;
  BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* device, wchar_t* id, DWORD size,
                                   DWORD* required) override;
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* device, const GUID* classGuid, DWORD index,
                                   SP_DEVICE_INTERFACE_DATA* deviceInterface) override;
  BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterface,
                                        SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                        DWORD* required, SP_DEVINFO_DATA* device) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;

  // --- Test API ---
  // Makes the device record at a member index unreadable in every set:
  // call ("SetupDiEnumDeviceInfo", "SetupDiGetDeviceInstanceIdW" or
  // "SetupDiEnumDeviceInterfaces") fails there with error. For the instance
  // id, the index is that of the device record passed in.
  void FailAtIndex(const std::string& call, DWORD index, DWORD error);
  void ClearIndexFaults() { indexFaults_.clear(); }
  // Sets made and not yet destroyed.
  size_t OpenSetCount() const { return kernel_.OpenHandleCount(ObjectKind::DeviceInfoSet); }

 private:
  DWORD IndexFault(const char* call, DWORD index) const;

  SimKernel& kernel_;
  SimRegistry& registry_;
  std::map<std::pair<std::string, DWORD>, DWORD> indexFaults_;
};

// "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}" and back; Parse accepts either case.
std::wstring FormatGuid(const GUID& guid);
bool ParseGuid(const std::wstring& text, GUID* guid);

}  // namespace pf::sim
