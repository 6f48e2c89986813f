// The simulated service control manager.
//
// Registrations live in memory. A service program is code linked into the
// test, registered under its binary path with RegisterProgram. StartService
// runs the program's main on a thread of its own, as a new process would; the
// program's StartServiceCtrlDispatcherA starts the service entry on another
// thread and then delivers controls to the registered handler on the
// dispatcher's thread until the service reports SERVICE_STOPPED.
//
// To keep tests deterministic, StartService returns once the service has left
// SERVICE_START_PENDING (or its process has ended), and ControlService returns
// once the handler has returned, as Windows does.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/services.h"

namespace pf::sim {

class SimSystem;

// A service program's entry point: main(argc, argv) of its process.
using SimProgramMain = std::function<int(int argc, char** argv)>;

struct SimServiceRegistration {
  std::wstring name, displayName, binaryPath;
  DWORD serviceType = 0, startType = 0, errorControl = 0;
  bool markedForDelete = false;
};

class SimServices : public ServiceApi {
 public:
  explicit SimServices(SimSystem& system);
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
  // Makes binaryPath (compared without case; a bare file name matches any
  // folder) a program that StartService can run.
  void RegisterProgram(const std::wstring& binaryPathOrName, SimProgramMain main);
  // Copies the registration named name (compared without case); false if none.
  bool GetRegistration(const std::wstring& name, SimServiceRegistration* registration) const;
  std::vector<std::wstring> ServiceNames() const;
  // Creates a stopped registration as if CreateService had been called.
  void AddRegistration(const SimServiceRegistration& registration);
  // Makes OpenSCManager fail with error (0 restores success).
  void SetManagerFailure(DWORD error) { managerFailure_ = error; }
  // Delivers SERVICE_CONTROL_SHUTDOWN to every running service that accepts
  // it, as the system does when it shuts down; returns once the handlers ran.
  void Shutdown();
  // Waits until every service process started so far has ended.
  void WaitForProcesses();
  // The binary paths of the programs started so far, in order.
  std::vector<std::wstring> StartedPrograms() const;

 private:
  struct Process;
  struct Service;
  struct Handle {
    bool manager;
    DWORD access;
    std::wstring service;  // key into services_ for service handles
  };

  Service* FindService(const std::wstring& name);
  const Service* FindService(const std::wstring& name) const;
  Service* ServiceOf(SC_HANDLE handle, DWORD access, DWORD* error);
  SC_HANDLE NewHandle(Handle handle);
  SimProgramMain* FindProgram(const std::wstring& binaryPath, std::wstring* exePath, std::wstring* args);
  void RemoveIfDeletable(const std::wstring& key);
  bool SendControl(Service& service, DWORD control, std::unique_lock<std::mutex>* lock);
  void RunProcess(std::shared_ptr<Process> process, SimProgramMain main, std::vector<std::string> args);
  BOOL Fail(DWORD error);

  static thread_local Process* currentProcess_;  // the simulated process this thread belongs to

  SimSystem& system_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::wstring, std::unique_ptr<Service>> services_;  // key: upper-case name
  std::map<SC_HANDLE, Handle> handles_;
  SC_HANDLE nextHandle_ = 0x5C000;
  std::vector<std::pair<std::wstring, SimProgramMain>> programs_;
  std::vector<std::shared_ptr<Process>> processes_;
  std::vector<std::wstring> started_;
  DWORD managerFailure_ = 0;
};

}  // namespace pf::sim
