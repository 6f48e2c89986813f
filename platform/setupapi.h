// SetupAPI's device interface enumeration (SETUPAPI.DLL), wide forms, as the
// USB printer search uses it: the present interfaces of one interface class,
// their devices' instance ids, and each interface's device path.
//
// A device information set is released with SetupDiDestroyDeviceInfoList; its
// invalid value is INVALID_HANDLE_VALUE. Enumeration by member index ends with
// ERROR_NO_MORE_ITEMS. The records keep Windows' layouts on the 32-bit build:
// SP_DEVINFO_DATA and SP_DEVICE_INTERFACE_DATA are 28 bytes, and
// SP_DEVICE_INTERFACE_DETAIL_DATA_W's size field must say 6 (its fixed part).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

using HDEVINFO = std::uintptr_t;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

// The USB printing device interface class {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}.
inline constexpr GUID GUID_DEVINTERFACE_USBPRINT = {0x28D78FAD, 0x5A12, 0x11D1,
                                                    {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

inline constexpr DWORD DIGCF_DEFAULT = 0x01;
inline constexpr DWORD DIGCF_PRESENT = 0x02;
inline constexpr DWORD DIGCF_ALLCLASSES = 0x04;
inline constexpr DWORD DIGCF_PROFILE = 0x08;
inline constexpr DWORD DIGCF_DEVICEINTERFACE = 0x10;

inline constexpr LONG ERROR_INVALID_USER_BUFFER = 1784;
inline constexpr LONG ERROR_INVALID_FLAGS = 1004;

struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  std::uintptr_t Reserved;
};

struct SP_DEVICE_INTERFACE_DATA {
  DWORD cbSize;
  GUID InterfaceClassGuid;
  DWORD Flags;
  std::uintptr_t Reserved;
};

// The detail record: its fixed part, followed in the caller's buffer by the
// device path and its NUL. Packed as Windows packs it on the 32-bit build, so
// that sizeof gives the value the size field must hold.
#pragma pack(push, 1)
struct SP_DEVICE_INTERFACE_DETAIL_DATA_W {
  DWORD cbSize;
  wchar_t DevicePath[1];
};
#pragma pack(pop)

class SetupApi {
 public:
  virtual ~SetupApi() = default;

  // enumerator and owner must be null; INVALID_HANDLE_VALUE on failure.
  virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator, HWND owner,
                                        DWORD flags) = 0;
  virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device) = 0;
  // size in characters; required (may be null) receives the size needed with NUL.
  virtual BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* device, wchar_t* id, DWORD size,
                                           DWORD* required) = 0;
  virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* device, const GUID* classGuid,
                                           DWORD index, SP_DEVICE_INTERFACE_DATA* deviceInterface) = 0;
  // With no buffer (size 0) it fails with ERROR_INSUFFICIENT_BUFFER and sets
  // required (bytes). With a buffer, detail->cbSize must be
  // sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) or the call fails with
  // ERROR_INVALID_USER_BUFFER.
  virtual BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterface,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                                DWORD* required, SP_DEVINFO_DATA* device) = 0;
  virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;
};

// clang-format off
inline HDEVINFO SetupDiGetClassDevsW(const GUID* g, const wchar_t* e, HWND o, DWORD f) { return Current().setupApi->SetupDiGetClassDevsW(g, e, o, f); }
inline BOOL SetupDiEnumDeviceInfo(HDEVINFO s, DWORD i, SP_DEVINFO_DATA* d) { return Current().setupApi->SetupDiEnumDeviceInfo(s, i, d); }
inline BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO s, SP_DEVINFO_DATA* d, wchar_t* id, DWORD n, DWORD* r) { return Current().setupApi->SetupDiGetDeviceInstanceIdW(s, d, id, n, r); }
inline BOOL SetupDiEnumDeviceInterfaces(HDEVINFO s, SP_DEVINFO_DATA* d, const GUID* g, DWORD i, SP_DEVICE_INTERFACE_DATA* di) { return Current().setupApi->SetupDiEnumDeviceInterfaces(s, d, g, i, di); }
inline BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO s, SP_DEVICE_INTERFACE_DATA* di, SP_DEVICE_INTERFACE_DETAIL_DATA_W* dd, DWORD n, DWORD* r, SP_DEVINFO_DATA* d) { return Current().setupApi->SetupDiGetDeviceInterfaceDetailW(s, di, dd, n, r, d); }
inline BOOL SetupDiDestroyDeviceInfoList(HDEVINFO s) { return Current().setupApi->SetupDiDestroyDeviceInfoList(s); }
// clang-format on

}  // namespace pf
