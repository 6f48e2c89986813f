#include "platform/sim/sim_services.h"

#include <deque>
#include <thread>

#include "common/text/case_fold.h"

namespace pf::sim {
namespace {

using text::Upper;

constexpr DWORD kDeleteAccess = 0x10000;
constexpr DWORD kUserDefinedControlAccess = 0x0100;
constexpr LONG kErrorInvalidData = 13;
constexpr LONG kErrorServiceProcessAborted = 1067;
constexpr LONG kErrorDatabaseDoesNotExist = 1065;
// How long a started process has to connect to the manager, in virtual milliseconds.
constexpr DWORD kStartTimeout = 30000;

std::wstring FileNameOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring TrimLeft(const std::wstring& text) {
  const size_t start = text.find_first_not_of(L' ');
  return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

// Splits a command line at spaces, keeping quoted runs whole and dropping the quotes.
std::vector<std::wstring> SplitArguments(const std::wstring& line) {
  std::vector<std::wstring> args;
  std::wstring current;
  bool quoted = false, any = false;
  for (wchar_t c : line) {
    if (c == L'"') {
      quoted = !quoted;
      any = true;
    } else if (c == L' ' && !quoted) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current.push_back(c);
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

bool ValidServiceType(DWORD type) {
  DWORD base = type & ~SERVICE_INTERACTIVE_PROCESS;
  return base == SERVICE_WIN32_OWN_PROCESS || base == SERVICE_WIN32_SHARE_PROCESS;
}

// Runs a C-style main with argv built from the command line.
DWORD RunMain(SimKernel& kernel, const SimProgramMain& main, const SimProcessStart& start) {
  std::vector<std::string> args;
  for (const std::wstring& arg : SplitArguments(start.commandLine)) args.push_back(kernel.ToAnsi(arg));
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return static_cast<DWORD>(main(static_cast<int>(args.size()), argv.data()));
}

}  // namespace

// A control on its way to a process's handler; shared by the caller waiting
// for it and the dispatcher that delivers it.
struct SimServices::Request {
  DWORD control;
  bool done = false;
};

struct SimServices::Process {
  std::wstring serviceKey;
  std::vector<std::string> serviceArgs;  // argv of the service entry
  std::wstring imagePath;                // the program's file, its threads' module path
  SERVICE_STATUS_HANDLE statusHandle = 0;
  std::thread thread;
  bool connected = false;
  bool entryReturned = false;
  bool ended = false;
  bool abort = false;       // the manager ends the process: its dispatcher returns
  bool abandoned = false;   // StartService gave up before it connected
  std::uint64_t connectBy = 0;  // virtual time by which it must connect
  LPHANDLER_FUNCTION handler = nullptr;
  std::deque<std::shared_ptr<Request>> requests;
};

struct SimServices::Service {
  SimServiceRegistration registration;
  SERVICE_STATUS status{};
  std::shared_ptr<Process> process;  // the latest process started for it
  int openHandles = 0;

  bool Running() const { return process && !process->ended && status.dwCurrentState != SERVICE_STOPPED; }
};

// A manager or service handle in the kernel's table.
class SimServices::HandleObject : public KernelObject {
 public:
  HandleObject(bool manager, DWORD access, std::wstring service)
      : manager(manager), access(access), service(std::move(service)) {}
  ObjectKind kind() const override { return manager ? ObjectKind::ServiceManager : ObjectKind::Service; }

  const bool manager;
  const DWORD access;
  const std::wstring service;  // key into services_ for service handles
};

thread_local SimServices::Process* SimServices::currentProcess_ = nullptr;

SimServices::SimServices(SimKernel& kernel) : kernel_(kernel) {}

SimServices::~SimServices() { JoinProcesses(true); }

BOOL SimServices::Fail(DWORD error) { return kernel_.Fail(error); }

SimServices::Service* SimServices::FindService(const std::wstring& name) {
  auto found = services_.find(Upper(name));
  return found == services_.end() ? nullptr : found->second.get();
}

const SimServices::Service* SimServices::FindService(const std::wstring& name) const {
  auto found = services_.find(Upper(name));
  return found == services_.end() ? nullptr : found->second.get();
}

SimServices::Service* SimServices::ServiceOf(SC_HANDLE handle, DWORD access, DWORD* error) {
  auto object = kernel_.FindAs<HandleObject>(handle, {ObjectKind::Service});
  if (!object) {
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if ((object->access & access) != access) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  Service* service = FindService(object->service);
  if (!service) *error = ERROR_INVALID_HANDLE;
  return service;
}

void SimServices::RemoveIfDeletable(const std::wstring& key) {
  auto found = services_.find(key);
  if (found == services_.end()) return;
  const Service& service = *found->second;
  if (service.registration.markedForDelete && service.openHandles == 0 && !service.Running()) {
    services_.erase(found);
  }
}

// --- Manager side ---

SC_HANDLE SimServices::OpenManager(const std::wstring& database, DWORD access) {
  if (managerFailure_ != 0) return Fail(managerFailure_);
  if (!database.empty() && Upper(database) != L"SERVICESACTIVE") return Fail(kErrorDatabaseDoesNotExist);
  kernel_.SetLastError(ERROR_SUCCESS);
  return kernel_.Insert(std::make_shared<HandleObject>(true, access, std::wstring()));
}

SC_HANDLE SimServices::OpenSCManagerW(const wchar_t*, const wchar_t* database, DWORD access) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("OpenSCManagerW")) return Fail(error);
  return OpenManager(database ? database : L"", access);
}

SC_HANDLE SimServices::OpenSCManagerA(const char*, const char* database, DWORD access) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("OpenSCManagerA")) return Fail(error);
  return OpenManager(database ? kernel_.FromAnsi(database) : L"", access);
}

SC_HANDLE SimServices::Create(SC_HANDLE manager, const std::wstring* name, const std::wstring* displayName,
                              DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                              const std::wstring* binaryPath, DWORD* tagId) {
  auto managerObject = kernel_.FindAs<HandleObject>(manager, {ObjectKind::ServiceManager});
  if (!managerObject) return Fail(ERROR_INVALID_HANDLE);
  if (!(managerObject->access & SC_MANAGER_CREATE_SERVICE)) return Fail(ERROR_ACCESS_DENIED);
  const std::wstring serviceName = name ? *name : std::wstring();
  if (serviceName.empty() || serviceName.find_first_of(L"/\\") != std::wstring::npos) {
    return Fail(ERROR_INVALID_NAME);
  }
  if (!binaryPath || binaryPath->empty() || !ValidServiceType(serviceType) || startType > SERVICE_DISABLED ||
      errorControl > 3 || tagId) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (const Service* existing = FindService(serviceName)) {
    return Fail(existing->registration.markedForDelete ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS);
  }
  std::wstring display = displayName && !displayName->empty() ? *displayName : serviceName;
  for (const auto& entry : services_) {
    const SimServiceRegistration& other = entry.second->registration;
    if (Upper(other.displayName) == Upper(display) || Upper(other.name) == Upper(display)) {
      return Fail(ERROR_DUPLICATE_SERVICE_NAME);
    }
  }
  auto service = std::make_unique<Service>();
  service->registration = {serviceName, display, *binaryPath, serviceType, startType, errorControl, false};
  service->status.dwServiceType = serviceType;
  service->status.dwCurrentState = SERVICE_STOPPED;
  service->openHandles = 1;
  std::wstring key = Upper(serviceName);
  services_[key] = std::move(service);
  kernel_.SetLastError(ERROR_SUCCESS);
  return kernel_.Insert(std::make_shared<HandleObject>(false, access, key));
}

SC_HANDLE SimServices::CreateServiceW(SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName,
                                      DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                                      const wchar_t* binaryPath, const wchar_t*, DWORD* tagId, const wchar_t*,
                                      const wchar_t*, const wchar_t*) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CreateServiceW")) return Fail(error);
  const std::wstring n = name ? name : L"", d = displayName ? displayName : L"", p = binaryPath ? binaryPath : L"";
  return Create(manager, name ? &n : nullptr, displayName ? &d : nullptr, access, serviceType, startType,
                errorControl, binaryPath ? &p : nullptr, tagId);
}

