#include "platform/sim/sim_setupapi.h"

#include <cstdio>
#include <cwctype>
#include <vector>

#include "common/text/utf.h"
#include "platform/sim/buffer_packer.h"
#include "platform/sim/reg_file.h"
#include "platform/sim/sim_registry.h"

namespace pf::sim {
namespace {

constexpr wchar_t kDeviceClassesPath[] = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses";
constexpr wchar_t kEnumPath[] = L"SYSTEM\\CurrentControlSet\\Enum\\";
constexpr DWORD SPINT_ACTIVE = 0x1;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return Lower(a) == Lower(b); }

struct SetDevice {
  std::wstring instanceId;
  GUID classGuid;
  DWORD devInst;
};

struct SetInterface {
  size_t device;  // index into the set's devices
  GUID interfaceClass;
  std::wstring devicePath;
  DWORD flags;
};

class DeviceInfoSet : public KernelObject {
 public:
  ObjectKind kind() const override { return ObjectKind::DeviceInfoSet; }

  std::vector<SetDevice> devices;
  std::vector<SetInterface> interfaces;

  size_t DeviceIndex(const std::wstring& instanceId, const GUID& classGuid) {
    for (size_t i = 0; i < devices.size(); ++i) {
      if (SameText(devices[i].instanceId, instanceId)) return i;
    }
    devices.push_back(SetDevice{instanceId, classGuid, static_cast<DWORD>(devices.size() + 1)});
    return devices.size() - 1;
  }
  // The device a record names: Reserved holds its index + 1 and DevInst must agree.
  const SetDevice* DeviceOf(const SP_DEVINFO_DATA* record, size_t* index = nullptr) const {
    if (record == nullptr || record->cbSize != sizeof(SP_DEVINFO_DATA)) return nullptr;
    if (record->Reserved == 0 || record->Reserved > devices.size()) return nullptr;
    const SetDevice& device = devices[record->Reserved - 1];
    if (device.devInst != record->DevInst) return nullptr;
    if (index != nullptr) *index = record->Reserved - 1;
    return &device;
  }
  const SetInterface* InterfaceOf(const SP_DEVICE_INTERFACE_DATA* record) const {
    if (record == nullptr || record->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return nullptr;
    if (record->Reserved == 0 || record->Reserved > interfaces.size()) return nullptr;
    return &interfaces[record->Reserved - 1];
  }
};

void FillDevice(const SetDevice& device, size_t index, SP_DEVINFO_DATA* record) {
  record->ClassGuid = device.classGuid;
  record->DevInst = device.devInst;
  record->Reserved = index + 1;
}

// A REG_SZ value's text up to its NUL; false when missing or of another type.
bool ReadString(SimRegistry& registry, const std::wstring& path, const wchar_t* name, std::wstring* text) {
  DWORD type = REG_NONE;
  std::string bytes;
  if (!registry.GetValue(HKEY_LOCAL_MACHINE, path, name, &type, &bytes) || type != REG_SZ) return false;
  *text = text::FromUtf16LeBytes(bytes);
  const size_t nul = text->find(L'\0');
  if (nul != std::wstring::npos) text->resize(nul);
  return true;
}

// "#...\Control" holds a non-zero DWORD "Linked" (Wine's test; Windows writes 0 or 1).
bool IsLinked(SimRegistry& registry, const std::wstring& referenceKeyPath) {
  DWORD type = REG_NONE;
  std::string bytes;
  if (!registry.GetValue(HKEY_LOCAL_MACHINE, referenceKeyPath + L"\\Control", L"Linked", &type, &bytes)) {
    return false;
  }
  return type == REG_DWORD && bytes.size() == 4 && bytes != std::string(4, '\0');
}

// Adds the interfaces that one interface key describes, and their device.
void AddInterfaceKey(SimRegistry& registry, const GUID& interfaceClass, const std::wstring& classPath,
                     const std::wstring& keyName, const wchar_t* enumerator, DWORD flags, DeviceInfoSet* set) {
  const std::wstring keyPath = classPath + L"\\" + keyName;
  std::wstring instanceId;
  if (!ReadString(registry, keyPath, L"DeviceInstance", &instanceId)) return;
  if (enumerator != nullptr && !SameText(enumerator, instanceId)) return;
  std::wstring classText;
  GUID deviceClass{};
  if (!ReadString(registry, kEnumPath + instanceId, L"ClassGUID", &classText) || !ParseGuid(classText, &deviceClass)) {
    return;
  }
  std::wstring base = keyName.compare(0, 4, L"##?#") == 0 ? keyName.substr(4) : keyName;
  for (const std::wstring& reference : registry.SubkeyNames(HKEY_LOCAL_MACHINE, keyPath)) {
    if (reference.empty() || reference[0] != L'#') continue;
    const bool linked = IsLinked(registry, keyPath + L"\\" + reference);
    if ((flags & DIGCF_PRESENT) && !linked) continue;
    std::wstring path = L"\\\\?\\" + Lower(base);
    if (reference.size() > 1) path += L"\\" + reference.substr(1);
    const size_t device = set->DeviceIndex(instanceId, deviceClass);
    set->interfaces.push_back(SetInterface{device, interfaceClass, path, linked ? SPINT_ACTIVE : 0});
  }
}

}  // namespace

std::wstring FormatGuid(const GUID& guid) {
  wchar_t text[40];
  std::swprintf(text, 40, L"{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", static_cast<unsigned>(guid.Data1),
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

bool ParseGuid(const std::wstring& text, GUID* guid) {
  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}: 38 characters.
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
  unsigned long long fields[16];
  size_t field = 0;
  unsigned long long value = 0;
  int digits = 0;
  static const int kGroupDigits[] = {8, 4, 4, 4, 12};
  size_t group = 0;
  for (size_t i = 1; i < 37; ++i) {
    const wchar_t c = text[i];
    if (c == L'-') {
      if (group >= 4 || digits != kGroupDigits[group]) return false;
      ++group;
      digits = 0;
      continue;
    }
    if (!std::iswxdigit(c)) return false;
    value = value * 16 + static_cast<unsigned>(std::iswdigit(c) ? c - L'0' : std::towlower(c) - L'a' + 10);
    ++digits;
    // Data1, Data2, Data3 whole; the last two groups byte by byte.
    const bool byteWise = group >= 3;
    if ((byteWise && digits % 2 == 0) || (!byteWise && digits == kGroupDigits[group])) {
      fields[field++] = value;
      value = 0;
    }
  }
  if (group != 4 || digits != 12 || field != 11) return false;
  guid->Data1 = static_cast<DWORD>(fields[0]);
  guid->Data2 = static_cast<WORD>(fields[1]);
  guid->Data3 = static_cast<WORD>(fields[2]);
  for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<BYTE>(fields[3 + i]);
  return true;
}

void SimSetupApi::FailAtIndex(const std::string& call, DWORD index, DWORD error) {
  indexFaults_[{call, index}] = error;
}

DWORD SimSetupApi::IndexFault(const char* call, DWORD index) const {
  auto found = indexFaults_.find({call, index});
  return found == indexFaults_.end() ? 0 : found->second;
}

HDEVINFO SimSetupApi::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator, HWND owner,
                                           DWORD flags) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetupDiGetClassDevsW")) {
    kernel_.SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  // Only sets of device interfaces: sets of a setup class's devices are not simulated.
  if (!(flags & DIGCF_DEVICEINTERFACE)) {
    kernel_.SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  if (classGuid == nullptr && !(flags & DIGCF_ALLCLASSES)) {
    kernel_.SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<GUID> classes;
  if (flags & DIGCF_ALLCLASSES) {
    for (const std::wstring& name : registry_.SubkeyNames(HKEY_LOCAL_MACHINE, kDeviceClassesPath)) {
      GUID guid{};
      if (ParseGuid(name, &guid)) classes.push_back(guid);
    }
  } else {
    classes.push_back(*classGuid);
  }
  auto set = std::make_shared<DeviceInfoSet>();
  for (const GUID& interfaceClass : classes) {
    const std::wstring classPath = std::wstring(kDeviceClassesPath) + L"\\" + FormatGuid(interfaceClass);
    for (const std::wstring& keyName : registry_.SubkeyNames(HKEY_LOCAL_MACHINE, classPath)) {
      AddInterfaceKey(registry_, interfaceClass, classPath, keyName, enumerator, flags, set.get());
    }
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return kernel_.Insert(std::move(set));
}

BOOL SimSetupApi::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetupDiEnumDeviceInfo")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<DeviceInfoSet>(set, {ObjectKind::DeviceInfoSet});
  if (!object) return FALSE;
  if (device == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  if (device->cbSize != sizeof(SP_DEVINFO_DATA)) return kernel_.Fail(ERROR_INVALID_USER_BUFFER);
  if (index >= object->devices.size()) return kernel_.Fail(ERROR_NO_MORE_ITEMS);
  if (DWORD error = IndexFault("SetupDiEnumDeviceInfo", index)) return kernel_.Fail(error);
  FillDevice(object->devices[index], index, device);
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSetupApi::SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* device, wchar_t* id, DWORD size,
                                              DWORD* required) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetupDiGetDeviceInstanceIdW")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<DeviceInfoSet>(set, {ObjectKind::DeviceInfoSet});
  if (!object) return FALSE;
  size_t index = 0;
  const SetDevice* found = object->DeviceOf(device, &index);
  if (found == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  if (DWORD error = IndexFault("SetupDiGetDeviceInstanceIdW", static_cast<DWORD>(index))) return kernel_.Fail(error);
  const DWORD needed = static_cast<DWORD>(found->instanceId.size() + 1);
  if (required != nullptr) *required = needed;
  if (size < needed) return kernel_.Fail(ERROR_INSUFFICIENT_BUFFER);
  if (id == nullptr) return kernel_.Fail(ERROR_INVALID_USER_BUFFER);
  found->instanceId.copy(id, found->instanceId.size());
  id[found->instanceId.size()] = L'\0';
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSetupApi::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* device, const GUID* classGuid,
                                              DWORD index, SP_DEVICE_INTERFACE_DATA* deviceInterface) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetupDiEnumDeviceInterfaces")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<DeviceInfoSet>(set, {ObjectKind::DeviceInfoSet});
  if (!object) return FALSE;
  if (deviceInterface == nullptr || deviceInterface->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
      classGuid == nullptr) {
    return kernel_.Fail(ERROR_INVALID_PARAMETER);
  }
  // The record is cleared first, so a caller that ignores a failure reads nothing stale.
  *deviceInterface = SP_DEVICE_INTERFACE_DATA{};
  deviceInterface->cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
  size_t onlyDevice = 0;
  if (device != nullptr && object->DeviceOf(device, &onlyDevice) == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  DWORD seen = 0;
  for (size_t i = 0; i < object->interfaces.size(); ++i) {
    const SetInterface& candidate = object->interfaces[i];
    if (!(candidate.interfaceClass == *classGuid)) continue;
    if (device != nullptr && candidate.device != onlyDevice) continue;
    if (seen++ != index) continue;
    if (DWORD error = IndexFault("SetupDiEnumDeviceInterfaces", index)) return kernel_.Fail(error);
    deviceInterface->InterfaceClassGuid = candidate.interfaceClass;
    deviceInterface->Flags = candidate.flags;
    deviceInterface->Reserved = i + 1;
    kernel_.SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  return kernel_.Fail(ERROR_NO_MORE_ITEMS);
}

BOOL SimSetupApi::SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* deviceInterface,
                                                   SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                                   DWORD* required, SP_DEVINFO_DATA* device) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetupDiGetDeviceInterfaceDetailW")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<DeviceInfoSet>(set, {ObjectKind::DeviceInfoSet});
  if (!object) return FALSE;
  const SetInterface* found = object->InterfaceOf(deviceInterface);
  if (found == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  if (detail != nullptr ? detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) : detailSize != 0) {
    return kernel_.Fail(ERROR_INVALID_USER_BUFFER);
  }
  // The size field, then the path and its NUL from DevicePath on.
  const auto lay = [&](BufferPacker& packer) {
    packer.Fixed<DWORD>();
    packer.String(found->devicePath);
  };
  BufferPacker measure(nullptr, 0);
  lay(measure);
  const DWORD needed = measure.needed();
  if (required != nullptr) *required = needed;
  if (detail == nullptr || detailSize < needed) return kernel_.Fail(ERROR_INSUFFICIENT_BUFFER);
  const DWORD cbSize = detail->cbSize;
  BufferPacker packer(reinterpret_cast<BYTE*>(detail), detailSize);
  lay(packer);
  detail->cbSize = cbSize;
  if (device != nullptr && device->cbSize == sizeof(SP_DEVINFO_DATA)) {
    FillDevice(object->devices[found->device], found->device, device);
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimSetupApi::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetupDiDestroyDeviceInfoList")) return kernel_.Fail(error);
  if (!kernel_.Close(set, {ObjectKind::DeviceInfoSet})) return FALSE;
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace pf::sim
