// Device key provisioning on the simulated PC: class values, the driver
// instance subkey and the values staged for Spoolmate.
#include "setup/devices/device_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text/utf.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"

namespace {

using pf::HKEY_LOCAL_MACHINE;

const std::wstring kClass = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kUsbEnum = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
const std::wstring kLptEnum = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const std::wstring kUsbId = L"USBPRINT\\TAVIRTQ-5800TQMM";
const std::wstring kLptId = L"LPTENUM\\TAVIRTQPRINTER5800";

// REG_SZ bytes as setup writes them: UTF-16LE with the terminating NUL.
std::string Sz(const std::wstring& text) { return text::Utf16LeBytesWithNul(text); }

std::string Dword(pf::DWORD value) {
  return std::string{static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                     static_cast<char>(value >> 24)};
}

struct Expected {
  std::wstring name;
  pf::DWORD type;
  std::string bytes;
};

class DeviceKeysTest : public ::testing::Test {
 protected:
  DeviceKeysTest() {
    context_.driverModel = L"TAVIR TQ-5800";
    context_.deviceDescription = L"TQ-5800";
  }
  pf::sim::SimRegistry& reg() { return pc_->registry(); }

  // A device id with one instance subkey, as Plug and Play leaves it.
  void AddDevice(const std::wstring& enumerator, const std::wstring& id) {
    reg().SetString(HKEY_LOCAL_MACHINE, enumerator + L"\\" + id + L"\\1&2&3&0", L"HardwareID", id);
  }

  // The key's values, in the order they were written, with types and bytes.
  void ExpectValues(const std::wstring& path, const std::vector<Expected>& expected) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    std::vector<std::wstring> names = reg().ValueNames(HKEY_LOCAL_MACHINE, path);
    ASSERT_EQ(names.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(names[i], expected[i].name) << "value " << i;
      pf::DWORD type = 0;
      std::string bytes;
      ASSERT_TRUE(reg().GetValue(HKEY_LOCAL_MACHINE, path, expected[i].name, &type, &bytes));
      EXPECT_EQ(type, expected[i].type) << "value " << i;
      EXPECT_EQ(bytes, expected[i].bytes) << "value " << i;
    }
  }

  std::vector<Expected> ClassValues() {
    return {{L"", pf::REG_SZ, Sz(L"")},
            {L"Class", pf::REG_SZ, Sz(L"Printer")},
            {L"Icon", pf::REG_SZ, Sz(L"-4")},
            {L"Installer32", pf::REG_SZ, Sz(L"ntprint.dll,ClassInstall32")},
            {L"NoDisplayClass", pf::REG_SZ, Sz(L"1")},
            {L"EnumPropPages32", pf::REG_SZ, Sz(L"printui.dll,PrinterPropPageProvider")}};
  }

  pf::sim::ScopedSimPc pc_;
  SetupContext context_;
};

