// What the SetupAPI contract cannot show: the simulated set as a kernel
// object, the faults a test can inject, and the sample seeds under
// tests/seeds read the way SetupAPI and the printer scan read them.
#include "platform/sim/sim_setupapi.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "common/text/utf.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/usb_printer_seed.h"

namespace pf::sim {
namespace {

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;
constexpr DWORD kUnreadable = 13;  // ERROR_INVALID_DATA
const UsbPrinterSeed kFirst;
const UsbPrinterSeed kSecond{L"F1C0", L"0002", L"SER456"};

std::string ReadSeedFile(const std::string& name) {
  std::ifstream file(std::string(TQ_SEEDS_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class SimSetupApiTest : public ::testing::Test {
 protected:
  void Seed(const std::string& regText) {
    std::string error;
    ASSERT_TRUE(pc_->registry().ImportRegText(regText, &error)) << error;
  }
  HDEVINFO PresentSet() {
    return pf::SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
  }
  BOOL EnumDevice(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device) {
    *device = SP_DEVINFO_DATA{};
    device->cbSize = sizeof *device;
    return pf::SetupDiEnumDeviceInfo(set, index, device);
  }
  BOOL InstanceId(HDEVINFO set, SP_DEVINFO_DATA* device, std::wstring* id) {
    wchar_t buffer[260] = {};
    const BOOL ok = pf::SetupDiGetDeviceInstanceIdW(set, device, buffer, 260, nullptr);
    *id = buffer;
    return ok;
  }
  BOOL EnumInterface(HDEVINFO set, DWORD index) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    return pf::SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, index, &iface);
  }
  std::wstring PathAt(HDEVINFO set, DWORD index) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (!pf::SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, index, &iface)) return L"";
    std::vector<BYTE> buffer(1024);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!pf::SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, 1024, nullptr, nullptr)) return L"";
    return detail->DevicePath;
  }

  ScopedSimPc pc_;
};

TEST_F(SimSetupApiTest, ASetIsItsOwnKindOfHandle) {
  HDEVINFO set = PresentSet();
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  EXPECT_EQ(pc_->setupApi().OpenSetCount(), 1u);
  EXPECT_FALSE(pf::CloseHandle(set));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE event = pf::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(pf::SetupDiDestroyDeviceInfoList(event));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(pf::CloseHandle(event));

  EXPECT_TRUE(pf::SetupDiDestroyDeviceInfoList(set));
  EXPECT_EQ(pc_->setupApi().OpenSetCount(), 0u);
  SP_DEVINFO_DATA device;
  EXPECT_FALSE(EnumDevice(set, 0, &device));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(pf::SetupDiDestroyDeviceInfoList(set));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SimSetupApiTest, RecordsFromAnotherSetAreRefused) {
  Seed(RegText({UsbInterfaceKeys(kFirst)}));
  HDEVINFO one = PresentSet();
  Seed(RegText({UsbInterfaceKeys(kSecond)}));
  HDEVINFO both = PresentSet();  // kSecond sorts first
  SP_DEVINFO_DATA device;
  std::wstring id;
  for (DWORD index : {0u, 1u}) {
    ASSERT_TRUE(EnumDevice(both, index, &device));
    EXPECT_FALSE(InstanceId(one, &device, &id)) << index;
    EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  ASSERT_TRUE(EnumDevice(one, 0, &device));
  ASSERT_TRUE(InstanceId(one, &device, &id));
  EXPECT_EQ(id, kFirst.InstanceId());
  pf::SetupDiDestroyDeviceInfoList(both);
  pf::SetupDiDestroyDeviceInfoList(one);
}

TEST_F(SimSetupApiTest, AnyCallCanFailAndRecordsCanBeUnreadableAtAnIndex) {
  Seed(RegText({UsbInterfaceKeys(kFirst), UsbInterfaceKeys(kSecond)}));
  pc_->kernel().FailCall("SetupDiGetClassDevsW", ERROR_NOT_ENOUGH_MEMORY, 0);
  EXPECT_EQ(PresentSet(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HDEVINFO set = PresentSet();
  ASSERT_NE(set, INVALID_HANDLE_VALUE);

  SimSetupApi& setupApi = pc_->setupApi();
  setupApi.FailAtIndex("SetupDiEnumDeviceInfo", 0, kUnreadable);
  setupApi.FailAtIndex("SetupDiGetDeviceInstanceIdW", 1, kUnreadable);
  setupApi.FailAtIndex("SetupDiEnumDeviceInterfaces", 1, kUnreadable);
  SP_DEVINFO_DATA device;
  EXPECT_FALSE(EnumDevice(set, 0, &device));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(kUnreadable));
  ASSERT_TRUE(EnumDevice(set, 1, &device));
  std::wstring id;
  EXPECT_FALSE(InstanceId(set, &device, &id));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(kUnreadable));
  EXPECT_TRUE(EnumInterface(set, 0));
  EXPECT_FALSE(EnumInterface(set, 1));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(kUnreadable));
  EXPECT_FALSE(EnumDevice(set, 2, &device));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS)) << "the end is still the end";

  setupApi.ClearIndexFaults();
  EXPECT_TRUE(EnumDevice(set, 0, &device));
  pc_->kernel().FailCall("SetupDiDestroyDeviceInfoList", ERROR_INVALID_HANDLE, 0);
  EXPECT_FALSE(pf::SetupDiDestroyDeviceInfoList(set));
  EXPECT_TRUE(pf::SetupDiDestroyDeviceInfoList(set)) << "a failed destroy leaves the set";
}

