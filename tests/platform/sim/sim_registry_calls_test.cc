// The simulated registry's calls in the kernel's record and its faults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"

namespace pf::sim {
namespace {

TEST(SimRegistryCallsTest, EachCallIsRecordedOnceUnderItsOwnName) {
  ScopedSimPc pc;
  pc->registry().SetDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\T", L"Count", 1);
  pc->kernel().ClearCalls();
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE data[4];
  DWORD size = sizeof(data);
  EXPECT_EQ(RegQueryValueExW(key, L"Count", nullptr, data, &size), ERROR_SUCCESS);
  char name[8];
  DWORD length = 8;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  // The ANSI forms run through the wide ones without a second entry.
  EXPECT_EQ(pc->kernel().Calls(), (std::vector<std::string>{"RegOpenKeyExA", "RegQueryValueExW", "RegEnumKeyExA",
                                                            "RegCloseKey"}));
}

TEST(SimRegistryCallsTest, AFailedCallReturnsTheFaultsErrorAndChangesNothing) {
  ScopedSimPc pc;
  pc->registry().CreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\T");
  pc->kernel().FailCall("RegSetValueExW", ERROR_ACCESS_DENIED, 1);
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\T", 0, KEY_READ | KEY_WRITE, &key), ERROR_SUCCESS);
  const BYTE one[4] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueExW(key, L"First", REG_DWORD, one, 4), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, L"Second", REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(pc->registry().ValueNames(HKEY_LOCAL_MACHINE, L"SOFTWARE\\T"), (std::vector<std::wstring>{L"First"}));
}

}  // namespace
}  // namespace pf::sim