SC_HANDLE SimServices::CreateServiceA(SC_HANDLE manager, const char* name, const char* displayName, DWORD access,
                                      DWORD serviceType, DWORD startType, DWORD errorControl,
                                      const char* binaryPath, const char*, DWORD* tagId, const char*,
                                      const char*, const char*) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CreateServiceA")) return Fail(error);
  const std::wstring n = name ? kernel_.FromAnsi(name) : L"";
  const std::wstring d = displayName ? kernel_.FromAnsi(displayName) : L"";
  const std::wstring p = binaryPath ? kernel_.FromAnsi(binaryPath) : L"";
  return Create(manager, name ? &n : nullptr, displayName ? &d : nullptr, access, serviceType, startType,
                errorControl, binaryPath ? &p : nullptr, tagId);
}

SC_HANDLE SimServices::Open(SC_HANDLE manager, const std::wstring* name, DWORD access) {
  if (!kernel_.Find(manager, {ObjectKind::ServiceManager})) return Fail(ERROR_INVALID_HANDLE);
  if (!name || name->empty()) return Fail(ERROR_INVALID_NAME);
  Service* service = FindService(*name);
  if (!service) return Fail(ERROR_SERVICE_DOES_NOT_EXIST);
  ++service->openHandles;
  kernel_.SetLastError(ERROR_SUCCESS);
  return kernel_.Insert(std::make_shared<HandleObject>(false, access, Upper(*name)));
}

