// The contract tests' environment on the real Windows platform (under Wine in
// the tests): a scratch folder under the temporary folder and a scratch key
// under HKEY_CURRENT_USER, both removed afterwards, seeds written into the
// real registry, whose new keys are removed afterwards, and printers added
// with the spooler's own calls and deleted afterwards.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/contract/contract_env.h"
#include "tests/wine/registry_seed_win32.h"

#include <windows.h>
#include <winspool.h>

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

constexpr const wchar_t* kDriverName = L"TQ Contract Driver";

// Deletes the printer of that name if there is one (also one left over by an
// earlier run that did not finish).
void DeletePrinterNamed(const std::wstring& name) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &defaults)) return;
  ::DeletePrinter(printer);
  ::ClosePrinter(printer);
}

}  // namespace

struct ContractTest::Env {
  winetest::RegistrySeed seed;
  std::vector<std::wstring> printers;
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
  DeleteFolderTree(scratchFolder_);
  DeleteKeyTree(HKEY_CURRENT_USER, scratchKeyPath_);
  for (const std::wstring& name : env_->printers) DeletePrinterNamed(name);
  if (!env_->printers.empty()) ::DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(kDriverName));
  delete env_;
  env_ = nullptr;
}

bool ContractTest::IsSimulated() const { return false; }

void ContractTest::ImportSeed(const std::string& regText) {
  std::string error;
  ASSERT_TRUE(env_->seed.Apply(regText, &error)) << error;
}

// Wine's spooler takes a driver whose files are its own PostScript driver's,
// then a printer of that driver at level 2.
bool ContractTest::AddTestPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& comment) {
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(kDriverName);
  driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
  driver.pDataFile = const_cast<wchar_t*>(L"wineps.drv");
  driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
  if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) return false;
  DeletePrinterNamed(name);
  PRINTER_INFO_2W info{};
  info.pPrinterName = const_cast<wchar_t*>(name.c_str());
  info.pPortName = const_cast<wchar_t*>(port.c_str());
  info.pDriverName = const_cast<wchar_t*>(kDriverName);
  info.pComment = comment.empty() ? nullptr : const_cast<wchar_t*>(comment.c_str());
  info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer == nullptr) return false;
  ::ClosePrinter(printer);
  env_->printers.push_back(name);
  return true;
}
