// The spooler, profile and broadcast seam: the same assertions against the
// simulated PC and Win32.
#include <cwctype>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/contract/contract_env.h"

namespace {

using namespace pf;

constexpr const wchar_t* kWindowsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

class SpoolerContract : public ContractTest {
 protected:
  // The whole level-2 list, read as the installer reads it.
  std::vector<BYTE> ListPrinters(DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, count);
    std::vector<BYTE> buffer(needed + 4);
    EXPECT_TRUE(EnumPrintersW(6, nullptr, 2, buffer.data(), needed, &needed, count));
    buffer.resize(needed);
    return buffer;
  }
  static const PRINTER_INFO_2W* Find(const std::vector<BYTE>& list, DWORD count, const std::wstring& name) {
    const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(list.data());
    for (DWORD i = 0; i < count; ++i) {
      if (records[i].pPrinterName != nullptr && name == records[i].pPrinterName) return &records[i];
    }
    return nullptr;
  }
  static bool Inside(const std::vector<BYTE>& buffer, const void* pointer) {
    const auto* p = static_cast<const BYTE*>(pointer);
    return p >= buffer.data() && p < buffer.data() + buffer.size();
  }
  std::vector<BYTE> GetInfo2(HANDLE printer) {
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterW(printer, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<BYTE> buffer(needed);
    EXPECT_TRUE(GetPrinterW(printer, 2, buffer.data(), needed, &needed));
    return buffer;
  }
};

TEST_F(SpoolerContract, EnumPrintersAsksForTheSizeThenPacksRecordsAndTextsIntoTheBuffer) {
  ASSERT_TRUE(AddTestPrinter(L"TQ Contract Enum", L"LPT1:"));
  DWORD needed = 0, returned = 7;
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(returned, 0u);
  ASSERT_GT(needed, sizeof(PRINTER_INFO_2W));

  std::vector<BYTE> shortBuffer(needed);
  DWORD again = 0;
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 2, shortBuffer.data(), needed - 1, &again, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(again, needed);

  DWORD count = 0;
  std::vector<BYTE> list = ListPrinters(&count);
  ASSERT_GE(count, 1u);
  const PRINTER_INFO_2W* info = Find(list, count, L"TQ Contract Enum");
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->pPortName, L"LPT1:");
  EXPECT_STREQ(info->pDriverName, L"TQ Contract Driver");
  EXPECT_TRUE(Inside(list, info->pPrinterName));
  EXPECT_TRUE(Inside(list, info->pPortName));
  ASSERT_NE(info->pDevMode, nullptr);
  EXPECT_TRUE(Inside(list, info->pDevMode));
  EXPECT_EQ(info->pDevMode->dmSize, sizeof(DEVMODEW));
  EXPECT_TRUE(Inside(list, reinterpret_cast<const BYTE*>(info->pDevMode) + info->pDevMode->dmSize +
                               info->pDevMode->dmDriverExtra - 1));
  EXPECT_STREQ(info->pDevMode->dmDeviceName, L"TQ Contract Enum");
}

TEST_F(SpoolerContract, OrientationAndPaperSizeRoundTripThroughLevelTwo) {
  // A long comment makes the level-2 data larger than the 4096 bytes the
  // installer asks with first.
  ASSERT_TRUE(AddTestPrinter(L"TQ Contract Settings", L"LPT1:", std::wstring(2100, L'c')));
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = 0;
  ASSERT_TRUE(OpenPrinterW(L"TQ Contract Settings", &printer, &all));
  ASSERT_NE(printer, 0u);

  std::vector<BYTE> small(4096);
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(printer, 2, small.data(), 4096, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GT(needed, 4096u);

  std::vector<BYTE> buffer = GetInfo2(printer);
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
  ASSERT_NE(info->pDevMode, nullptr);
  EXPECT_EQ(std::wstring(info->pComment).size(), 2100u);
  info->pDevMode->dmFields |= DM_ORIENTATION | DM_PAPERSIZE;
  info->pDevMode->dmOrientation = DMORIENT_LANDSCAPE;
  info->pDevMode->dmPaperSize = DMPAPER_A3;
  EXPECT_TRUE(SetPrinterW(printer, 2, buffer.data(), 0));
  EXPECT_TRUE(ClosePrinter(printer));

  ASSERT_TRUE(OpenPrinterW(L"TQ Contract Settings", &printer, nullptr));  // reading needs no rights
  std::vector<BYTE> after = GetInfo2(printer);
  const auto* reread = reinterpret_cast<const PRINTER_INFO_2W*>(after.data());
  ASSERT_NE(reread->pDevMode, nullptr);
  EXPECT_EQ(reread->pDevMode->dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(reread->pDevMode->dmPaperSize, DMPAPER_A3);
  EXPECT_TRUE(reread->pDevMode->dmFields & DM_ORIENTATION);
  EXPECT_TRUE(reread->pDevMode->dmFields & DM_PAPERSIZE);
  EXPECT_EQ(reread->Status, info->Status);  // level 2 keeps the printer's state
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));  // a closed handle
}

TEST_F(SpoolerContract, UnknownAndEmptyPrinterNamesDoNotOpen) {
  HANDLE printer = 5;
  SetLastError(0);
  EXPECT_FALSE(OpenPrinterW(L"TQ Contract No Such Printer", &printer, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(printer, 0u);
  SetLastError(0);
  EXPECT_FALSE(OpenPrinterW(L"", &printer, nullptr));
  // Windows NT says the name is invalid; Wine, like Windows 9x, the parameter.
  EXPECT_EQ(GetLastError(),
            static_cast<DWORD>(IsSimulated() ? ERROR_INVALID_PRINTER_NAME : ERROR_INVALID_PARAMETER));
}

TEST_F(SpoolerContract, TheDefaultPrinterEntryLandsInTheUsersWindowsKey) {
  wchar_t saved[512];
  GetProfileStringW(L"windows", L"device", L"", saved, 512);

  ASSERT_TRUE(WriteProfileStringW(L"windows", L"device", L"TQ Contract,winspool,USB001"));
  wchar_t value[64];
  EXPECT_EQ(GetProfileStringW(L"windows", L"device", L"", value, 64), 27u);
  EXPECT_STREQ(value, L"TQ Contract,winspool,USB001");
  EXPECT_EQ(GetProfileStringW(L"Windows", L"DEVICE", L"", value, 5), 4u);  // cut to fit, NUL included
  EXPECT_STREQ(value, L"TQ C");
  EXPECT_EQ(GetProfileStringW(L"windows", L"tq-contract-none", L"fallback  ", value, 64), 8u);
  EXPECT_STREQ(value, L"fallback");  // the default loses its trailing blanks

  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE data[128];
  DWORD type = 0, size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key, L"device", &type, data, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, REG_SZ);
  const std::wstring expected = L"TQ Contract,winspool,USB001";
  ASSERT_EQ(size, (expected.size() + 1) * 2);
  std::wstring stored;
  for (DWORD i = 0; i + 1 < size; i += 2) stored += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  EXPECT_EQ(stored, expected + L'\0');

  WriteProfileStringW(L"windows", L"device", saved[0] != L'\0' ? saved : nullptr);
}

TEST_F(SpoolerContract, TheSettingsBroadcastReturns) {
  EXPECT_NE(SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr), 0);
}

}  // namespace
