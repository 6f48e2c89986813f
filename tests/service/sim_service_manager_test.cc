// The simulated service control manager, driven the way setup and Spoolmate
// drive Windows' manager.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_sync.h"
#include "platform/sim/sim_system.h"

namespace {

using namespace pf;
using pf::sim::SimServices;
using pf::sim::SimSystem;

// A one-service program like Spoolmate: reports running from its entry and
// stops from its handler.
struct FakeProgram {
  static SimServices* manager;
  static SimSystem* system;
  static SERVICE_STATUS_HANDLE handle;
  static SERVICE_STATUS status;
  static std::vector<DWORD> controls;
  static std::string entryName;
  static std::wstring mainModule, entryModule;  // GetModuleFileNameW on each thread

  static std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, system->GetModuleFileNameW(0, path, MAX_PATH));
  }

  static void Handler(DWORD control) {
    controls.push_back(control);
    if (control == SERVICE_CONTROL_STOP) status.dwCurrentState = SERVICE_STOPPED;
    if (control == SERVICE_CONTROL_PAUSE) status.dwCurrentState = SERVICE_PAUSED;
    manager->SetServiceStatus(handle, &status);
  }
  static void Entry(DWORD argc, char** argv) {
    entryName = argc > 0 ? argv[0] : "";
    entryModule = ModulePath();
    handle = manager->RegisterServiceCtrlHandlerA("Table Name", Handler);
    status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_RUNNING,
              SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN, 0, 0, 0, 0};
    manager->SetServiceStatus(handle, &status);
  }
  static int Main(int, char**) {
    mainModule = ModulePath();
    const SERVICE_TABLE_ENTRYA table[] = {{"Table Name", Entry}, {nullptr, nullptr}};
    return manager->StartServiceCtrlDispatcherA(table) ? 0 : 1;
  }
};
SimServices* FakeProgram::manager = nullptr;
SimSystem* FakeProgram::system = nullptr;
std::wstring FakeProgram::mainModule, FakeProgram::entryModule;
SERVICE_STATUS_HANDLE FakeProgram::handle = 0;
SERVICE_STATUS FakeProgram::status{};
std::vector<DWORD> FakeProgram::controls;
std::string FakeProgram::entryName;

class SimServiceManagerTest : public ::testing::Test {
 protected:
  SimServiceManagerTest() : services_(kernel_) {
    FakeProgram::manager = &services_;
    FakeProgram::system = &system_;
    FakeProgram::controls.clear();
    services_.RegisterProgram(L"C:\\Program Files\\Common Files\\Services\\Spoolmate.exe", FakeProgram::Main);
    manager_ = services_.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  }
  ~SimServiceManagerTest() override {
    services_.CloseServiceHandle(manager_);
    services_.WaitForProcesses();
  }
  SC_HANDLE Create(const wchar_t* name, const wchar_t* path) {
    return services_.CreateServiceW(manager_, name, name, SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                                    SERVICE_ERROR_NORMAL, path, nullptr, nullptr, nullptr, nullptr, nullptr);
  }

  pf::sim::SimKernel kernel_;
  SimSystem system_{kernel_};
  SimServices services_;
  SC_HANDLE manager_ = 0;
};

const wchar_t kQuoted[] = L"\"C:\\Program Files\\Common Files\\Services\\Spoolmate.exe\"";

