// The simulated service control manager.
//
// Registrations live in memory. A service program is a program of the PC
// (the kernel's RegisterProgram). StartService runs it on a thread of its
// own, as a new process would; the program's StartServiceCtrlDispatcherA
// starts the service entry on another thread and then delivers controls to
// the registered handler on the dispatcher's thread until the service reports
// SERVICE_STOPPED. Every thread of a service process runs as the local system
// account and sees the program's image as its module (GetModuleFileName).
//
// Manager and service handles are handles of the kernel's table
// (ServiceManager, Service); CloseServiceHandle closes those and nothing
// else. Every call takes the kernel's lock, can be made to fail through the
// kernel's FailCall under its own name, and sets the last error when it fails.
// The ANSI forms convert through the kernel's ANSI code page.
//
// To keep tests deterministic, StartService returns once the service has left
// SERVICE_START_PENDING, its entry has returned or its process has ended, and
// ControlService returns once the handler has returned. Both wait for the
// service's threads with the kernel's lock released. A process that has not
// connected to the manager 30 seconds after its start, on the virtual clock
// (time passes only when some thread sleeps or waits), makes StartService
// fail with ERROR_SERVICE_REQUEST_TIMEOUT, as Windows does.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {

// A program's entry point in the C form: main(argc, argv) of its process,
// with the command line split into ANSI arguments.
using SimProgramMain = std::function<int(int argc, char** argv)>;

struct SimServiceRegistration {
  std::wstring name, displayName, binaryPath;
  DWORD serviceType = 0, startType = 0, errorControl = 0;
  bool markedForDelete = false;
};

class SimServices : public ServiceApi {
 public:
  explicit SimServices(SimKernel& kernel);
  // Ends every service process and joins its threads.
  ~SimServices() override;
  SimServices(const SimServices&) = delete;
  SimServices& operator=(const SimServices&) = delete;

  SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database, DWORD access) override;
  SC_HANDLE OpenSCManagerA(const char* machine, const char* database, DWORD access) override;
  SC_HANDLE CreateServiceW(SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName, DWORD access,
                           DWORD serviceType, DWORD startType, DWORD errorControl, const wchar_t* binaryPath,
                           const wchar_t* loadOrderGroup, DWORD* tagId, const wchar_t* dependencies,
                           const wchar_t* account, const wchar_t* password) override;
  SC_HANDLE CreateServiceA(SC_HANDLE manager, const char* name, const char* displayName, DWORD access,
                           DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                           const char* loadOrderGroup, DWORD* tagId, const char* dependencies,
                           const char* account, const char* password) override;
  SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) override;
  SC_HANDLE OpenServiceA(SC_HANDLE manager, const char* name, DWORD access) override;
  BOOL StartServiceW(SC_HANDLE service, DWORD argc, const wchar_t** argv) override;
  BOOL StartServiceA(SC_HANDLE service, DWORD argc, const char** argv) override;
  BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override;
  BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
  BOOL DeleteService(SC_HANDLE service) override;
  BOOL CloseServiceHandle(SC_HANDLE handle) override;
  BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* table) override;
  SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(const char* name, LPHANDLER_FUNCTION handler) override;
  BOOL SetServiceStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) override;

  // Test API.
  // Registers a C-style main as a program of the PC (see
  // SimKernel::RegisterProgram); its exit code is main's result.
  void RegisterProgram(const std::wstring& binaryPathOrName, SimProgramMain main);
  // Copies the registration named name (compared without case); false if none.
  bool GetRegistration(const std::wstring& name, SimServiceRegistration* registration) const;
  std::vector<std::wstring> ServiceNames() const;
  // Creates a stopped registration as if CreateService had been called.
  void AddRegistration(const SimServiceRegistration& registration);
  // Makes OpenSCManager fail with error (0 restores success).
  void SetManagerFailure(DWORD error);
  // Delivers SERVICE_CONTROL_SHUTDOWN to every running service that accepts
  // it, as the system does when it shuts down; returns once the handlers ran.
  void Shutdown();
  // Waits until every service process started so far has ended.
  void WaitForProcesses();
  // Ends every service process still running and joins its threads: the
  // dispatchers return at once, pending controls fail. The services are then
  // stopped; their registrations stay.
  void EndProcesses();
  // The binary paths of the programs started so far, in order.
  std::vector<std::wstring> StartedPrograms() const;

 private:
  struct Process;
  struct Service;
  struct Request;
  class HandleObject;

  SC_HANDLE OpenManager(const std::wstring& database, DWORD access);
  SC_HANDLE Create(SC_HANDLE manager, const std::wstring* name, const std::wstring* displayName, DWORD access,
                   DWORD serviceType, DWORD startType, DWORD errorControl, const std::wstring* binaryPath,
                   DWORD* tagId);
  SC_HANDLE Open(SC_HANDLE manager, const std::wstring* name, DWORD access);
  BOOL Start(SC_HANDLE service, std::vector<std::string> args);

  Service* FindService(const std::wstring& name);
  const Service* FindService(const std::wstring& name) const;
  Service* ServiceOf(SC_HANDLE handle, DWORD access, DWORD* error);
  bool FindProgram(const std::wstring& binaryPath, SimProgram* program, SimProcessStart* start) const;
  void RemoveIfDeletable(const std::wstring& key);
  bool SendControl(Service& service, DWORD control);
  void RunProcess(std::shared_ptr<Process> process, SimProgram program, SimProcessStart start);
  // Joins the threads of every process; with abort, ends them first.
  void JoinProcesses(bool abort);
  BOOL Fail(DWORD error);

  static thread_local Process* currentProcess_;  // the simulated process this thread belongs to

  SimKernel& kernel_;
  std::map<std::wstring, std::unique_ptr<Service>> services_;  // key: upper-case name
  SERVICE_STATUS_HANDLE nextStatusHandle_ = 0x5C000;
  std::vector<std::shared_ptr<Process>> processes_;
  std::vector<std::wstring> started_;
  DWORD managerFailure_ = 0;
};

}  // namespace pf::sim