SC_HANDLE SimServices::OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("OpenServiceW")) return Fail(error);
  const std::wstring n = name ? name : L"";
  return Open(manager, name ? &n : nullptr, access);
}

SC_HANDLE SimServices::OpenServiceA(SC_HANDLE manager, const char* name, DWORD access) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("OpenServiceA")) return Fail(error);
  const std::wstring n = name ? kernel_.FromAnsi(name) : L"";
  return Open(manager, name ? &n : nullptr, access);
}

// The program a binary path starts, and how: like CreateProcess, a quoted
// path is taken whole; an unquoted one is tried at every space, shortest
// first, and a file name without an extension also as ".exe".
bool SimServices::FindProgram(const std::wstring& binaryPath, SimProgram* program, SimProcessStart* start) const {
  auto lookup = [&](const std::wstring& candidate, const std::wstring& parameters) {
    std::wstring image = candidate;
    const SimProgram* found = kernel_.FindProgram(image);
    if (!found && FileNameOf(image).find(L'.') == std::wstring::npos) {
      image += L".exe";
      found = kernel_.FindProgram(image);
    }
    if (!found) return false;
    *program = *found;
    start->imagePath = image;
    start->commandLine = image.find(L' ') == std::wstring::npos ? image : L"\"" + image + L"\"";
    const std::wstring rest = TrimLeft(parameters);
    if (!rest.empty()) start->commandLine += L" " + rest;
    return true;
  };
  if (!binaryPath.empty() && binaryPath[0] == L'"') {
    size_t close = binaryPath.find(L'"', 1);
    if (close == std::wstring::npos) return false;
    return lookup(binaryPath.substr(1, close - 1), binaryPath.substr(close + 1));
  }
  for (size_t end = binaryPath.find(L' ');; end = binaryPath.find(L' ', end + 1)) {
    const std::wstring parameters = end == std::wstring::npos ? std::wstring() : binaryPath.substr(end + 1);
    if (lookup(binaryPath.substr(0, end), parameters)) return true;
    if (end == std::wstring::npos) return false;
  }
}