TEST_F(SimSetupApiTest, OnlyDevicesWithAPresentInterfaceAreInAPresentSet) {
  Seed(RegText({UsbInterfaceKeys(kFirst), UsbInterfaceKeys(kSecond, false)}));
  HDEVINFO set = PresentSet();
  SP_DEVINFO_DATA device;
  ASSERT_TRUE(EnumDevice(set, 0, &device));
  std::wstring id;
  ASSERT_TRUE(InstanceId(set, &device, &id));
  EXPECT_EQ(id, kFirst.InstanceId()) << "member index 0 is the device of interface 0";
  EXPECT_EQ(PathAt(set, 0), kFirst.DevicePath());
  EXPECT_FALSE(EnumDevice(set, 1, &device));
  pf::SetupDiDestroyDeviceInfoList(set);
}

TEST_F(SimSetupApiTest, AReferenceStringFollowsTheDevicePath) {
  Seed(RegText({UsbInterfaceKeys(kFirst)}) + "[HKEY_LOCAL_MACHINE\\" + text::Utf16ToUtf8(kFirst.InterfaceKeyPath()) +
       "\\#Raw\\Control]\r\n\"Linked\"=dword:00000001\r\n");
  HDEVINFO set = PresentSet();
  EXPECT_EQ(PathAt(set, 0), kFirst.DevicePath());
  EXPECT_EQ(PathAt(set, 1), kFirst.DevicePath() + L"\\Raw");
  SP_DEVINFO_DATA device;
  EXPECT_TRUE(EnumDevice(set, 0, &device));
  EXPECT_FALSE(EnumDevice(set, 1, &device)) << "one device with two interfaces";
  pf::SetupDiDestroyDeviceInfoList(set);
}

TEST_F(SimSetupApiTest, TheSampleUsbSeedsDescribeWhatSetupApiAndThePortLookupRead) {
  struct Sample {
    const char* file;
    std::wstring devicePath;
    std::wstring description;
  };
  const Sample samples[] = {
      {"usb_printer.reg", L"\\\\?\\usb#vid_f1c1&pid_0001#ser123#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
       L"TQ-5800"},
      {"usb_printer_other_maker.reg",
       L"\\\\?\\usb#vid_1a2b&pid_0c3d#ac0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}", L"ACME Office Laser 200"},
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.file);
    ScopedSimPc pc;
    const std::string bytes = ReadSeedFile(sample.file);
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "UTF-16LE with a byte-order mark, as regedit writes";
    std::string error;
    ASSERT_TRUE(pc->registry().ImportRegText(bytes, &error)) << error;
    HDEVINFO set = pf::SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0, kPresentInterfaces);
    EXPECT_EQ(PathAt(set, 0), sample.devicePath);
    pf::SetupDiDestroyDeviceInfoList(set);

    // usbprint\Enum "0" -> the device's "SymbolicName" -> its interface key -> the port.
    SimRegistry& registry = pc->registry();
    std::wstring instance, symbolicName, description;
    ASSERT_TRUE(registry.GetString(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"0", &instance));
    ASSERT_TRUE(registry.GetString(HKEY_LOCAL_MACHINE,
                                   L"SYSTEM\\CurrentControlSet\\Enum\\" + instance + L"\\Device Parameters",
                                   L"SymbolicName", &symbolicName));
    const size_t usb = symbolicName.find(L"USB");
    const std::wstring interfaceKey = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" +
                                      std::wstring(kUsbPrintInterfaceClass) + L"\\##?#" +
                                      symbolicName.substr(usb, symbolicName.find(L'{') - usb) +
                                      kUsbPrintInterfaceClass + L"\\#\\Device Parameters";
    ASSERT_TRUE(registry.GetString(HKEY_LOCAL_MACHINE, interfaceKey, L"Port Description", &description));
    EXPECT_EQ(description, sample.description);
  }
}

TEST_F(SimSetupApiTest, TheSampleParallelPortSeedHoldsADriverlessPrinterOfTheMaker) {
  std::string error;
  ASSERT_TRUE(pc_->registry().ImportRegText(ReadSeedFile("lpt_printer.reg"), &error)) << error;
  const std::wstring lptenum = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
  const auto ids = pc_->registry().SubkeyNames(HKEY_LOCAL_MACHINE, lptenum);
  ASSERT_EQ(ids, std::vector<std::wstring>{L"TAVIRTQPRINTER5800"});
  const auto instances = pc_->registry().SubkeyNames(HKEY_LOCAL_MACHINE, lptenum + L"\\" + ids[0]);
  ASSERT_EQ(instances.size(), 1u);
  const std::wstring key = lptenum + L"\\" + ids[0] + L"\\" + instances[0];
  std::vector<std::wstring> hardwareIds;
  ASSERT_TRUE(pc_->registry().GetMultiString(HKEY_LOCAL_MACHINE, key, L"HardwareID", &hardwareIds));
  EXPECT_EQ(hardwareIds, std::vector<std::wstring>{L"LPTENUM\\TAVIRTQPRINTER5800"});
  EXPECT_EQ(pc_->registry().ValueNames(HKEY_LOCAL_MACHINE, key), std::vector<std::wstring>{L"HardwareID"})
      << "no \"Mfg\": no driver yet";
}

}  // namespace
}  // namespace pf::sim
