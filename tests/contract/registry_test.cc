// The registry seam: the same assertions against the simulated PC and Win32.
#include <string>
#include <vector>

#include "common/registry/registry.h"
#include "platform/platform.h"
#include "tests/contract/contract_env.h"

namespace {

using namespace pf;

class RegistryContract : public ContractTest {
 protected:
  HKEY OpenScratch(DWORD access) {
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, ScratchKeyPath().c_str(), 0, access, &key), ERROR_SUCCESS);
    return key;
  }
};

TEST_F(RegistryContract, QuerySizesTypesAndMoreData) {
  HKEY key = OpenScratch(KEY_ALL_ACCESS);
  const BYTE text[] = {'h', 0, 'i', 0, 0, 0};
  ASSERT_EQ(RegSetValueExW(key, L"Name", REG_SZ, text, sizeof text), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key, L"NAME", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);
  BYTE small[4];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key, L"name", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  BYTE big[16] = {};
  size = sizeof big;
  ASSERT_EQ(RegQueryValueExW(key, L"name", &type, big, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(big), size), std::string("h\0i\0\0\0", 6));
  // The ANSI form converts the stored UTF-16 text.
  char ansi[16] = {};
  size = sizeof ansi;
  ASSERT_EQ(RegQueryValueExA(key, "Name", &type, reinterpret_cast<BYTE*>(ansi), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_STREQ(ansi, "hi");
  EXPECT_EQ(RegQueryValueExW(key, L"Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(key, L"NAME"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, L"Name"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryContract, NamesCompareWithoutCaseBeyondAscii) {
  HKEY key = OpenScratch(KEY_ALL_ACCESS);
  HKEY sub = 0;
  ASSERT_EQ(RegCreateKeyExW(key, L"B\u00E4r", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &sub, nullptr), ERROR_SUCCESS);
  RegCloseKey(sub);
  sub = 0;
  EXPECT_EQ(RegOpenKeyExW(key, L"B\u00C4R", 0, KEY_READ, &sub), ERROR_SUCCESS);
  RegCloseKey(sub);
  // Full-width letters fold among themselves, not to ASCII.
  const BYTE one[4] = {1, 0, 0, 0};
  ASSERT_EQ(RegSetValueExW(key, L"\uFF54\uFF51", REG_DWORD, one, 4), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"\uFF34\uFF31", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, L"TQ", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  // One unit never becomes two.
  ASSERT_EQ(RegSetValueExW(key, L"stra\u00DFe", REG_DWORD, one, 4), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, L"STRASSE", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryContract, EnumerationOrderShortBufferAndEnd) {
  HKEY key = OpenScratch(KEY_ALL_ACCESS);
  for (const wchar_t* name : {L"beta", L"Alpha", L"gamma_long_name"}) {
    HKEY sub = 0;
    ASSERT_EQ(RegCreateKeyExW(key, name, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
  }
  std::vector<std::wstring> names;
  wchar_t name[64];
  DWORD index = 0;
  for (;; ++index) {
    DWORD length = 64;
    LONG rc = RegEnumKeyExW(key, index, name, &length);
    if (rc != ERROR_SUCCESS) {
      EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, length);
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma_long_name"}));
  DWORD length = 5;  // "gamma_long_name" needs 16
  EXPECT_EQ(RegEnumKeyExW(key, 2, name, &length), ERROR_MORE_DATA);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, ScratchKeyPath().c_str()), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
}

TEST_F(RegistryContract, AccessMasksAndDeletedKeys) {
  HKEY read = OpenScratch(KEY_READ);
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueExW(read, L"D", REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
  RegCloseKey(read);
  HKEY queryOnly = OpenScratch(KEY_QUERY_VALUE);
  wchar_t name[16];
  DWORD length = 16;
  EXPECT_EQ(RegEnumKeyExW(queryOnly, 0, name, &length), ERROR_ACCESS_DENIED);
  RegCloseKey(queryOnly);

  HKEY parent = OpenScratch(KEY_ALL_ACCESS);
  HKEY child = 0;
  ASSERT_EQ(RegCreateKeyExW(parent, L"Child", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &child, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(parent, L"Child"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(child, L"D", REG_DWORD, one, 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  HKEY missing = 0;
  EXPECT_EQ(RegOpenKeyExW(parent, L"Child", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  RegCloseKey(parent);
}

TEST_F(RegistryContract, CRegistryStringLimitsAndMultiStrings) {
  CRegistry key(HKEY_CURRENT_USER, KEY_READ | KEY_WRITE);
  ASSERT_TRUE(key.Open(ScratchKeyPath() + L"\\Made", true));
  ASSERT_TRUE(key.WriteString(L"Fits", std::wstring(510, L'x')));    // 1022 bytes
  ASSERT_TRUE(key.WriteString(L"TooLong", std::wstring(511, L'y')));  // 1024 bytes
  const BYTE multi[] = {'A', 0, 0, 0, 'B', 0, 0, 0, 0, 0};
  ASSERT_EQ(RegSetValueExW(key.key(), L"HardwareID", REG_MULTI_SZ, multi, sizeof multi), ERROR_SUCCESS);
  std::wstring text = L"kept";
  EXPECT_FALSE(key.ReadString(L"TooLong", &text));
  EXPECT_EQ(text, L"kept");
  ASSERT_TRUE(key.ReadString(L"Fits", &text));
  EXPECT_EQ(text.size(), 510u);
  ASSERT_TRUE(key.ReadString(L"HardwareID", &text));
  EXPECT_EQ(text, L"A");

  CRegistryA ansi(HKEY_CURRENT_USER, KEY_READ | KEY_WRITE);
  const std::wstring widePath = ScratchKeyPath();
  std::string path(widePath.begin(), widePath.end());
  EXPECT_FALSE(ansi.Open(path + "\\Absent", false));
  ASSERT_TRUE(ansi.Open(path + "\\MADE", false));
  EXPECT_EQ(ansi.ReadStringOrDefault("Fresh", "dflt"), "dflt");
  std::string stored;
  ASSERT_TRUE(ansi.ReadString("fresh", &stored));
  EXPECT_EQ(stored, "dflt");
  EXPECT_EQ(ansi.CountSubkeys(), 0u);
}

// A volatile key is a key like any other until the system restarts, and only
// volatile keys may be made below it. That it is gone after a restart, and
// that an administrator may not write to the Enum subtree, Wine cannot show
// (it drops volatile keys only when wineserver restarts, and does not enforce
// the registry's security): tests/platform/sim/sim_registry_test.cc.
TEST_F(RegistryContract, VolatileKeysHoldOnlyVolatileKeys) {
  HKEY scratch = OpenScratch(KEY_ALL_ACCESS);
  HKEY session = 0, child = 0;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(scratch, L"Session", REG_OPTION_VOLATILE, KEY_ALL_ACCESS, &session, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const BYTE one[] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueExW(session, L"Value", REG_DWORD, one, sizeof one), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExW(session, L"Lasting", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &child, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);
  ASSERT_EQ(RegCreateKeyExW(session, L"Child", REG_OPTION_VOLATILE, KEY_ALL_ACCESS, &child, nullptr), ERROR_SUCCESS);
  RegCloseKey(child);
  // Opening it again, by either form, finds the same key.
  ASSERT_EQ(RegCreateKeyExW(scratch, L"Session", REG_OPTION_NON_VOLATILE, KEY_READ, &child, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(child, L"Value", nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  RegCloseKey(child);
  EXPECT_EQ(RegDeleteKeyW(session, L"Child"), ERROR_SUCCESS);
  RegCloseKey(session);
  RegCloseKey(scratch);
}

}  // namespace