BOOL SimServices::Start(SC_HANDLE service, std::vector<std::string> args) {
  DWORD error = 0;
  Service* target = ServiceOf(service, SERVICE_START, &error);
  if (!target) return Fail(error);
  if (target->registration.markedForDelete) return Fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  if (target->registration.startType == SERVICE_DISABLED) return Fail(ERROR_SERVICE_DISABLED);
  if (target->Running()) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
  SimProgram program;
  SimProcessStart start;
  if (!FindProgram(target->registration.binaryPath, &program, &start)) return Fail(ERROR_FILE_NOT_FOUND);

  const std::wstring key = Upper(target->registration.name);
  auto process = std::make_shared<Process>();
  process->serviceKey = key;
  process->imagePath = start.imagePath;
  process->serviceArgs.push_back(kernel_.ToAnsi(target->registration.name));
  process->serviceArgs.insert(process->serviceArgs.end(), args.begin(), args.end());
  process->statusHandle = nextStatusHandle_;
  nextStatusHandle_ += 4;
  process->connectBy = kernel_.Now() + kStartTimeout;
  target->process = process;
  target->status = SERVICE_STATUS{target->registration.serviceType, SERVICE_START_PENDING, 0, 0, 0, 0, 2000};
  processes_.push_back(process);
  started_.push_back(start.imagePath);
  process->thread = std::thread(&SimServices::RunProcess, this, process, std::move(program), std::move(start));

  kernel_.Wait([&] {
    const Service* current = FindService(key);
    const bool reported = current && current->status.dwCurrentState != SERVICE_START_PENDING;
    return process->ended || process->entryReturned || (process->connected && reported) ||
           (!process->connected && kernel_.Now() >= process->connectBy);
  });
  if (!process->connected) {
    process->abandoned = true;
    Service* current = FindService(key);
    if (current && current->process == process) current->status.dwCurrentState = SERVICE_STOPPED;
    return Fail(ERROR_SERVICE_REQUEST_TIMEOUT);
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimServices::StartServiceW(SC_HANDLE service, DWORD argc, const wchar_t** argv) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("StartServiceW")) return Fail(error);
  std::vector<std::string> args;
  for (DWORD i = 0; i < argc && argv; ++i) args.push_back(argv[i] ? kernel_.ToAnsi(argv[i]) : std::string());
  return Start(service, std::move(args));
}

BOOL SimServices::StartServiceA(SC_HANDLE service, DWORD argc, const char** argv) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("StartServiceA")) return Fail(error);
  std::vector<std::string> args;
  for (DWORD i = 0; i < argc && argv; ++i) args.push_back(argv[i] ? argv[i] : "");
  return Start(service, std::move(args));
}

void SimServices::RunProcess(std::shared_ptr<Process> process, SimProgram program, SimProcessStart start) {
  currentProcess_ = process.get();
  kernel_.SetCallerAccount(Account::LocalSystem);
  kernel_.SetCallerImage(start.imagePath);
  program(start);
  currentProcess_ = nullptr;

  auto lock = kernel_.Lock();
  process->ended = true;
  if (Service* service = FindService(process->serviceKey)) {
    if (service->process == process && service->status.dwCurrentState != SERVICE_STOPPED) {
      service->status.dwCurrentState = SERVICE_STOPPED;
      service->status.dwControlsAccepted = 0;
      service->status.dwWin32ExitCode = kErrorServiceProcessAborted;
    }
    RemoveIfDeletable(process->serviceKey);
  }
  kernel_.Notify();
}

bool SimServices::SendControl(Service& service, DWORD control) {
  std::shared_ptr<Process> process = service.process;
  auto request = std::make_shared<Request>();
  request->control = control;
  process->requests.push_back(request);
  kernel_.Notify();
  kernel_.Wait([&] { return request->done || process->ended || process->abort; });
  if (!request->done) {
    auto& queue = process->requests;
    for (auto it = queue.begin(); it != queue.end(); ++it) {
      if (*it == request) {
        queue.erase(it);
        break;
      }
    }
  }
  return request->done;
}

