// The contract tests' environment on the real Windows platform (under Wine in
// the tests): a scratch folder under the temporary folder and a scratch key
// under HKEY_CURRENT_USER, both removed afterwards, and seeds written into the
// real registry, whose new keys are removed afterwards.
#include <string>

#include "platform/platform.h"
#include "tests/contract/contract_env.h"
#include "tests/wine/registry_seed_win32.h"

#include <windows.h>

namespace {

void DeleteFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

namespace {

void DeleteKeyTree(HKEY parent, const std::wstring& path) {
  winetest::DeleteKeyTree(reinterpret_cast<pf::HKEY>(parent), path);
}

}  // namespace

struct ContractTest::Env {
  winetest::RegistrySeed seed;
};

void ContractTest::SetUp() {
  env_ = new Env;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? info->name() : "test";
  std::wstring wideName(name.begin(), name.end());
  wchar_t temp[MAX_PATH];
  DWORD length = ::GetTempPathW(MAX_PATH, temp);
  std::wstring base(temp, length);
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  scratchFolder_ = base + L"\\tqcontract-" + wideName;
  DeleteFolderTree(scratchFolder_);
  ::CreateDirectoryW(scratchFolder_.c_str(), nullptr);
  scratchKeyPath_ = L"Software\\TQContract\\" + wideName;
  DeleteKeyTree(HKEY_CURRENT_USER, scratchKeyPath_);
  HKEY key;
  ::RegCreateKeyExW(HKEY_CURRENT_USER, scratchKeyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  ::RegCloseKey(key);
}

void ContractTest::TearDown() {
  delete env_;
  env_ = nullptr;
  DeleteFolderTree(scratchFolder_);
  DeleteKeyTree(HKEY_CURRENT_USER, scratchKeyPath_);
}

bool ContractTest::IsSimulated() const { return false; }

void ContractTest::ImportSeed(const std::string& regText) {
  std::string error;
  ASSERT_TRUE(env_->seed.Apply(regText, &error)) << error;
}
