// The simulated registry on the kernel, and what Wine cannot show: the
// Enum subtree that only the local system account may change (Wine does not
// enforce the registry's security), and volatile keys that vanish on a
// restart (under Wine only a restart of wineserver drops them).
#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_sync.h"

namespace pf::sim {
namespace {

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum";
const std::wstring kDevice = kEnum + L"\\USBPRINT\\TAVIRTQ-5800TQMM\\1";
constexpr DWORD kDelete = 0x10000;

class SimRegistryTest : public ::testing::Test {
 protected:
  SimRegistry& reg() { return pc_->registry(); }
  SimKernel& kernel() { return pc_->kernel(); }

  // Runs action on a thread of its own as the local system account.
  template <typename Action>
  void AsLocalSystem(Action action) {
    std::thread thread([&] {
      kernel().SetCallerAccount(Account::LocalSystem);
      action();
    });
    thread.join();
  }

  ScopedSimPc pc_;
};

TEST_F(SimRegistryTest, KeysAreKernelHandlesThatOnlyRegCloseKeyCloses) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\A", 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(kernel().OpenHandleCount(ObjectKind::RegistryKey), 1u);
  EXPECT_EQ(reg().OpenHandleCount(), 1u);

  EXPECT_FALSE(CloseHandle(key));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(RegSetValueExW(key, L"Still", REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4), ERROR_SUCCESS);

  const HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(RegCloseKey(event), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // untouched

  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExW(key, L"After", REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // a root is never closed
  EXPECT_EQ(kernel().OpenHandleCount(ObjectKind::RegistryKey), 0u);

  HKEY again = 0;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\A", 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_NE(again, key);  // never the closed handle's value again
  RegCloseKey(again);
  CloseHandle(event);
}

TEST_F(SimRegistryTest, CallsFailThroughTheKernelUnderTheirOwnNamesAndLeaveTheLastError) {
  reg().SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\K", L"Name", L"value");
  kernel().FailCall("RegOpenKeyExW", ERROR_CANTOPEN, 1);
  kernel().FailCall("RegQueryValueExA", ERROR_BADKEY, -1);
  SetLastError(1234);
  kernel().ClearCalls();

  HKEY first = 0, second = 0, third = 0;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\K", 0, KEY_READ, &first), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\K", 0, KEY_READ, &second), ERROR_CANTOPEN);
  EXPECT_EQ(second, 0u);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", 0, KEY_READ, &third), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(first, L"Name", nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(third, "Name", nullptr, nullptr, &size), ERROR_BADKEY);
  EXPECT_EQ(GetLastError(), 1234u);  // registry calls return their error instead