BOOL SimServices::ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("ControlService")) return Fail(error);
  DWORD access = kUserDefinedControlAccess;
  DWORD accepted = 0;
  switch (control) {
    case SERVICE_CONTROL_STOP:
      access = SERVICE_STOP;
      accepted = SERVICE_ACCEPT_STOP;
      break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
      access = SERVICE_PAUSE_CONTINUE;
      accepted = SERVICE_ACCEPT_PAUSE_CONTINUE;
      break;
    case SERVICE_CONTROL_INTERROGATE:
      access = SERVICE_INTERROGATE;
      break;
    default:
      if (control < 128 || control > 255) return Fail(ERROR_INVALID_PARAMETER);
  }
  DWORD error = 0;
  Service* target = ServiceOf(service, access, &error);
  if (!target) return Fail(error);
  std::wstring key = Upper(target->registration.name);
  auto report = [&] {
    if (status) {
      if (const Service* current = FindService(key)) *status = current->status;
    }
  };
  report();
  if (!target->Running()) return Fail(ERROR_SERVICE_NOT_ACTIVE);
  DWORD state = target->status.dwCurrentState;
  if (!target->process->handler || state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING) {
    return Fail(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
  }
  if (accepted && !(target->status.dwControlsAccepted & accepted)) return Fail(ERROR_INVALID_SERVICE_CONTROL);
  if (!SendControl(*target, control)) {
    report();
    return Fail(ERROR_SERVICE_NOT_ACTIVE);
  }
  report();
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SimServices::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("QueryServiceStatus")) return Fail(error);
  DWORD error = 0;
  Service* target = ServiceOf(service, SERVICE_QUERY_STATUS, &error);
  if (!target) return Fail(error);
  if (!status) return Fail(ERROR_INVALID_PARAMETER);
  *status = target->status;
  return TRUE;
}

BOOL SimServices::DeleteService(SC_HANDLE service) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("DeleteService")) return Fail(error);
  DWORD error = 0;
  Service* target = ServiceOf(service, kDeleteAccess, &error);
  if (!target) return Fail(error);
  if (target->registration.markedForDelete) return Fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  target->registration.markedForDelete = true;
  return TRUE;
}

BOOL SimServices::CloseServiceHandle(SC_HANDLE handle) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CloseServiceHandle")) return Fail(error);
  auto object = kernel_.FindAs<HandleObject>(handle, {ObjectKind::ServiceManager, ObjectKind::Service});
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  kernel_.Remove(handle, {ObjectKind::ServiceManager, ObjectKind::Service});
  if (!object->manager) {
    if (Service* service = FindService(object->service)) --service->openHandles;
    RemoveIfDeletable(object->service);
  }
  return TRUE;
}

// --- Service side ---

BOOL SimServices::StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* table) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("StartServiceCtrlDispatcherA")) return Fail(error);
  Process* process = currentProcess_;
  if (!process) return Fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
  if (!table || !table[0].lpServiceName || !table[0].lpServiceProc) return Fail(ERROR_INVALID_PARAMETER);
  if (process->connected) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
  if (process->abandoned || kernel_.Now() >= process->connectBy) {  // too late: the start has failed
    process->abandoned = true;
    return Fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
  }
  process->connected = true;
  kernel_.Notify();
  // An own-process service runs the table's first entry, whatever its name.
  LPSERVICE_MAIN_FUNCTIONA entry = table[0].lpServiceProc;
  std::vector<std::string> args = process->serviceArgs;
  std::thread serviceThread([this, process, entry, args]() mutable {
    currentProcess_ = process;
    kernel_.SetCallerAccount(Account::LocalSystem);
    kernel_.SetCallerImage(process->imagePath);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    entry(static_cast<DWORD>(args.size()), argv.data());
    currentProcess_ = nullptr;
    auto lock = kernel_.Lock();
    process->entryReturned = true;
    kernel_.Notify();
  });

  auto stopped = [&] {
    const Service* service = FindService(process->serviceKey);
    return !service || service->status.dwCurrentState == SERVICE_STOPPED;
  };
  for (;;) {
    kernel_.Wait([&] { return process->abort || !process->requests.empty() || stopped(); });
    if (process->abort || process->requests.empty()) break;  // ended, or stopped with nothing pending
    std::shared_ptr<Request> request = process->requests.front();
    process->requests.pop_front();
    LPHANDLER_FUNCTION handler = process->handler;
    if (handler) kernel_.RunUnlocked([&] { handler(request->control); });
    request->done = true;
    kernel_.Notify();
  }
  kernel_.RunUnlocked([&] { serviceThread.join(); });
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

