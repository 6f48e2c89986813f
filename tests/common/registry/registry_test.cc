#include "common/registry/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"

namespace {

using pf::HKEY_LOCAL_MACHINE;

class CRegistryTest : public ::testing::Test {
 protected:
  pf::sim::ScopedSimPc pc_;
  pf::sim::SimRegistry& reg() { return pc_->registry(); }
};

TEST_F(CRegistryTest, StringBufferIs1023BytesAndTakesFirstString) {
  reg().SetString(HKEY_LOCAL_MACHINE, L"A", L"Fits", std::wstring(510, L'x'));    // 1022 bytes
  reg().SetString(HKEY_LOCAL_MACHINE, L"A", L"TooLong", std::wstring(511, L'y'));  // 1024 bytes
  reg().SetMultiString(HKEY_LOCAL_MACHINE, L"A", L"HardwareID", {L"USB\\VID_1", L"USB\\VID_2"});
  CRegistry key(HKEY_LOCAL_MACHINE, pf::KEY_READ);
  ASSERT_TRUE(key.Open(L"A", false));
  std::wstring text = L"before";
  EXPECT_FALSE(key.ReadString(L"TooLong", &text));
  EXPECT_EQ(text, L"before");
  EXPECT_FALSE(key.ReadString(L"Missing", &text));
  EXPECT_EQ(text, L"before");
  ASSERT_TRUE(key.ReadString(L"Fits", &text));
  EXPECT_EQ(text, std::wstring(510, L'x'));
  ASSERT_TRUE(key.ReadString(L"HardwareID", &text));
  EXPECT_EQ(text, L"USB\\VID_1");
}

TEST_F(CRegistryTest, OpenCreatesOnlyWithFlagAndFailureKeepsCurrentKey) {
  CRegistry key(HKEY_LOCAL_MACHINE, pf::KEY_READ | pf::KEY_WRITE);
  EXPECT_FALSE(key.Open(L"New\\Key", false));
  EXPECT_EQ(key.key(), HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(key.Open(L"New\\Key", true));
  EXPECT_TRUE(reg().KeyExists(HKEY_LOCAL_MACHINE, L"NEW\\key"));
  EXPECT_EQ(key.CountSubkeys(), 0u);
  pf::HKEY opened = key.key();
  reg().FailOpen(HKEY_LOCAL_MACHINE, L"New\\Key\\Denied");
  EXPECT_FALSE(key.Open(L"Denied", true));
  EXPECT_EQ(key.key(), opened);
  EXPECT_FALSE(reg().KeyExists(HKEY_LOCAL_MACHINE, L"New\\Key\\Denied"));
}

TEST_F(CRegistryTest, WritesSizesDefaultsAndInjectedWriteFaults) {
  CRegistry key(HKEY_LOCAL_MACHINE, pf::KEY_READ | pf::KEY_WRITE);
  ASSERT_TRUE(key.Open(L"W", true));
  ASSERT_TRUE(key.WriteString(L"S", L"ab"));
  pf::DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(reg().GetValue(HKEY_LOCAL_MACHINE, L"W", L"s", &type, &bytes));
  EXPECT_EQ(type, pf::REG_SZ);
  EXPECT_EQ(bytes, std::string("a\0b\0\0\0", 6));
  EXPECT_EQ(key.ReadDwordOrDefault(L"D", 7u), 7u);
  pf::DWORD stored = 0;
  ASSERT_TRUE(reg().GetDword(HKEY_LOCAL_MACHINE, L"W", L"D", &stored));
  EXPECT_EQ(stored, 7u);
  reg().FailWrite(HKEY_LOCAL_MACHINE, L"W");
  EXPECT_FALSE(key.WriteDword(L"D", 9u));
  EXPECT_FALSE(key.DeleteValue(L"D"));
  ASSERT_TRUE(reg().GetDword(HKEY_LOCAL_MACHINE, L"W", L"D", &stored));
  EXPECT_EQ(stored, 7u);
}

TEST_F(CRegistryTest, AnsiFormListsSubkeysInWindowsOrder) {
  reg().CreateKey(HKEY_LOCAL_MACHINE, L"E\\beta");
  reg().CreateKey(HKEY_LOCAL_MACHINE, L"E\\Alpha");
  reg().CreateKey(HKEY_LOCAL_MACHINE, L"E\\gamma");
  CRegistryA key(HKEY_LOCAL_MACHINE, pf::KEY_READ);
  ASSERT_TRUE(key.Open("E", false));
  std::vector<std::string> names{"kept"};
  key.ListSubkeys(&names);
  EXPECT_EQ(names, (std::vector<std::string>{"kept", "Alpha", "beta", "gamma"}));
}

TEST_F(CRegistryTest, OwnsOneKeyAtATimeAndNeverClosesItsRoot) {
  reg().CreateKey(HKEY_LOCAL_MACHINE, L"O\\Inner");
  auto keysOpen = [&] { return pc_->kernel().OpenHandleCount(pf::sim::ObjectKind::RegistryKey); };
  {
    CRegistry key(HKEY_LOCAL_MACHINE, pf::KEY_READ);
    EXPECT_EQ(keysOpen(), 0u);
    ASSERT_TRUE(key.Open(L"O", false));
    const pf::HKEY outer = key.key();
    ASSERT_TRUE(key.Open(L"Inner", false));  // below the current key, which it then closes
    EXPECT_EQ(keysOpen(), 1u);
    EXPECT_EQ(pf::RegCloseKey(outer), pf::ERROR_INVALID_HANDLE);
    ASSERT_TRUE(key.OpenFrom(HKEY_LOCAL_MACHINE, L"O", true));
    EXPECT_EQ(keysOpen(), 1u);  // creating it on the way left nothing open
  }
  EXPECT_EQ(keysOpen(), 0u);
  pc_->kernel().ClearCalls();
  {
    CRegistry root(HKEY_LOCAL_MACHINE, pf::KEY_READ);
    root.Close();
    EXPECT_EQ(root.key(), 0u);
    EXPECT_FALSE(root.Open(L"O", false));
  }
  const std::vector<std::string> calls = pc_->kernel().Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "RegCloseKey"), 0);  // the root was never handed to it
}

TEST_F(CRegistryTest, SetupCannotWriteADeviceKeyThatOnlyAServiceMay) {
  const std::wstring device = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRTQ-5800TQMM\\1";
  reg().SetString(HKEY_LOCAL_MACHINE, device, L"Mfg", L"TAVIR");
  CRegistry writer(HKEY_LOCAL_MACHINE, pf::KEY_READ | pf::KEY_WRITE);
  EXPECT_FALSE(writer.Open(device, true));
  EXPECT_EQ(writer.key(), HKEY_LOCAL_MACHINE);
  CRegistry reader(HKEY_LOCAL_MACHINE, pf::KEY_READ);
  ASSERT_TRUE(reader.Open(device, false));
  std::wstring mfg;
  EXPECT_TRUE(reader.ReadString(L"Mfg", &mfg));
  EXPECT_EQ(mfg, L"TAVIR");
}

}  // namespace