  EXPECT_EQ(kernel().Calls(), (std::vector<std::string>{"RegOpenKeyExW", "RegOpenKeyExW", "RegOpenKeyExA",
                                                         "RegQueryValueExW", "RegQueryValueExA"}));
  RegCloseKey(first);
  RegCloseKey(third);
}

TEST_F(SimRegistryTest, AnsiFormsUseThePcsAnsiCodePage) {
  HKEY key = 0;
  const char name[] = "SOFTWARE\\\xD6\xD0\xCE\xC4";  // "中文" in code page 936
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  const char text[] = "\xB4\xF2\xD3\xA1";  // "打印"
  ASSERT_EQ(RegSetValueExA(key, "Text", REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  RegCloseKey(key);
  std::wstring stored;
  ASSERT_TRUE(reg().GetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\\x4E2D\x6587", L"Text", &stored));
  EXPECT_EQ(stored, L"\x6253\x5370");

  pc_->codePages().SetAnsiCodePage(1252);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<std::string> names;
  char found[64];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof found;
    if (RegEnumKeyExA(key, index, found, &length) != ERROR_SUCCESS) break;
    names.emplace_back(found, length);
  }
  RegCloseKey(key);
  EXPECT_NE(std::find(names.begin(), names.end(), "??"), names.end());  // what 1252 cannot hold
}

TEST_F(SimRegistryTest, TheAdministratorReadsEnumButCannotChangeIt) {
  reg().SetString(HKEY_LOCAL_MACHINE, kDevice, L"Mfg", L"TAVIR");
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDevice.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"Mfg", nullptr, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);

  for (DWORD access : {KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_READ | KEY_WRITE, KEY_ALL_ACCESS, kDelete}) {
    SCOPED_TRACE(access);
    key = 0;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDevice.c_str(), 0, access, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDevice.c_str(), 0, access, &key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "system\\currentcontrolset\\ENUM", 0, access, &key),
              ERROR_ACCESS_DENIED);
  }
  // A new key needs the right to add keys to Enum's subtree, whatever it asks for itself.
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kDevice + L"\\Device Parameters").c_str(), 0, KEY_READ, &key,
                            nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_FALSE(reg().KeyExists(HKEY_LOCAL_MACHINE, kDevice + L"\\Device Parameters"));
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDevice.c_str()), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(reg().KeyExists(HKEY_LOCAL_MACHINE, kDevice));

  // Reaching it from a key the administrator may change makes no difference.
  HKEY controlSet = 0;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet", 0, KEY_ALL_ACCESS, &controlSet),
            ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(controlSet, L"enum\\usbprint", 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExW(controlSet, L"Enum\\LPTENUM", 0, KEY_READ, &key, nullptr), ERROR_ACCESS_DENIED);
  // Next to Enum, and in a key whose name only begins with it, the administrator writes.
  EXPECT_EQ(RegCreateKeyExW(controlSet, L"Control\\Class\\X", 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyExW(controlSet, L"EnumX", 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
  RegCloseKey(controlSet);
  EXPECT_EQ(kernel().OpenHandleCount(ObjectKind::RegistryKey), 0u);
}

TEST_F(SimRegistryTest, TheLocalSystemAccountChangesEnum) {
  reg().CreateKey(HKEY_LOCAL_MACHINE, kDevice);
  AsLocalSystem([&] {
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kDevice + L"\\Device Parameters").c_str(), 0, KEY_ALL_ACCESS,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRTQ-5800TQMM\\1", 0,
                            KEY_READ | KEY_WRITE, &key),
              ERROR_SUCCESS);
    const char driver[] = "{4D36E979-E325-11CE-BFC1-08002BE10318}\\0004";
    EXPECT_EQ(RegSetValueExA(key, "Driver", REG_SZ, reinterpret_cast<const BYTE*>(driver), sizeof driver),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kDevice + L"\\Device Parameters").c_str()), ERROR_SUCCESS);
  });
  std::wstring driver;
  EXPECT_TRUE(reg().GetString(HKEY_LOCAL_MACHINE, kDevice, L"Driver", &driver));
  EXPECT_EQ(driver, L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0004");
  EXPECT_FALSE(reg().KeyExists(HKEY_LOCAL_MACHINE, kDevice + L"\\Device Parameters"));
}

TEST_F(SimRegistryTest, VolatileKeysVanishOnRestartAndHoldOnlyVolatileKeys) {
  HKEY session = 0, child = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Session\\Now", REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            &session, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExW(session, L"Kept", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &child, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Session\\Kept", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            &child, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);  // the key made on the way is volatile too
  ASSERT_EQ(RegCreateKeyExW(session, L"Child", REG_OPTION_VOLATILE, KEY_ALL_ACCESS, &child, nullptr), ERROR_SUCCESS);
  RegCloseKey(child);
  const BYTE one[] = {1, 0, 0, 0};
  ASSERT_EQ(RegSetValueExW(session, L"Value", REG_DWORD, one, sizeof one), ERROR_SUCCESS);
  reg().SetDword(HKEY_CURRENT_USER, L"Software\\Lasting", L"Value", 1);
  EXPECT_TRUE(reg().KeyExists(HKEY_CURRENT_USER, L"Software\\Session\\Now\\Child"));

  pc_->Restart();
  EXPECT_FALSE(reg().KeyExists(HKEY_CURRENT_USER, L"Software\\Session"));
  EXPECT_TRUE(reg().KeyExists(HKEY_CURRENT_USER, L"Software\\Lasting"));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(session, L"Value", nullptr, nullptr, &size), ERROR_KEY_DELETED);
  RegCloseKey(session);
}

}  // namespace
}  // namespace pf::sim
