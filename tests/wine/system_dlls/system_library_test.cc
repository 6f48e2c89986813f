// The win32 backend's loader of the system DLLs that are not known DLLs
// (platform/win32/system_library.h), under Wine. The test program runs with
// winspool.drv, setupapi.dll and shell32.dll refused (CMakeLists.txt), which
// the seam's tests beside this file need.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/system_library.h"

namespace {

using pf::win32::SystemFunction;
using pf::win32::SystemLibrary;

TEST(SystemLibrary, FindsAFunctionOfASystemDllAndKeepsIt) {
  SystemLibrary kernel(L"kernel32.dll");
  SystemFunction<decltype(::GetTickCount)> tickCount(kernel, "GetTickCount");
  const auto found = tickCount.Get();
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(found),
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount")));
  EXPECT_EQ(tickCount.Get(), found);
  const DWORD now = ::GetTickCount();
  EXPECT_LE(found() - now, 1000u);
}

TEST(SystemLibrary, AFunctionTheDllDoesNotExportIsNullWithTheLoadersError) {
  SystemLibrary kernel(L"kernel32.dll");
  SystemFunction<decltype(::GetTickCount)> missing(kernel, "TqNoSuchFunction");
  ::SetLastError(0);
  EXPECT_EQ(missing.Get(), nullptr);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST(SystemLibrary, ADllThatCannotBeLoadedGivesNullWithTheLoadersErrorEachTime) {
  for (const wchar_t* name : {L"tq-no-such-library.dll", L"winspool.drv"}) {
    SystemLibrary library(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
      ::SetLastError(0);
      EXPECT_EQ(library.Find("EnumPrintersW"), nullptr) << name;
      EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << name;
    }
  }
}

TEST(SystemDllsEnvironment, WineRefusesWinspoolSetupApiAndShell32) {
  for (const wchar_t* name : {L"winspool.drv", L"setupapi.dll", L"shell32.dll"}) {
    const HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr) ::FreeLibrary(module);
    EXPECT_EQ(module, nullptr) << "run under ctest, which refuses " << name;
  }
}

}  // namespace