SERVICE_STATUS_HANDLE SimServices::RegisterServiceCtrlHandlerA(const char* name, LPHANDLER_FUNCTION handler) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegisterServiceCtrlHandlerA")) return Fail(error);
  Process* process = currentProcess_;
  // An own-process service's handler is registered whatever name it gives.
  if (!process || !process->connected || !name) return Fail(ERROR_SERVICE_DOES_NOT_EXIST);
  if (!handler) return Fail(ERROR_INVALID_PARAMETER);
  process->handler = handler;
  return process->statusHandle;
}

BOOL SimServices::SetServiceStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetServiceStatus")) return Fail(error);
  Process* process = nullptr;
  for (auto& candidate : processes_) {
    if (candidate->statusHandle == handle && candidate->handler && !candidate->ended) process = candidate.get();
  }
  if (!process || !status) return Fail(ERROR_INVALID_HANDLE);
  if (status->dwCurrentState < SERVICE_STOPPED || status->dwCurrentState > SERVICE_PAUSED) {
    return Fail(kErrorInvalidData);
  }
  Service* service = FindService(process->serviceKey);
  if (!service) return Fail(ERROR_INVALID_HANDLE);
  service->status = *status;
  if (status->dwCurrentState == SERVICE_STOPPED) RemoveIfDeletable(process->serviceKey);
  kernel_.Notify();
  return TRUE;
}

// --- Test API ---

void SimServices::RegisterProgram(const std::wstring& binaryPathOrName, SimProgramMain main) {
  SimKernel& kernel = kernel_;
  kernel_.RegisterProgram(binaryPathOrName, [&kernel, main = std::move(main)](const SimProcessStart& start) {
    return RunMain(kernel, main, start);
  });
}

bool SimServices::GetRegistration(const std::wstring& name, SimServiceRegistration* registration) const {
  auto lock = kernel_.Lock();
  const Service* service = FindService(name);
  if (!service) return false;
  *registration = service->registration;
  return true;
}

std::vector<std::wstring> SimServices::ServiceNames() const {
  auto lock = kernel_.Lock();
  std::vector<std::wstring> names;
  for (const auto& entry : services_) names.push_back(entry.second->registration.name);
  return names;
}

void SimServices::AddRegistration(const SimServiceRegistration& registration) {
  auto lock = kernel_.Lock();
  auto service = std::make_unique<Service>();
  service->registration = registration;
  service->status.dwServiceType = registration.serviceType;
  service->status.dwCurrentState = SERVICE_STOPPED;
  services_[Upper(registration.name)] = std::move(service);
}

void SimServices::SetManagerFailure(DWORD error) {
  auto lock = kernel_.Lock();
  managerFailure_ = error;
}

void SimServices::Shutdown() {
  auto lock = kernel_.Lock();
  std::vector<std::wstring> keys;
  for (const auto& entry : services_) keys.push_back(entry.first);
  for (const std::wstring& key : keys) {
    Service* service = FindService(key);
    if (service && service->Running() && service->process->handler &&
        (service->status.dwControlsAccepted & SERVICE_ACCEPT_SHUTDOWN)) {
      SendControl(*service, SERVICE_CONTROL_SHUTDOWN);
    }
  }
}

void SimServices::JoinProcesses(bool abort) {
  std::vector<std::thread> threads;
  {
    auto lock = kernel_.Lock();
    for (auto& process : processes_) {
      if (abort) process->abort = true;
      if (process->thread.joinable() && process->thread.get_id() != std::this_thread::get_id()) {
        threads.push_back(std::move(process->thread));
      }
    }
    kernel_.Notify();
  }
  kernel_.RunUnlocked([&] {
    for (std::thread& thread : threads) thread.join();
  });
}

void SimServices::WaitForProcesses() { JoinProcesses(false); }

void SimServices::EndProcesses() { JoinProcesses(true); }

std::vector<std::wstring> SimServices::StartedPrograms() const {
  auto lock = kernel_.Lock();
  return started_;
}

}  // namespace pf::sim
