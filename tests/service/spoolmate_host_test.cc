// Spoolmate's command-line verbs, its service entry and handler, and its log.
#include <gtest/gtest.h>

#include <string>

#include "tests/service/spoolmate_fixture.h"

namespace spoolmate_test {
namespace {

using pf::HKEY_LOCAL_MACHINE;

TEST_F(SpoolmateTest, VerbsInstallStartStopAndRemoveTheOwnService) {
  RunVerb("-I");
  pf::sim::SimServiceRegistration registration;
  ASSERT_TRUE(pc_->services().GetRegistration(L"Kestrel Printer Helper", &registration));
  EXPECT_EQ(registration.displayName, L"Kestrel Printer Helper");
  EXPECT_EQ(registration.binaryPath, L"\"" + kExe + L"\"");
  EXPECT_EQ(registration.serviceType, 0x110u);
  EXPECT_EQ(registration.startType, pf::SERVICE_AUTO_START);
  EXPECT_EQ(registration.errorControl, pf::SERVICE_ERROR_NORMAL);
  RunVerb("-i");
  EXPECT_EQ(Log(), kStamp + "Service Kestrel Printer Helper installed\r\n" + kStamp +
                       "Failed to create service Kestrel Printer Helper, error code = 1073\r\n");

  RunVerb("-S");
  pf::SC_HANDLE manager = pf::OpenSCManagerW(nullptr, nullptr, pf::SC_MANAGER_ALL_ACCESS);
  pf::SC_HANDLE service = pf::OpenServiceW(manager, L"Kestrel Printer Helper", pf::SERVICE_ALL_ACCESS);
  pf::SERVICE_STATUS status{};
  ASSERT_TRUE(pf::QueryServiceStatus(service, &status));
  EXPECT_EQ(status.dwCurrentState, pf::SERVICE_RUNNING);
  EXPECT_EQ(status.dwServiceType, 0x30u);
  EXPECT_EQ(status.dwControlsAccepted, 7u);
  RunVerb("-s");
  RunVerb("-K");
  ASSERT_TRUE(pf::QueryServiceStatus(service, &status));
  EXPECT_EQ(status.dwCurrentState, pf::SERVICE_STOPPED);
  EXPECT_EQ(status.dwWin32ExitCode, 0u);
  RunVerb("-k");
  pf::CloseServiceHandle(service);
  pf::CloseServiceHandle(manager);
  pc_->services().WaitForProcesses();
  // No class key here, so the stop logged nothing of its own.
  EXPECT_EQ(Log(), kStamp + "Service Kestrel Printer Helper installed\r\n" + kStamp +
                       "Failed to create service Kestrel Printer Helper, error code = 1073\r\n" + kStamp +
                       "StartService failed, error code = 1056\r\n" + kStamp +
                       "ControlService failed, error code = 1062\r\n");

  RunVerb("-U");
  EXPECT_TRUE(pc_->services().ServiceNames().empty());
  EXPECT_FALSE(LogExists());
  RunVerb("-k");
  EXPECT_EQ(Log(), kStamp + "OpenService failed, error code = 1060\r\n");
  RunVerb("-u");  // fails, and still deletes the log
  EXPECT_FALSE(LogExists());
}

TEST_F(SpoolmateTest, ManagerThatCannotBeOpenedEndsEveryVerb) {
  pc_->services().SetManagerFailure(pf::ERROR_ACCESS_DENIED);
  for (const char* verb : {"-i", "-s", "-k"}) RunVerb(verb);
  const std::string entry = kStamp + "OpenSCManager failed, error code = 5\r\n";
  EXPECT_EQ(Log(), entry + entry + entry);
  EXPECT_TRUE(pc_->services().ServiceNames().empty());
}

// Outside a service process the dispatcher cannot connect; that is what
// shows that these arguments run the program as the service.
TEST_F(SpoolmateTest, OtherArgumentsRunAsTheService) {
  for (const char* verb : {"/i", "install", "-ix", "", static_cast<const char*>(nullptr)}) RunVerb(verb);
  std::string expected;
  for (int i = 0; i < 5; ++i) expected += kStamp + "StartServiceCtrlDispatcher failed, error code = 1063\r\n";
  EXPECT_EQ(Log(), expected);
  EXPECT_TRUE(pc_->services().ServiceNames().empty());
}

// Another process (the service or a verb) may hold the log open meanwhile.
TEST_F(SpoolmateTest, LogIsAppendedWhileAnotherWriterHoldsIt) {
  RunVerb("-k");
  pf::HANDLE other = pf::CreateFileW(kLog.c_str(), pf::GENERIC_WRITE, pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE,
                                     pf::OPEN_ALWAYS, pf::FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(other, pf::INVALID_HANDLE_VALUE);
  RunVerb("-s");
  pf::CloseHandle(other);
  EXPECT_EQ(Log(), kStamp + "OpenService failed, error code = 1060\r\n" + kStamp +
                       "OpenService failed, error code = 1060\r\n");
}

// The empty binary path is refused, and the failure's entry has no log to go to.
TEST_F(SpoolmateTest, PathWithoutExtensionPassesAnEmptyPathAndDropsTheLog) {
  pc_->system().SetModulePath(kFolder + L"\\Spoolmate");
  RunVerb("-i");
  EXPECT_TRUE(pc_->services().ServiceNames().empty());
  EXPECT_FALSE(LogExists());
  EXPECT_FALSE(pc_->files().Exists(kFolder + L"\\.log"));
  pc_->system().SetModulePath(kExe);
  RunVerb("-i");  // the same program with its extension logs again
  EXPECT_EQ(Log(), kStamp + "Service Kestrel Printer Helper installed\r\n");
}

// The dispatch table's name is not the registration's; the own-process
// service still runs, and a stop with nothing staged writes two entries, the
// first without a final line break.
TEST_F(SpoolmateTest, StopWithNothingStagedLogsTwoEntriesRunTogether) {
  reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"Class", L"Printer");
  reg().CreateKey(HKEY_LOCAL_MACHINE, kUsbEnum + L"\\TAVIRTQ-5800TQMM\\1&2&3&0");
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  EXPECT_EQ(Log(), kStamp + "open SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}" +
                       kStamp + "dwUpdateMode == 0");
  // The written-back defaults are deleted again; no device key got anything.
  EXPECT_EQ(Values(kClass), std::vector<std::wstring>{L"Class"});
  EXPECT_TRUE(Values(kUsbEnum + L"\\TAVIRTQ-5800TQMM\\1&2&3&0").empty());
  EXPECT_TRUE(Values(L"").empty());
}

}  // namespace
}  // namespace spoolmate_test
