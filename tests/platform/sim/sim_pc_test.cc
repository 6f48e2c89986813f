// The simulated PC as a whole: its service processes run as the local system
// account, end before the PC's scope gives the platform back, and shut down
// when the PC restarts.
#include "platform/sim/sim_pc.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"

namespace pf::sim {
namespace {

const wchar_t kProgram[] = L"C:\\Services\\Helper.exe";
const std::wstring kDevice = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRTQ-5800TQMM\\1";

// A service program that writes to the device key from its control handler
// and, once its dispatcher returns, marks in HKEY_CURRENT_USER that it ended.
struct HelperProgram {
  static SERVICE_STATUS_HANDLE handle;
  static SERVICE_STATUS status;
  static LONG writeResult;

  static void Handler(DWORD control) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
      HKEY key = 0;
      writeResult = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDevice.c_str(), 0, KEY_READ | KEY_WRITE, &key);
      if (writeResult == ERROR_SUCCESS) {
        const BYTE control32[] = {static_cast<BYTE>(control), 0, 0, 0};
        writeResult = RegSetValueExW(key, L"Stopped", REG_DWORD, control32, sizeof control32);
        RegCloseKey(key);
      }
      status.dwCurrentState = SERVICE_STOPPED;
    }
    SetServiceStatus(handle, &status);
  }
  static void Entry(DWORD, char**) {
    handle = RegisterServiceCtrlHandlerA("Helper", Handler);
    status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_RUNNING, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN, 0, 0, 0, 0};
    SetServiceStatus(handle, &status);
  }
  static int Main(int, char**) {
    const SERVICE_TABLE_ENTRYA table[] = {{"Helper", Entry}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherA(table);
    HKEY key = 0;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\HelperEnded", 0, KEY_ALL_ACCESS, &key, nullptr);
    RegCloseKey(key);
    return 0;
  }
};
SERVICE_STATUS_HANDLE HelperProgram::handle = 0;
SERVICE_STATUS HelperProgram::status{};
LONG HelperProgram::writeResult = -1;

// Registers and starts the helper on the current platform; the service handle.
SC_HANDLE StartHelper(SimPc& pc) {
  HelperProgram::writeResult = -1;
  pc.registry().CreateKey(HKEY_LOCAL_MACHINE, kDevice);
  pc.services().RegisterProgram(kProgram, HelperProgram::Main);
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = CreateServiceW(manager, L"Helper", L"Helper", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, kProgram, nullptr, nullptr, nullptr,
                                     nullptr, nullptr);
  CloseServiceHandle(manager);
  EXPECT_NE(service, 0u);
  EXPECT_TRUE(StartServiceW(service, 0, nullptr));
  return service;
}

TEST(SimPcTest, ServiceThreadsWriteWhereTheAdministratorCannot) {
  ScopedSimPc pc;
  SC_HANDLE service = StartHelper(pc.pc());
  HKEY key = 0;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDevice.c_str(), 0, KEY_READ | KEY_WRITE, &key), ERROR_ACCESS_DENIED);
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(HelperProgram::writeResult, ERROR_SUCCESS);
  DWORD stopped = 0;
  EXPECT_TRUE(pc->registry().GetDword(HKEY_LOCAL_MACHINE, kDevice, L"Stopped", &stopped));
  EXPECT_EQ(stopped, SERVICE_CONTROL_STOP);
  CloseServiceHandle(service);
  pc->services().WaitForProcesses();
}

TEST(SimPcTest, ServiceProcessesEndBeforeTheScopeGivesThePlatformBack) {
  ScopedSimPc outer;
  {
    ScopedSimPc inner;
    SC_HANDLE service = StartHelper(inner.pc());
    CloseServiceHandle(service);
    // The helper still runs when inner goes; what it does as it ends must
    // land on its own PC, not on the one that comes back.
  }
  EXPECT_FALSE(outer->registry().KeyExists(HKEY_CURRENT_USER, L"Software\\HelperEnded"));
}

TEST(SimPcTest, RestartShutsServicesDownAndEndsTheirProcesses) {
  ScopedSimPc pc;
  SC_HANDLE service = StartHelper(pc.pc());
  pc->Restart();
  DWORD stopped = 0;
  EXPECT_TRUE(pc->registry().GetDword(HKEY_LOCAL_MACHINE, kDevice, L"Stopped", &stopped));
  EXPECT_EQ(stopped, SERVICE_CONTROL_SHUTDOWN);
  EXPECT_TRUE(pc->registry().KeyExists(HKEY_CURRENT_USER, L"Software\\HelperEnded"));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(service, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  SimServiceRegistration registration;
  EXPECT_TRUE(pc->services().GetRegistration(L"Helper", &registration));  // registrations stay
  CloseServiceHandle(service);
}

}  // namespace
}  // namespace pf::sim
