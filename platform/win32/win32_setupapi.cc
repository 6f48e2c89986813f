#include "platform/win32/win32_setupapi.h"

#include "platform/platform.h"
#include "platform/win32/system_library.h"

#include <windows.h>
#include <setupapi.h>

namespace pf::win32 {
namespace {

// The seam's records have Windows' layouts (platform/win32/constants_check.cc).
::HDEVINFO D(pf::HDEVINFO set) { return reinterpret_cast<::HDEVINFO>(set); }
const ::GUID* G(const pf::GUID* guid) { return reinterpret_cast<const ::GUID*>(guid); }
::SP_DEVINFO_DATA* Dev(pf::SP_DEVINFO_DATA* data) { return reinterpret_cast<::SP_DEVINFO_DATA*>(data); }

// setupapi.dll, from the system folder (system_library.h). A function that
// cannot be had fails its call with the loader's error.
SystemLibrary setupApi(L"setupapi.dll");
SystemFunction<decltype(::SetupDiGetClassDevsW)> getClassDevs(setupApi, "SetupDiGetClassDevsW");
SystemFunction<decltype(::SetupDiEnumDeviceInfo)> enumDeviceInfo(setupApi, "SetupDiEnumDeviceInfo");
SystemFunction<decltype(::SetupDiGetDeviceInstanceIdW)> getDeviceInstanceId(setupApi, "SetupDiGetDeviceInstanceIdW");
SystemFunction<decltype(::SetupDiEnumDeviceInterfaces)> enumDeviceInterfaces(setupApi, "SetupDiEnumDeviceInterfaces");
SystemFunction<decltype(::SetupDiGetDeviceInterfaceDetailW)> getDeviceInterfaceDetail(
    setupApi, "SetupDiGetDeviceInterfaceDetailW");
SystemFunction<decltype(::SetupDiDestroyDeviceInfoList)> destroyDeviceInfoList(
    setupApi, "SetupDiDestroyDeviceInfoList");

class Win32SetupApi : public SetupApi {
 public:
  pf::HDEVINFO SetupDiGetClassDevsW(const pf::GUID* g, const wchar_t* e, pf::HWND o, pf::DWORD f) override {
    const auto call = getClassDevs.Get();
    if (call == nullptr) return reinterpret_cast<pf::HDEVINFO>(INVALID_HANDLE_VALUE);
    return reinterpret_cast<pf::HDEVINFO>(call(G(g), e, reinterpret_cast<::HWND>(o), f));
  }
  pf::BOOL SetupDiEnumDeviceInfo(pf::HDEVINFO s, pf::DWORD i, pf::SP_DEVINFO_DATA* d) override {
    const auto call = enumDeviceInfo.Get();
    return call != nullptr && call(D(s), i, Dev(d));
  }
  pf::BOOL SetupDiGetDeviceInstanceIdW(pf::HDEVINFO s, pf::SP_DEVINFO_DATA* d, wchar_t* id, pf::DWORD n,
                                       pf::DWORD* r) override {
    const auto call = getDeviceInstanceId.Get();
    if (call == nullptr) return FALSE;
    ::DWORD required = 0;
    const ::BOOL ok = call(D(s), Dev(d), id, n, r != nullptr ? &required : nullptr);
    if (r != nullptr) *r = required;
    return ok;
  }
  pf::BOOL SetupDiEnumDeviceInterfaces(pf::HDEVINFO s, pf::SP_DEVINFO_DATA* d, const pf::GUID* g, pf::DWORD i,
                                       pf::SP_DEVICE_INTERFACE_DATA* di) override {
    const auto call = enumDeviceInterfaces.Get();
    return call != nullptr && call(D(s), Dev(d), G(g), i, reinterpret_cast<::SP_DEVICE_INTERFACE_DATA*>(di));
  }
  pf::BOOL SetupDiGetDeviceInterfaceDetailW(pf::HDEVINFO s, pf::SP_DEVICE_INTERFACE_DATA* di,
                                            pf::SP_DEVICE_INTERFACE_DETAIL_DATA_W* dd, pf::DWORD n, pf::DWORD* r,
                                            pf::SP_DEVINFO_DATA* d) override {
    const auto call = getDeviceInterfaceDetail.Get();
    if (call == nullptr) return FALSE;
    ::DWORD required = 0;
    const ::BOOL ok = call(D(s), reinterpret_cast<::SP_DEVICE_INTERFACE_DATA*>(di),
                           reinterpret_cast<::SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(dd), n,
                           r != nullptr ? &required : nullptr, Dev(d));
    if (r != nullptr) *r = required;
    return ok;
  }
  pf::BOOL SetupDiDestroyDeviceInfoList(pf::HDEVINFO s) override {
    const auto call = destroyDeviceInfoList.Get();
    return call != nullptr && call(D(s));
  }
};

}  // namespace

SetupApi& SetupApiGroup() {
  static Win32SetupApi setupApi;
  return setupApi;
}

}  // namespace pf::win32
