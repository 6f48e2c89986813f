#include <gtest/gtest.h>

#include <string>

#include "contract_env.h"
#include "platform/platform.h"

namespace {

using namespace pf;

TEST_F(ContractTest, GetVersionExWReportsAnNtSystemForTheRightSizeOnly) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(info.dwMajorVersion, 5u);
  OSVERSIONINFOW wrong{};
  wrong.dwOSVersionInfoSize = 100;
  EXPECT_FALSE(GetVersionExW(&wrong));
}

// The contract tests run on a 32-bit PC (the simulated one, Wine's 32-bit
// prefix): the program is not under WOW64. The win32 backend finds the
// function in kernel32 at run time.
TEST_F(ContractTest, IsWow64ProcessAnswersForTheCurrentProcessAndRefusesABadHandle) {
  BOOL wow64 = TRUE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_EQ(wow64, FALSE);
  EXPECT_FALSE(IsWow64Process(0x1234, &wow64));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ContractTest, ModulePathEndsWithTheProgramAndTruncatesLikeWindows) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(0, path, MAX_PATH);
  ASSERT_GT(length, 4u);
  const std::wstring full(path, length);
  EXPECT_EQ(full.size(), std::wstring(path).size());
  EXPECT_EQ(full.substr(full.size() - 4), L".exe");
  wchar_t small[4];
  EXPECT_EQ(GetModuleFileNameW(0, small, 4), 4u);
  EXPECT_EQ(std::wstring(small, 3), full.substr(0, 3));
  // Windows since Vista ends the cut path with a NUL; Wine, like XP, does not.
  if (IsSimulated()) EXPECT_EQ(small[3], L'\0');
  char narrow[MAX_PATH];
  EXPECT_GT(GetModuleFileNameA(0, narrow, MAX_PATH), 4u);
}

TEST_F(ContractTest, TickCounterAdvancesAcrossSleep) {
  const DWORD before = GetTickCount();
  Sleep(50);
  const DWORD elapsed = GetTickCount() - before;
  if (IsSimulated()) {
    EXPECT_EQ(elapsed, 50u);  // the simulated clock moves by exactly the time slept
  } else {
    // The real counter ticks in steps of 10 to 16 ms and a sleep may end early
    // by up to one step, so only its advance is certain.
    EXPECT_GT(elapsed, 0u);
    EXPECT_LT(elapsed, 5000u);
  }
}

}  // namespace