TEST_F(DeviceKeysTest, EmptyClassKeyGetsClassValuesInstance0000AndTheUsbStagedSet) {
  reg().CreateKey(HKEY_LOCAL_MACHINE, kClass);
  AddDevice(kUsbEnum, L"tavirtq-5800tqmm");
  ProvisionUsbDeviceKeys(context_, kUsbId);

  std::vector<Expected> expected = ClassValues();
  const std::vector<Expected> staged = {
      {L"_DeviceDesc", pf::REG_SZ, Sz(L"TQ-5800")},
      {L"_ConfigFlags", pf::REG_DWORD, Dword(0)},
      {L"_ClassGUID", pf::REG_SZ, Sz(L"{4D36E979-E325-11CE-BFC1-08002BE10318}")},
      {L"_Class", pf::REG_SZ, Sz(L"Printer")},
      {L"_Driver", pf::REG_SZ, Sz(L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0000")},
      {L"_Mfg", pf::REG_SZ, Sz(L"TAVIR")},
      {L"_UpdateMode", pf::REG_DWORD, Dword(0)},
      {L"_ToPath", pf::REG_SZ, Sz(L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRTQ-5800TQMM")}};
  expected.insert(expected.end(), staged.begin(), staged.end());
  ExpectValues(kClass, expected);
  EXPECT_EQ(reg().SubkeyNames(HKEY_LOCAL_MACHINE, kClass), std::vector<std::wstring>{L"0000"});
  ExpectValues(kClass + L"\\0000", {{L"ProviderName", pf::REG_SZ, Sz(L"TAVIR")},
                                    {L"MatchingDeviceId", pf::REG_SZ, Sz(L"usbprint\\" + kUsbId)},
                                    {L"DriverDesc", pf::REG_SZ, Sz(L"TAVIR TQ-5800")}});
  // setup itself leaves the device key alone; Spoolmate writes it.
  ExpectValues(kUsbEnum + L"\\tavirtq-5800tqmm\\1&2&3&0", {{L"HardwareID", pf::REG_SZ, Sz(L"tavirtq-5800tqmm")}});
}

TEST_F(DeviceKeysTest, ExistingInstancesGiveTheNextNumberAndTheParallelStagedSet) {
  for (const wchar_t* name : {L"0000", L"0003", L"Properties"}) reg().CreateKey(HKEY_LOCAL_MACHINE, kClass + L"\\" + name);
  AddDevice(kLptEnum, L"EPSONLQ-300");
  AddDevice(kLptEnum, L"TAVIRTqPrinter5800");
  ProvisionLptDeviceKeys(context_, kLptId);

  ExpectValues(kClass, {{L"_DeviceDesc", pf::REG_SZ, Sz(L"TQ-5800")},
                        {L"_ConfigFlags", pf::REG_DWORD, Dword(0)},
                        {L"_ClassGUID", pf::REG_SZ, Sz(L"{4D36E979-E325-11CE-BFC1-08002BE10318}")},
                        {L"_Driver", pf::REG_SZ, Sz(L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0004")},
                        {L"_Class", pf::REG_SZ, Sz(L"Printer")},
                        {L"_Mfg", pf::REG_SZ, Sz(L"TAVIR")},
                        {L"_UpdateMode", pf::REG_DWORD, Dword(2)},
                        {L"_BrandSeries", pf::REG_SZ, Sz(L"TAVIRTQ")},
                        {L"_ToPath", pf::REG_SZ, Sz(L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TAVIRTQPRINTER5800")}});
  EXPECT_EQ(reg().SubkeyNames(HKEY_LOCAL_MACHINE, kClass),
            (std::vector<std::wstring>{L"0000", L"0003", L"0004", L"Properties"}));
  ExpectValues(kClass + L"\\0004", {{L"ProviderName", pf::REG_SZ, Sz(L"TAVIR")},
                                    {L"MatchingDeviceId", pf::REG_SZ, Sz(L"LPTENUM\\" + kLptId)},
                                    {L"DriverDesc", pf::REG_SZ, Sz(L"TAVIR TQ-5800")}});
  EXPECT_TRUE(reg().ValueNames(HKEY_LOCAL_MACHINE, kClass + L"\\0003").empty());
}

TEST_F(DeviceKeysTest, OnlyTheFirstMatchingUsbIdIsStaged) {
  AddDevice(kUsbEnum, L"ACME_LASER");
  AddDevice(kUsbEnum, L"B_TQ-5800_SECOND");
  AddDevice(kUsbEnum, L"a_tq-5800_first");
  context_.deviceDescription = L"tq-5800";
  ProvisionUsbDeviceKeys(context_, kUsbId);
  std::wstring toPath;
  ASSERT_TRUE(reg().GetString(HKEY_LOCAL_MACHINE, kClass, L"_ToPath", &toPath));
  EXPECT_EQ(toPath, kUsbEnum + L"\\A_TQ-5800_FIRST");
}

TEST_F(DeviceKeysTest, EmptyDescriptionMatchesTheFirstUsbId) {
  AddDevice(kUsbEnum, L"ACME_LASER");
  AddDevice(kUsbEnum, L"TAVIRTQ-5800TQMM");
  context_.deviceDescription.clear();
  ProvisionUsbDeviceKeys(context_, kUsbId);
  std::wstring toPath, description = L"unchanged";
  ASSERT_TRUE(reg().GetString(HKEY_LOCAL_MACHINE, kClass, L"_ToPath", &toPath));
  EXPECT_EQ(toPath, kUsbEnum + L"\\ACME_LASER");
  ASSERT_TRUE(reg().GetString(HKEY_LOCAL_MACHINE, kClass, L"_DeviceDesc", &description));
  EXPECT_EQ(description, L"");
}

// Without a device to stage for, the class values and the instance are still written.
TEST_F(DeviceKeysTest, NoMatchingOrNoEnumeratedDeviceStagesNothing) {
  AddDevice(kLptEnum, L"EPSONLQ-300");
  AddDevice(kLptEnum, L"TQ_PRINTER");  // prefix and word apart
  ProvisionLptDeviceKeys(context_, kLptId);
  ExpectValues(kClass, ClassValues());
  EXPECT_EQ(reg().SubkeyNames(HKEY_LOCAL_MACHINE, kClass), std::vector<std::wstring>{L"0000"});

  ProvisionUsbDeviceKeys(context_, kUsbId);  // no USBPRINT key at all
  ExpectValues(kClass, ClassValues());
  EXPECT_EQ(reg().SubkeyNames(HKEY_LOCAL_MACHINE, kClass), (std::vector<std::wstring>{L"0000", L"0001"}));
  EXPECT_FALSE(reg().KeyExists(HKEY_LOCAL_MACHINE, kUsbEnum));
}

TEST_F(DeviceKeysTest, KeysThatCannotBeOpenedEndTheirSteps) {
  AddDevice(kUsbEnum, L"TAVIRTQ-5800TQMM");
  reg().FailOpen(HKEY_LOCAL_MACHINE, kClass);
  ProvisionUsbDeviceKeys(context_, kUsbId);
  EXPECT_FALSE(reg().KeyExists(HKEY_LOCAL_MACHINE, kClass));  // not even through the instance's path

  reg().ClearFaults();
  reg().FailOpen(HKEY_LOCAL_MACHINE, kUsbEnum + L"\\TAVIRTQ-5800TQMM");
  ProvisionUsbDeviceKeys(context_, kUsbId);
  ExpectValues(kClass, ClassValues());
  EXPECT_EQ(reg().SubkeyNames(HKEY_LOCAL_MACHINE, kClass), std::vector<std::wstring>{L"0000"});
}

}  // namespace
