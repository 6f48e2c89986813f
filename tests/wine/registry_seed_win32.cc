#include "tests/wine/registry_seed_win32.h"

#include "platform/sim/reg_file.h"

#include <windows.h>

namespace winetest {
namespace {

::HKEY H(pf::HKEY key) { return reinterpret_cast<::HKEY>(key); }

bool KeyExists(::HKEY root, const std::wstring& path) {
  HKEY key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

// The shallowest key on the way to path that does not exist yet, or empty.
std::wstring FirstMissing(::HKEY root, const std::wstring& path) {
  for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
    const std::wstring prefix = path.substr(0, end);
    if (!KeyExists(root, prefix)) return prefix;
    if (end == std::wstring::npos) return std::wstring();
  }
}

}  // namespace

void DeleteKeyTree(pf::HKEY parent, const std::wstring& path) {
  ::HKEY key;
  if (::RegOpenKeyExW(H(parent), path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    wchar_t name[256];
    for (;;) {
      DWORD length = 256;
      if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      DeleteKeyTree(reinterpret_cast<pf::HKEY>(key), name);
    }
    ::RegCloseKey(key);
  }
  ::RegDeleteKeyW(H(parent), path.c_str());
}

RegistrySeed::~RegistrySeed() {
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) DeleteKeyTree(it->first, it->second);
}

bool RegistrySeed::Apply(const std::string& regText, std::string* error) {
  std::vector<pf::sim::RegFileOp> ops;
  if (!pf::sim::ParseRegFile(regText, &ops, error)) return false;
  for (const auto& op : ops) {
    const ::HKEY root = H(op.root);
    if (op.kind == pf::sim::RegFileOp::kDeleteKey) {
      DeleteKeyTree(op.root, op.path);
      continue;
    }
    const std::wstring missing = FirstMissing(root, op.path);
    if (!missing.empty()) created_.emplace_back(op.root, missing);
    ::HKEY key;
    if (::RegCreateKeyExW(root, op.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      *error = "cannot create a key of the seed";
      return false;
    }
    if (op.kind == pf::sim::RegFileOp::kSetValue) {
      ::RegSetValueExW(key, op.name.empty() ? nullptr : op.name.c_str(), 0, op.type,
                       reinterpret_cast<const BYTE*>(op.bytes.data()), static_cast<DWORD>(op.bytes.size()));
    } else if (op.kind == pf::sim::RegFileOp::kDeleteValue) {
      ::RegDeleteValueW(key, op.name.c_str());
    }
    ::RegCloseKey(key);
  }
  return true;
}

}  // namespace winetest
