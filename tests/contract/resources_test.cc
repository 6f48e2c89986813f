// The program's own resources (tests/contract/contract.rc): the same
// assertions against the simulated PC and Win32.
#include <string>

#include "platform/platform.h"
#include "tests/contract/contract_env.h"

namespace {

using namespace pf;

std::string Bytes(HRSRC resource) {
  HGLOBAL loaded = LoadResource(0, resource);
  EXPECT_NE(loaded, 0u);
  const DWORD size = SizeofResource(0, resource);
  const void* data = LockResource(loaded);
  EXPECT_NE(data, nullptr);
  return data != nullptr ? std::string(static_cast<const char*>(data), size) : std::string();
}

TEST_F(ContractTest, ACustomTypeResourceIsFoundByNumberAndByName) {
  HRSRC resource = FindResourceW(0, MAKEINTRESOURCEW(232), L"WIN7");
  ASSERT_NE(resource, 0u) << GetLastError();
  EXPECT_EQ(Bytes(resource), "TQ contract payload, resource WIN7 232\r\n");
  // Types and names compare without case, and "#232" stands for the number.
  EXPECT_EQ(FindResourceW(0, L"#232", L"win7"), resource);

  HRSRC named = FindResourceW(0, L"tqnamed", L"Win7");
  ASSERT_NE(named, 0u) << GetLastError();
  EXPECT_EQ(Bytes(named), "named payload");
}

TEST_F(ContractTest, AMissingTypeOrNameIsReportedApart) {
  SetLastError(0);
  EXPECT_EQ(FindResourceW(0, MAKEINTRESOURCEW(232), L"TQNOTYPE"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(FindResourceW(0, MAKEINTRESOURCEW(233), L"WIN7"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
