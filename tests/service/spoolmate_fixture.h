// Spoolmate installed on the simulated PC: its program registered with the
// simulated service manager under the path setup writes it to, a fixed local
// time, and the registration and control calls setup makes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/services.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_system.h"
#include "service/service_host.h"

namespace spoolmate_test {

inline const std::wstring kFolder = L"C:\\Program Files\\Common Files\\Services";
inline const std::wstring kExe = kFolder + L"\\Spoolmate.exe";
inline const std::wstring kLog = kFolder + L"\\Spoolmate.log";
inline const std::wstring kClass =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
inline const std::wstring kUsbEnum = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
inline const std::wstring kLptEnum = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
// The local time of every entry: 8 December 2026, 05:07:09.
inline const std::string kStamp = "12/08/2026, 05:07:09\r\n    ";

class SpoolmateTest : public ::testing::Test {
 protected:
  SpoolmateTest() {
    pc_->system().SetModulePath(kExe);
    pc_->system().SetLocalTime(pf::SYSTEMTIME{2026, 12, 2, 8, 5, 7, 9, 0});
    pc_->files().MakeFolder(kFolder);
    pc_->services().RegisterProgram(kExe, spoolmate::RunSpoolmate);
  }
  ~SpoolmateTest() override {
    CloseHelper();
    pc_->services().WaitForProcesses();
  }

  pf::sim::SimRegistry& reg() { return pc_->registry(); }

  // Spoolmate run from the command line with one argument (none when null).
  void RunVerb(const char* verb) {
    std::string exe(kExe.begin(), kExe.end());
    std::string argument = verb ? verb : "";
    char* argv[] = {exe.data(), argument.data(), nullptr};
    spoolmate::RunSpoolmate(verb ? 2 : 1, argv);
  }

  // What setup does: registers the program as "Printer Helper" and starts it.
  void StartHelper() {
    manager_ = pf::OpenSCManagerW(nullptr, nullptr, pf::SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager_, 0u);
    helper_ = pf::CreateServiceW(manager_, L"Printer Helper", L"Printer Helper", pf::SERVICE_ALL_ACCESS,
                                 pf::SERVICE_WIN32_OWN_PROCESS | pf::SERVICE_INTERACTIVE_PROCESS,
                                 pf::SERVICE_AUTO_START, pf::SERVICE_ERROR_NORMAL, (L"\"" + kExe + L"\"").c_str(),
                                 nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(helper_, 0u);
    ASSERT_TRUE(pf::StartServiceW(helper_, 0, nullptr));
  }
  // Sends a control; the state the service reported by the time the call returned.
  pf::DWORD Control(pf::DWORD control) {
    pf::SERVICE_STATUS status{};
    EXPECT_TRUE(pf::ControlService(helper_, control, &status)) << "control " << control;
    return status.dwCurrentState;
  }
  // Starts, stops and deletes the helper; the state the stop was answered with.
  pf::DWORD RunHelperOnce() {
    StartHelper();
    if (!helper_) return 0;
    pf::DWORD state = Control(pf::SERVICE_CONTROL_STOP);
    EXPECT_TRUE(pf::DeleteService(helper_));
    CloseHelper();
    return state;
  }
  void CloseHelper() {
    if (helper_) pf::CloseServiceHandle(helper_);
    if (manager_) pf::CloseServiceHandle(manager_);
    helper_ = manager_ = 0;
  }

  // The log file's bytes; empty when there is none.
  std::string Log() {
    std::string bytes;
    pc_->files().ReadFileBytes(kLog, &bytes);
    return bytes;
  }
  bool LogExists() { return pc_->files().Exists(kLog); }

  std::wstring String(const std::wstring& path, const std::wstring& name) {
    std::wstring text = L"<missing>";
    reg().GetString(pf::HKEY_LOCAL_MACHINE, path, name, &text);
    return text;
  }
  std::vector<std::wstring> Values(const std::wstring& path) {
    return reg().ValueNames(pf::HKEY_LOCAL_MACHINE, path);
  }
  // Names of the class key's values that begin with "_".
  std::vector<std::wstring> StagedLeft() {
    std::vector<std::wstring> left;
    for (const std::wstring& name : Values(kClass)) {
      if (!name.empty() && name[0] == L'_') left.push_back(name);
    }
    return left;
  }

  pf::sim::ScopedSimPc pc_;
  pf::SC_HANDLE manager_ = 0;
  pf::SC_HANDLE helper_ = 0;
};

}  // namespace spoolmate_test
