// The simulated spooler beyond what the contract tests can show under Wine:
// access rights, commands, large level-2 data, handles, faults, the profile's
// registry keys and the recorded broadcasts.
#include "platform/sim/sim_spooler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"

namespace pf::sim {
namespace {

class SimSpoolerTest : public ::testing::Test {
 protected:
  SimSpooler& spooler() { return pc_->spooler(); }
  HANDLE Open(const std::wstring& name, DWORD access = 0) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE printer = 0;
    EXPECT_TRUE(OpenPrinterW(name.c_str(), &printer, access != 0 ? &defaults : nullptr));
    return printer;
  }
  std::vector<BYTE> Info2(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    EXPECT_TRUE(GetPrinterW(printer, 2, buffer.data(), needed, &needed));
    return buffer;
  }
  static PRINTER_INFO_2W* Record(std::vector<BYTE>& buffer) {
    return reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
  }

  ScopedSimPc pc_;
};

TEST_F(SimSpoolerTest, ChangingAPrinterTakesAdministerAccessReadingDoesNot) {
  ASSERT_TRUE(spooler().AddPrinter(L"TQ", L"USB001", L"TQ Driver"));
  HANDLE user = Open(L"tq");  // no defaults: PRINTER_ACCESS_USE
  std::vector<BYTE> info = Info2(user);
  Record(info)->pDevMode->dmOrientation = DMORIENT_LANDSCAPE;
  EXPECT_FALSE(SetPrinterW(user, 2, info.data(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  DEVMODEW devMode{};
  ASSERT_TRUE(spooler().GetDevMode(L"TQ", &devMode));
  EXPECT_EQ(devMode.dmOrientation, DMORIENT_PORTRAIT);

  HANDLE admin = Open(L"TQ", PRINTER_ALL_ACCESS);
  EXPECT_TRUE(SetPrinterW(admin, 2, info.data(), 0));
  ASSERT_TRUE(spooler().GetDevMode(L"TQ", &devMode));
  EXPECT_EQ(devMode.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_TRUE(ClosePrinter(user));
  EXPECT_TRUE(ClosePrinter(admin));
}

TEST_F(SimSpoolerTest, SetPrinterCommandsGoWithLevelZeroAndLevelTwoWithCommandZero) {
  ASSERT_TRUE(spooler().AddPrinter(L"TQ", L"LPT1:", L"TQ Driver"));
  HANDLE printer = Open(L"TQ", PRINTER_ALL_ACCESS);
  std::vector<BYTE> info = Info2(printer);
  Record(info)->pDevMode->dmPaperSize = DMPAPER_A3;
  Record(info)->Status = 0x80;
  // A level other than 0 takes command 0 only, as Microsoft documents.
  for (DWORD command : {DWORD{9}, PRINTER_CONTROL_PAUSE, PRINTER_CONTROL_SET_STATUS}) {
    EXPECT_FALSE(SetPrinterW(printer, 2, info.data(), command)) << command;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(spooler().Printer(L"TQ")->devMode.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(spooler().Printer(L"TQ")->status, 0u);
  }

  ASSERT_TRUE(SetPrinterW(printer, 2, info.data(), 0));  // the device mode, not the status
  EXPECT_EQ(spooler().Printer(L"TQ")->status, 0u);
  EXPECT_EQ(spooler().Printer(L"TQ")->devMode.dmPaperSize, DMPAPER_A3);
  DWORD status = 0x80;
  ASSERT_TRUE(SetPrinterW(printer, 0, reinterpret_cast<BYTE*>(&status), PRINTER_CONTROL_SET_STATUS));
  EXPECT_EQ(spooler().Printer(L"TQ")->status, 0x80u);
  ASSERT_TRUE(SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_PAUSE));
  EXPECT_EQ(spooler().Printer(L"TQ")->status, 0x81u);
  ASSERT_TRUE(SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_RESUME));
  EXPECT_EQ(spooler().Printer(L"TQ")->status, 0x80u);
  status = 0;
  ASSERT_TRUE(SetPrinterW(printer, 0, reinterpret_cast<BYTE*>(&status), PRINTER_CONTROL_SET_STATUS));
  EXPECT_EQ(spooler().Printer(L"TQ")->status, 0u);
  EXPECT_FALSE(SetPrinterW(printer, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetPrinterW(printer, 1, info.data(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
  ClosePrinter(printer);
}

TEST_F(SimSpoolerTest, DriverExtraBytesFollowTheDevModeBeyond4096Bytes) {
  SimPrinter big;
  big.name = L"TQ Big";
  big.port = L"USB002";
  big.driver = L"TQ Driver";
  for (int i = 0; i < 5000; ++i) big.driverExtra.push_back(static_cast<BYTE>(i));
  ASSERT_TRUE(spooler().AddPrinter(big));
  HANDLE printer = Open(L"TQ Big", PRINTER_ALL_ACCESS);
  std::vector<BYTE> small(4096);
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(printer, 2, small.data(), 4096, &needed));
  EXPECT_GE(needed, sizeof(PRINTER_INFO_2W) + sizeof(DEVMODEW) + 5000u);
  std::vector<BYTE> info = Info2(printer);
  DEVMODEW* devMode = Record(info)->pDevMode;
  ASSERT_EQ(devMode->dmDriverExtra, 5000u);
  BYTE* extra = reinterpret_cast<BYTE*>(devMode) + devMode->dmSize;
  EXPECT_EQ(extra[4999], static_cast<BYTE>(4999));
  EXPECT_LE(extra + 5000, info.data() + info.size());

  extra[0] = 0xAB;
  devMode->dmOrientation = DMORIENT_LANDSCAPE;
  ASSERT_TRUE(SetPrinterW(printer, 2, info.data(), 0));
  std::optional<SimPrinter> stored = spooler().Printer(L"TQ Big");
  ASSERT_TRUE(stored.has_value());
  ASSERT_EQ(stored->driverExtra.size(), 5000u);
  EXPECT_EQ(stored->driverExtra[0], 0xAB);
  EXPECT_EQ(stored->devMode.dmOrientation, DMORIENT_LANDSCAPE);
  ClosePrinter(printer);
}

TEST_F(SimSpoolerTest, PrinterHandlesAreKernelObjectsOfTheirOwnKind) {
  ASSERT_TRUE(spooler().AddPrinter(L"TQ", L"LPT1:", L"TQ Driver"));
  HANDLE printer = Open(L"TQ");
  EXPECT_EQ(pc_->kernel().OpenHandleCount(ObjectKind::Printer), 1u);
  EXPECT_FALSE(CloseHandle(printer));  // CloseHandle does not close printers
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(ClosePrinter(event));  // nor ClosePrinter events
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(CloseHandle(event));

  ASSERT_TRUE(spooler().RemovePrinter(L"TQ"));
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(printer, 2, nullptr, 0, &needed));  // its printer is gone
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
  EXPECT_EQ(pc_->kernel().OpenHandleCount(ObjectKind::Printer), 0u);

  HANDLE server = 0;
  ASSERT_TRUE(OpenPrinterW(nullptr, &server, nullptr));  // the local print server
  EXPECT_FALSE(GetPrinterW(server, 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(ClosePrinter(server));
}

TEST_F(SimSpoolerTest, EnumerationOrderFlagsLevelsAndArguments) {
  DWORD needed = 9, returned = 9;
  EXPECT_TRUE(EnumPrintersW(6, nullptr, 2, nullptr, 0, &needed, &returned));  // no printers at all
  EXPECT_EQ(needed, 0u);
  EXPECT_EQ(returned, 0u);

  for (const wchar_t* name : {L"Zeta", L"Alpha", L"TQ 5800"}) ASSERT_TRUE(spooler().AddPrinter(name, L"LPT1:", L"D"));
  EXPECT_FALSE(spooler().AddPrinter(L"tq 5800", L"LPT2:", L"D"));  // names compare without case
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 2, nullptr, 0, &needed, &returned));
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(EnumPrintersW(6, nullptr, 2, buffer.data(), needed, &needed, &returned));
  ASSERT_EQ(returned, 3u);
  const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  EXPECT_STREQ(records[0].pPrinterName, L"Zeta");  // in the order they were added
  EXPECT_STREQ(records[1].pPrinterName, L"Alpha");
  EXPECT_STREQ(records[2].pPrinterName, L"TQ 5800");
  EXPECT_EQ(records[0].pComment, nullptr);
  // Each record's texts come after all the records.
  EXPECT_GE(reinterpret_cast<const BYTE*>(records[0].pPrinterName), buffer.data() + 3 * sizeof(PRINTER_INFO_2W));

  EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(returned, 0u);  // the PC has no printer connections
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 1, nullptr, 0, &needed, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 2, nullptr, 0, nullptr, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_X_NULL_REF_POINTER));
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 2, nullptr, 100, &needed, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
}

TEST_F(SimSpoolerTest, EveryCallCanBeMadeToFail) {
  ASSERT_TRUE(spooler().AddPrinter(L"TQ", L"LPT1:", L"D"));
  HANDLE printer = Open(L"TQ", PRINTER_ALL_ACCESS);
  std::vector<BYTE> info = Info2(printer);
  SimKernel& kernel = pc_->kernel();
  kernel.FailCall("EnumPrintersW", ERROR_NOT_ENOUGH_MEMORY);
  kernel.FailCall("OpenPrinterW", RPC_S_SERVER_UNAVAILABLE);
  kernel.FailCall("GetPrinterW", ERROR_INVALID_HANDLE);
  kernel.FailCall("SetPrinterW", ERROR_ACCESS_DENIED);
  kernel.FailCall("ClosePrinter", ERROR_INVALID_HANDLE);
  kernel.FailCall("WriteProfileStringW", ERROR_ACCESS_DENIED);
  kernel.FailCall("GetProfileStringW", ERROR_NOT_ENOUGH_MEMORY);
  kernel.FailCall("SendMessageTimeoutW", ERROR_TIMEOUT);

  DWORD needed = 0, returned = 0;
  EXPECT_FALSE(EnumPrintersW(6, nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HANDLE other = 7;
  EXPECT_FALSE(OpenPrinterW(L"TQ", &other, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(other, 0u);
  EXPECT_FALSE(GetPrinterW(printer, 2, info.data(), static_cast<DWORD>(info.size()), &needed));
  EXPECT_FALSE(SetPrinterW(printer, 2, info.data(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(WriteProfileStringW(L"windows", L"device", L"x"));
  EXPECT_FALSE(pc_->registry().KeyExists(HKEY_CURRENT_USER, SimSpooler::ProfileKeyPath(L"windows")));
  wchar_t value[8] = L"junk";
  EXPECT_EQ(GetProfileStringW(L"windows", L"device", L"d", value, 8), 0u);
  EXPECT_STREQ(value, L"");
  EXPECT_EQ(SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_TRUE(spooler().broadcasts().empty());
  EXPECT_FALSE(ClosePrinter(printer));
  kernel.ClearFaults();
  EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(SimSpoolerTest, ProfileSectionsMapToTheUsersKeysAndOthersAreNotKept) {
  ASSERT_TRUE(WriteProfileStringW(L"windows", L"device", L"TQ,winspool,LPT1:"));
  ASSERT_TRUE(WriteProfileStringW(L"Windows", L"Spooler", L"yes"));
  std::wstring stored;
  ASSERT_TRUE(pc_->registry().GetString(HKEY_CURRENT_USER,
                                        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", L"device",
                                        &stored));
  EXPECT_EQ(stored, L"TQ,winspool,LPT1:");

  wchar_t names[32];
  // The names, each with its NUL, and one NUL more that is not counted.
  EXPECT_EQ(GetProfileStringW(L"windows", nullptr, L"", names, 32), 15u);
  EXPECT_EQ(std::wstring(names, 16), std::wstring(L"device\0Spooler\0\0", 16));
  EXPECT_EQ(GetProfileStringW(L"windows", nullptr, L"", names, 10), 8u);  // cut, still ending in two NULs
  EXPECT_EQ(std::wstring(names, 10), std::wstring(L"device\0S\0\0", 10));

  ASSERT_TRUE(WriteProfileStringW(L"windows", L"device", nullptr));  // a null value deletes the entry
  wchar_t value[32];
  EXPECT_EQ(GetProfileStringW(L"windows", L"device", L"none", value, 32), 4u);
  EXPECT_STREQ(value, L"none");

  EXPECT_FALSE(WriteProfileStringW(L"TQ Private", L"key", L"value"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(GetProfileStringW(L"TQ Private", L"key", L"d", value, 32), 1u);
}

TEST_F(SimSpoolerTest, BroadcastsAreRecordedAndAHungWindowCostsTheTimeOut) {
  pc_->kernel().AdvanceClock(250);
  DWORD_PTR result = 5;
  EXPECT_EQ(SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, &result), 1);
  EXPECT_EQ(pc_->kernel().Now(), 250u);
  ASSERT_EQ(spooler().broadcasts().size(), 1u);
  const BroadcastRecord& sent = spooler().broadcasts()[0];
  EXPECT_EQ(sent.message, WM_SETTINGCHANGE);
  EXPECT_EQ(sent.flags, SMTO_NORMAL);
  EXPECT_EQ(sent.timeout, 1000u);
  EXPECT_EQ(sent.time, 250u);

  spooler().SetBroadcastHangs(true);
  EXPECT_EQ(SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(pc_->kernel().Now(), 1250u);
  EXPECT_EQ(spooler().broadcasts().size(), 2u);

  EXPECT_EQ(SendMessageTimeoutW(0x1234, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
}  // namespace pf::sim
