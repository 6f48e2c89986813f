// The contract tests' environment on the real Windows platform (under Wine in
// the tests): a scratch folder under the temporary folder and a scratch key
// under HKEY_CURRENT_USER, both removed afterwards, and seeds written into the
// real registry, whose new keys are removed afterwards.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/reg_file.h"
#include "tests/contract/contract_env.h"

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

void DeleteKeyTree(HKEY parent, const std::wstring& path) {
  HKEY key;
  if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    wchar_t name[256];
    for (;;) {
      DWORD length = 256;
      if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      DeleteKeyTree(key, name);
    }
    ::RegCloseKey(key);
  }
  ::RegDeleteKeyW(parent, path.c_str());
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

// The shallowest key on the way to path that does not exist yet, or empty.
std::wstring FirstMissing(HKEY root, const std::wstring& path) {
  for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
    const std::wstring prefix = path.substr(0, end);
    if (!KeyExists(root, prefix)) return prefix;
    if (end == std::wstring::npos) return std::wstring();
  }
}

}  // namespace

struct ContractTest::Env {
  // Keys the test's seeds created, to delete with everything below them.
  std::vector<std::pair<HKEY, std::wstring>> seeded;
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
  for (auto it = env_->seeded.rbegin(); it != env_->seeded.rend(); ++it) DeleteKeyTree(it->first, it->second);
  delete env_;
  env_ = nullptr;
  DeleteFolderTree(scratchFolder_);
  DeleteKeyTree(HKEY_CURRENT_USER, scratchKeyPath_);
}

bool ContractTest::IsSimulated() const { return false; }

void ContractTest::ImportSeed(const std::string& regText) {
  std::vector<pf::sim::RegFileOp> ops;
  std::string error;
  ASSERT_TRUE(pf::sim::ParseRegFile(regText, &ops, &error)) << error;
  for (const auto& op : ops) {
    const HKEY root = reinterpret_cast<HKEY>(op.root);
    if (op.kind == pf::sim::RegFileOp::kDeleteKey) {
      DeleteKeyTree(root, op.path);
      continue;
    }
    const std::wstring missing = FirstMissing(root, op.path);
    if (!missing.empty()) env_->seeded.emplace_back(root, missing);
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(root, op.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << "cannot create the seed's key";
    if (op.kind == pf::sim::RegFileOp::kSetValue) {
      ::RegSetValueExW(key, op.name.empty() ? nullptr : op.name.c_str(), 0, op.type,
                       reinterpret_cast<const BYTE*>(op.bytes.data()), static_cast<DWORD>(op.bytes.size()));
    } else if (op.kind == pf::sim::RegFileOp::kDeleteValue) {
      ::RegDeleteValueW(key, op.name.c_str());
    }
    ::RegCloseKey(key);
  }
}