TEST_F(SimServiceManagerTest, RegistrationErrorsAreWindows) {
  SC_HANDLE service = Create(L"Printer Helper", kQuoted);
  ASSERT_NE(service, 0u);
  EXPECT_EQ(Create(L"printer helper", kQuoted), 0u);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
  EXPECT_EQ(services_.OpenServiceW(manager_, L"Nobody", SERVICE_ALL_ACCESS), 0u);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  SC_HANDLE connectOnly = services_.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  EXPECT_EQ(services_.CreateServiceW(connectOnly, L"Other", nullptr, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, kQuoted, nullptr, nullptr, nullptr,
                                     nullptr, nullptr),
            0u);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SERVICE_STATUS status{};
  EXPECT_FALSE(services_.ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  services_.CloseServiceHandle(service);
  services_.CloseServiceHandle(connectOnly);
}

TEST_F(SimServiceManagerTest, RunsTheFirstTableEntryAndDeliversControls) {
  SC_HANDLE service = Create(L"Printer Helper", kQuoted);
  ASSERT_TRUE(services_.StartServiceW(service, 0, nullptr));
  EXPECT_EQ(FakeProgram::entryName, "Printer Helper");  // the registration's name, not the table's
  // Both threads of the service process run the service's program; the
  // caller's thread stays the PC's own program.
  const std::wstring image = L"C:\\Program Files\\Common Files\\Services\\Spoolmate.exe";
  EXPECT_EQ(FakeProgram::mainModule, image);
  EXPECT_EQ(FakeProgram::entryModule, image);
  EXPECT_EQ(FakeProgram::ModulePath(), L"C:\\TQPrinterSetup\\setup.exe");
  SERVICE_STATUS status{};
  ASSERT_TRUE(services_.QueryServiceStatus(service, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  EXPECT_FALSE(services_.StartServiceW(service, 0, nullptr));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));

  ASSERT_TRUE(services_.ControlService(service, SERVICE_CONTROL_PAUSE, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_PAUSED);
  ASSERT_TRUE(services_.ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);  // reported by the handler before the call returns
  EXPECT_EQ(FakeProgram::controls, (std::vector<DWORD>{SERVICE_CONTROL_PAUSE, SERVICE_CONTROL_STOP}));
  services_.WaitForProcesses();
  EXPECT_FALSE(services_.ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  services_.CloseServiceHandle(service);
}

TEST_F(SimServiceManagerTest, DeletedWhileRunningGoesOnceStoppedAndClosed) {
  SC_HANDLE service = Create(L"Printer Helper", kQuoted);
  ASSERT_TRUE(services_.StartServiceW(service, 0, nullptr));
  ASSERT_TRUE(services_.DeleteService(service));
  EXPECT_FALSE(services_.DeleteService(service));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_EQ(Create(L"Printer Helper", kQuoted), 0u);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  SERVICE_STATUS status{};
  ASSERT_TRUE(services_.ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(services_.ServiceNames().size(), 1u);  // a handle is still open
  services_.CloseServiceHandle(service);
  EXPECT_TRUE(services_.ServiceNames().empty());
}

TEST_F(SimServiceManagerTest, UnquotedPathWithSpacesStartsAShorterProgram) {
  std::atomic<int> hijacked{0};
  services_.RegisterProgram(L"C:\\Program.exe", [&](int, char**) {
    ++hijacked;
    return 0;
  });
  SC_HANDLE unquoted = Create(L"Unquoted", L"C:\\Program Files\\Common Files\\Services\\Spoolmate.exe");
  EXPECT_FALSE(services_.StartServiceW(unquoted, 0, nullptr));  // never connects to the manager
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
  services_.WaitForProcesses();
  EXPECT_EQ(hijacked.load(), 1);
  SC_HANDLE quoted = Create(L"Quoted", kQuoted);
  ASSERT_TRUE(services_.StartServiceW(quoted, 0, nullptr));
  SERVICE_STATUS status{};
  services_.ControlService(quoted, SERVICE_CONTROL_STOP, &status);
  EXPECT_EQ(hijacked.load(), 1);
  EXPECT_EQ(services_.StartedPrograms().back(), L"C:\\Program Files\\Common Files\\Services\\Spoolmate.exe");
  services_.CloseServiceHandle(unquoted);
  services_.CloseServiceHandle(quoted);
}

TEST_F(SimServiceManagerTest, UnquotedPathIsTriedAtEverySpaceShortestFirst) {
  services_.RegisterProgram(L"C:\\Program Files\\Common.exe", [](int, char**) { return 0; });
  SC_HANDLE unquoted = Create(L"Unquoted", L"C:\\Program Files\\Common Files\\Services\\Spoolmate.exe");
  EXPECT_FALSE(services_.StartServiceW(unquoted, 0, nullptr));
  services_.RegisterProgram(L"C:\\Program.exe", [](int, char**) { return 0; });
  EXPECT_FALSE(services_.StartServiceW(unquoted, 0, nullptr));
  services_.WaitForProcesses();
  EXPECT_EQ(services_.StartedPrograms(),
            (std::vector<std::wstring>{L"C:\\Program Files\\Common.exe", L"C:\\Program.exe"}));
  services_.CloseServiceHandle(unquoted);
}

TEST_F(SimServiceManagerTest, DispatcherOutsideAServiceProcessFails) {
  const SERVICE_TABLE_ENTRYA table[] = {{"Table Name", FakeProgram::Entry}, {nullptr, nullptr}};
  EXPECT_FALSE(services_.StartServiceCtrlDispatcherA(table));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
}

TEST_F(SimServiceManagerTest, HandlesAreTheKernelsAndOnlyCloseServiceHandleClosesThem) {
  SC_HANDLE service = Create(L"Printer Helper", kQuoted);
  ASSERT_NE(service, 0u);
  EXPECT_EQ(kernel_.OpenHandleCount(pf::sim::ObjectKind::ServiceManager), 1u);
  EXPECT_EQ(kernel_.OpenHandleCount(pf::sim::ObjectKind::Service), 1u);
  pf::sim::SimSync sync(kernel_);
  EXPECT_FALSE(sync.CloseHandle(service));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  const HANDLE event = sync.CreateEventW(nullptr, TRUE, TRUE, nullptr);
  EXPECT_FALSE(services_.CloseServiceHandle(event));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(sync.WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  // A service handle where a manager handle belongs, and the other way round.
  EXPECT_EQ(services_.OpenServiceW(service, L"Printer Helper", SERVICE_ALL_ACCESS), 0u);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SERVICE_STATUS status{};
  EXPECT_FALSE(services_.QueryServiceStatus(manager_, &status));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  EXPECT_TRUE(services_.CloseServiceHandle(service));
  EXPECT_FALSE(services_.CloseServiceHandle(service));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(services_.QueryServiceStatus(service, &status));
  SC_HANDLE reopened = services_.OpenServiceW(manager_, L"Printer Helper", SERVICE_QUERY_STATUS);
  EXPECT_NE(reopened, service);
  services_.CloseServiceHandle(reopened);
  sync.CloseHandle(event);
}

TEST_F(SimServiceManagerTest, CallsFailThroughTheKernelWithTheirError) {
  SC_HANDLE service = Create(L"Printer Helper", kQuoted);
  kernel_.FailCall("StartServiceW", ERROR_SERVICE_DISABLED, 0);
  kernel_.FailCall("OpenSCManagerA", ERROR_ACCESS_DENIED);
  EXPECT_FALSE(services_.StartServiceW(service, 0, nullptr));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));
  EXPECT_TRUE(FakeProgram::controls.empty());
  EXPECT_EQ(services_.OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT), 0u);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SC_HANDLE wide = services_.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  EXPECT_NE(wide, 0u);  // the wide form is a call of its own
  services_.CloseServiceHandle(wide);
  ASSERT_TRUE(services_.StartServiceW(service, 0, nullptr));  // only the first start was to fail
  SERVICE_STATUS status{};
  ASSERT_TRUE(services_.ControlService(service, SERVICE_CONTROL_STOP, &status));
  services_.CloseServiceHandle(service);
}

// The manager gives a process 30 seconds to connect; the seconds are the
// virtual clock's, which moves while the program sleeps.
TEST_F(SimServiceManagerTest, StartTimesOutOnTheVirtualClock) {
  DWORD lateResult = 0, lateError = 0;
  services_.RegisterProgram(L"C:\\Late.exe", [&](int argc, char** argv) {
    system_.Sleep(30000);
    lateResult = static_cast<DWORD>(FakeProgram::Main(argc, argv));
    lateError = system_.GetLastError();
    return 0;
  });
  services_.RegisterProgram(L"C:\\Slow.exe", [&](int argc, char** argv) {
    system_.Sleep(29999);
    return FakeProgram::Main(argc, argv);
  });
  SC_HANDLE late = Create(L"Late", L"C:\\Late.exe");
  SC_HANDLE slow = Create(L"Slow", L"C:\\Slow.exe");
  const std::uint64_t start = kernel_.Now();
  EXPECT_FALSE(services_.StartServiceW(late, 0, nullptr));
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
  services_.WaitForProcesses();
  EXPECT_EQ(kernel_.Now() - start, 30000u);
  EXPECT_EQ(lateResult, 1u);  // its dispatcher could no longer connect
  EXPECT_EQ(lateError, static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
  SERVICE_STATUS status{};
  ASSERT_TRUE(services_.QueryServiceStatus(late, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);

  ASSERT_TRUE(services_.StartServiceW(slow, 0, nullptr));
  ASSERT_TRUE(services_.QueryServiceStatus(slow, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  ASSERT_TRUE(services_.ControlService(slow, SERVICE_CONTROL_STOP, &status));
  services_.CloseServiceHandle(late);
  services_.CloseServiceHandle(slow);
}

// A caller that holds the kernel's lock several levels deep (a service
// started from an event that fires during a Sleep) still lets the service's
// threads run while it waits for them.
TEST_F(SimServiceManagerTest, StartFromAScheduledEventLetsTheServiceRun) {
  SC_HANDLE service = Create(L"Printer Helper", kQuoted);
  BOOL started = FALSE;
  DWORD state = 0;
  system_.Schedule(system_.GetTickCount() + 100, [&] {
    auto lock = kernel_.Lock();
    started = services_.StartServiceW(service, 0, nullptr);
    SERVICE_STATUS status{};
    services_.QueryServiceStatus(service, &status);
    state = status.dwCurrentState;
  });
  system_.Sleep(200);
  EXPECT_TRUE(started);
  EXPECT_EQ(state, SERVICE_RUNNING);
  SERVICE_STATUS status{};
  ASSERT_TRUE(services_.ControlService(service, SERVICE_CONTROL_STOP, &status));
  services_.CloseServiceHandle(service);
}

}  // namespace
