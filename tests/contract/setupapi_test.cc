// SetupAPI's device interface enumeration on a seeded USB printing interface:
// the same assertions against the simulated PC and, under Wine, the real
// SETUPAPI reading a seed the test writes into the real registry.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/usb_printer_seed.h"
#include "tests/contract/contract_env.h"

namespace {

using namespace pf;
using sim::UsbPrinterSeed;

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

const UsbPrinterSeed kPrinter;  // USB\VID_F1C1&PID_0001\SER123
const UsbPrinterSeed kSecond{L"F1C0", L"0002", L"SER456"};

class SetupApiContract : public ContractTest {
 protected:
  void Seed(const std::vector<std::string>& sections) { ImportSeed(sim::RegText(sections)); }

  // The instance id of the device record at index, or empty with the test failed.
  std::wstring InstanceIdAt(HDEVINFO set, DWORD index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiEnumDeviceInfo(set, index, &device)) {
      ADD_FAILURE() << "no device record at " << index << ", error " << GetLastError();
      return std::wstring();
    }
    wchar_t id[260] = {};
    EXPECT_TRUE(SetupDiGetDeviceInstanceIdW(set, &device, id, 260, nullptr));
    return id;
  }
  // The device path of the interface at index, through the size query and the record.
  std::wstring DevicePathAt(HDEVINFO set, DWORD index) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, index, &iface)) {
      ADD_FAILURE() << "no interface at " << index << ", error " << GetLastError();
      return std::wstring();
    }
    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr));
    std::vector<BYTE> buffer(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required, nullptr, nullptr));
    return detail->DevicePath;
  }
  static DWORD DetailSize(const std::wstring& path) {
    return static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                              sizeof(wchar_t) * (path.size() + 1));
  }
};

TEST_F(SetupApiContract, ASeededPrinterIsFoundWithItsInstanceIdAndLowerCaseDevicePath) {
  Seed({sim::UsbInterfaceKeys(kPrinter)});
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  ASSERT_NE(set, INVALID_HANDLE_VALUE) << GetLastError();

  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device)) << GetLastError();
  wchar_t id[260];
  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDeviceInstanceIdW(set, &device, id, 10, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, kPrinter.InstanceId().size() + 1);
  ASSERT_TRUE(SetupDiGetDeviceInstanceIdW(set, &device, id, 260, &required));
  EXPECT_EQ(std::wstring(id), L"USB\\VID_F1C1&PID_0001\\SER123");
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 1, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

  SP_DEVICE_INTERFACE_DATA iface{};
  iface.cbSize = sizeof iface;
  ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, 0, &iface)) << GetLastError();
  EXPECT_TRUE(iface.InterfaceClassGuid == GUID_DEVINTERFACE_USBPRINT);

  const std::wstring path = L"\\\\?\\usb#vid_f1c1&pid_0001#ser123#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
  EXPECT_EQ(kPrinter.DevicePath(), path);
  required = 0;
  EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, DetailSize(path));
  std::vector<BYTE> buffer(required);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required - 1, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  SP_DEVINFO_DATA owner{};
  owner.cbSize = sizeof owner;
  ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required, nullptr, &owner)) << GetLastError();
  EXPECT_EQ(std::wstring(detail->DevicePath), path);
  EXPECT_EQ(detail->cbSize, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) << "the size field is left as given";
  EXPECT_EQ(owner.DevInst, device.DevInst) << "the interface's device is the enumerated one";

  EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, 1, &iface));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SetupApiContract, RecordSizeFieldsAreChecked) {
  Seed({sim::UsbInterfaceKeys(kPrinter)});
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device - 1;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  device.cbSize = sizeof device;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
  device.cbSize = 0;
  wchar_t id[260];
  EXPECT_FALSE(SetupDiGetDeviceInstanceIdW(set, &device, id, 260, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  SP_DEVICE_INTERFACE_DATA iface{};
  iface.cbSize = sizeof iface + 4;
  EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, 0, &iface));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  iface.cbSize = sizeof iface;
  ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, 0, &iface));

  std::vector<BYTE> buffer(512);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
  // The size field holds the fixed part's size, not the buffer's.
  detail->cbSize = static_cast<DWORD>(buffer.size());
  EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, static_cast<DWORD>(buffer.size()), nullptr,
                                                nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 100, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SetupApiContract, DevicesComeInTheOrderOfTheirInterfaceKeys) {
  Seed({sim::UsbInterfaceKeys(kSecond), sim::UsbInterfaceKeys(kPrinter)});
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  // ##?#USB#VID_F1C0... sorts before ##?#USB#VID_F1C1...
  EXPECT_EQ(InstanceIdAt(set, 0), kSecond.InstanceId());
  EXPECT_EQ(InstanceIdAt(set, 1), kPrinter.InstanceId());
  EXPECT_EQ(DevicePathAt(set, 0), kSecond.DevicePath());
  EXPECT_EQ(DevicePathAt(set, 1), kPrinter.DevicePath());
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 2, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SetupApiContract, AnInterfaceThatIsNotLinkedIsNotPresent) {
  Seed({sim::UsbInterfaceKeys(kPrinter, false)});
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVICE_INTERFACE_DATA iface{};
  iface.cbSize = sizeof iface;
  EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, 0, &iface));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));

  set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, DIGCF_DEVICEINTERFACE);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  EXPECT_EQ(DevicePathAt(set, 0), kPrinter.DevicePath()) << "without DIGCF_PRESENT it is listed";
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SetupApiContract, ADeviceWithoutClassGuidIsNotInTheSet) {
  UsbPrinterSeed noClass = kPrinter;
  noClass.classGuid.clear();
  Seed({sim::UsbInterfaceKeys(noClass)});
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SetupApiContract, ASetIsASnapshotOfWhenItWasMade) {
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  ASSERT_NE(set, INVALID_HANDLE_VALUE) << "a class without interfaces gives an empty set";
  Seed({sim::UsbInterfaceKeys(kPrinter)});
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  EXPECT_EQ(SetupDiGetClassDevsW(nullptr, nullptr, 0, kPresentInterfaces), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
