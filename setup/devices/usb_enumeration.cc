#include "setup/devices/usb_enumeration.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "setup/devices/device_text.h"

namespace {

constexpr pf::DWORD kInstanceIdChars = 260;
// SetupDiEnumDeviceInfo ends the walk with ERROR_NO_MORE_ITEMS. A set that
// fails every index with another error would never say so; after this many
// unreadable records in a row the walk ends as well.
constexpr int kUnreadableRecordLimit = 64;

bool IsMakersInstance(const wchar_t* instanceId) {
  const std::wstring text = Lower(L"InstanceId = " + std::wstring(instanceId) + L"\n");
  return text.find(L"vid_f1c1") != std::wstring::npos || text.find(L"vid_f1c0") != std::wstring::npos;
}

// Reads the interface's device path into `path` and opens it synchronously.
pf::UniqueFile OpenInterface(pf::HDEVINFO set, pf::SP_DEVICE_INTERFACE_DATA* deviceInterface,
                             DevicePathBuffer* path) {
  using Detail = pf::SP_DEVICE_INTERFACE_DETAIL_DATA_W;
  pf::DWORD required = 0;
  pf::SetupDiGetDeviceInterfaceDetailW(set, deviceInterface, nullptr, 0, &required, nullptr);
  if (required < sizeof(Detail)) return {};
  std::vector<pf::BYTE> storage(required);
  reinterpret_cast<Detail*>(storage.data())->cbSize = sizeof(Detail);
  if (!pf::SetupDiGetDeviceInterfaceDetailW(set, deviceInterface, reinterpret_cast<Detail*>(storage.data()),
                                            required, nullptr, nullptr)) {
    return {};
  }

  // The path with its NUL, read from the bytes that the call filled.
  const pf::BYTE* units = storage.data() + offsetof(Detail, DevicePath);
  const std::size_t available = (required - offsetof(Detail, DevicePath)) / sizeof(wchar_t);
  std::wstring devicePath;
  for (std::size_t i = 0;; ++i) {
    if (i == available) return {};  // no NUL inside the record
    wchar_t c;
    std::memcpy(&c, units + i * sizeof(wchar_t), sizeof(wchar_t));
    if (c == L'\0') break;
    devicePath += c;
  }
  if (devicePath.size() + 1 > path->size()) return {};
  std::copy(devicePath.begin(), devicePath.end(), path->begin());
  (*path)[devicePath.size()] = L'\0';

  return pf::UniqueFile(pf::CreateFileW(path->data(), pf::GENERIC_READ | pf::GENERIC_WRITE,
                                        pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE, pf::OPEN_EXISTING, 0));
}

}  // namespace

DevicePathBuffer& UsbDevicePath() {
  static DevicePathBuffer path{};
  return path;
}

pf::UniqueFile FindUsbPrinterInterface(const pf::GUID& interfaceClass, DevicePathBuffer* path) {
  pf::UniqueDevInfo set(
      pf::SetupDiGetClassDevsW(&interfaceClass, nullptr, 0, pf::DIGCF_PRESENT | pf::DIGCF_DEVICEINTERFACE));
  if (!set) return {};
  int unreadable = 0;
  for (pf::DWORD index = 0; unreadable < kUnreadableRecordLimit; ++index) {
    pf::SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (!pf::SetupDiEnumDeviceInfo(set.get(), index, &device)) {
      if (pf::GetLastError() == static_cast<pf::DWORD>(pf::ERROR_NO_MORE_ITEMS)) break;
      ++unreadable;
      continue;
    }
    unreadable = 0;

    wchar_t instanceId[kInstanceIdChars] = {};
    if (!pf::SetupDiGetDeviceInstanceIdW(set.get(), &device, instanceId, kInstanceIdChars, nullptr)) continue;
    instanceId[kInstanceIdChars - 1] = L'\0';
    if (!IsMakersInstance(instanceId)) continue;

    pf::SP_DEVICE_INTERFACE_DATA deviceInterface{};
    deviceInterface.cbSize = sizeof(deviceInterface);
    if (!pf::SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, index, &deviceInterface)) {
      if (pf::GetLastError() == static_cast<pf::DWORD>(pf::ERROR_NO_MORE_ITEMS)) break;
      continue;
    }
    pf::UniqueFile opened = OpenInterface(set.get(), &deviceInterface, path);
    if (opened) return opened;
  }
  return {};
}

pf::UniqueFile OpenUsbPrinterDevice() {
  return FindUsbPrinterInterface(pf::GUID_DEVINTERFACE_USBPRINT, &UsbDevicePath());
}

pf::UniqueFile OpenUsbPrinterPipe(const std::wstring& pipeName) {
  DevicePathBuffer& path = UsbDevicePath();
  {
    // Only the device path that the search leaves in the buffer is needed.
    pf::UniqueFile device = FindUsbPrinterInterface(pf::GUID_DEVINTERFACE_USBPRINT, &path);
    if (!device) return {};
  }
  const std::size_t length = std::char_traits<wchar_t>::length(path.data());
  const std::wstring tail = L"\\" + pipeName;
  if (length + tail.size() + 1 > path.size()) return {};
  std::copy(tail.begin(), tail.end(), path.begin() + static_cast<std::ptrdiff_t>(length));
  path[length + tail.size()] = L'\0';
  return pf::UniqueFile(pf::CreateFileW(path.data(), pf::GENERIC_READ | pf::GENERIC_WRITE,
                                        pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE, pf::OPEN_EXISTING,
                                        pf::FILE_FLAG_OVERLAPPED));
}
