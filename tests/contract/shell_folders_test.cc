// The system's folders: the same assertions against the simulated PC and Win32.
#include <cwctype>
#include <string>

#include "platform/platform.h"
#include "tests/contract/contract_env.h"

namespace {

using namespace pf;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

TEST_F(ContractTest, TheSystemFolderIsSystem32InsideTheWindowsFolder) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, MAX_PATH);
  const std::wstring systemFolder(system, length);
  EXPECT_EQ(systemFolder.size(), std::wstring(system).size());
  ASSERT_GE(systemFolder.size(), 9u);
  EXPECT_EQ(Lower(systemFolder.substr(systemFolder.size() - 9)), L"\\system32");

  wchar_t small[3];
  EXPECT_EQ(GetSystemDirectoryW(small, 3), length + 1);  // the size it needs, NUL included

  wchar_t windows[MAX_PATH];
  const UINT windowsLength = GetWindowsDirectoryW(windows, MAX_PATH);
  ASSERT_GT(windowsLength, 0u);
  EXPECT_EQ(Lower(systemFolder.substr(0, windowsLength)), Lower(windows));
}

TEST_F(ContractTest, TheCommonProgramFilesFolderIsKnownAndAnUnknownOneIsNot) {
  wchar_t path[MAX_PATH] = L"x";
  ASSERT_TRUE(SHGetSpecialFolderPathW(0, path, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  const std::wstring common = path;
  ASSERT_GT(common.size(), 3u);
  EXPECT_EQ(common.substr(1, 2), L":\\");
  EXPECT_NE(Lower(common).find(L"common files"), std::wstring::npos);

  wchar_t unknown[MAX_PATH] = L"x";
  EXPECT_FALSE(SHGetSpecialFolderPathW(0, unknown, 0x7777, FALSE));
  EXPECT_STREQ(unknown, L"");
}

}  // namespace
