#include "setup/install/protected_print.h"

#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "setup/driver/platform_version.h"

namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
constexpr wchar_t kPolicyValue[] = L"WindowsProtectedPrintGroupPolicyState";

}  // namespace

bool IsProtectedPrintModeOn() {
  // Group policy writes the 64-bit view of the registry; a 32-bit program on
  // 64-bit Windows asks for that view, whether or not Windows shares the key
  // between the views. 32-bit Windows (and Windows 2000, which would refuse
  // the flag) has one view only.
  const pf::DWORD access = pf::KEY_QUERY_VALUE | (RunsUnderWow64() ? pf::KEY_WOW64_64KEY : 0);
  pf::HKEY opened = 0;
  if (pf::RegOpenKeyExW(pf::HKEY_LOCAL_MACHINE, kPolicyKey, 0, access, &opened) != pf::ERROR_SUCCESS) return false;
  pf::UniqueKey key(opened);
  pf::BYTE data[4] = {};
  pf::DWORD type = pf::REG_NONE;
  pf::DWORD size = sizeof(data);
  if (pf::RegQueryValueExW(key.get(), kPolicyValue, &type, data, &size) != pf::ERROR_SUCCESS) return false;
  return type == pf::REG_DWORD && size == sizeof(data) && data[0] == 1 && data[1] == 0 && data[2] == 0 &&
         data[3] == 0;
}
