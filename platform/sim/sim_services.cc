#include "platform/sim/sim_services.h"

#include <chrono>

#include "common/text/case_fold.h"
#include "platform/sim/sim_system.h"

namespace pf::sim {
namespace {

using text::Upper;

constexpr DWORD kDeleteAccess = 0x10000;
constexpr DWORD kUserDefinedControlAccess = 0x0100;
constexpr LONG kErrorInvalidData = 13;
constexpr LONG kErrorServiceProcessAborted = 1067;
constexpr LONG kErrorDatabaseDoesNotExist = 1065;
constexpr auto kStartTimeout = std::chrono::seconds(30);

// Service names and paths are ASCII in practice; bytes map to the first 256
// code points and back.
std::wstring Widen(const char* text) {
  std::wstring wide;
  for (; text && *text; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return wide;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow.push_back(static_cast<char>(c));
  return narrow;
}

std::wstring WideOrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

std::wstring FileNameOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Splits a command line's arguments at spaces, keeping quoted runs whole.
std::vector<std::string> SplitArguments(const std::wstring& line) {
  std::vector<std::string> args;
  std::wstring current;
  bool quoted = false, any = false;
  for (wchar_t c : line) {
    if (c == L'"') {
      quoted = !quoted;
      any = true;
    } else if (c == L' ' && !quoted) {
      if (any) args.push_back(Narrow(current));
      current.clear();
      any = false;
    } else {
      current.push_back(c);
      any = true;
    }
  }
  if (any) args.push_back(Narrow(current));
  return args;
}

bool ValidServiceType(DWORD type) {
  DWORD base = type & ~SERVICE_INTERACTIVE_PROCESS;
  return base == SERVICE_WIN32_OWN_PROCESS || base == SERVICE_WIN32_SHARE_PROCESS;
}

}  // namespace

struct SimServices::Process {
  std::wstring serviceKey;
  std::vector<std::string> serviceArgs;  // argv of the service entry
  SERVICE_STATUS_HANDLE statusHandle = 0;
  std::thread thread;
  bool connected = false;
  bool ended = false;
  bool abort = false;
  LPHANDLER_FUNCTION handler = nullptr;
  struct Request {
    DWORD control;
    bool done;
  };
  std::deque<Request*> requests;
};

struct SimServices::Service {
  SimServiceRegistration registration;
  SERVICE_STATUS status{};
  std::shared_ptr<Process> process;  // the latest process started for it
  int openHandles = 0;

  bool Running() const { return process && !process->ended && status.dwCurrentState != SERVICE_STOPPED; }
};

thread_local SimServices::Process* SimServices::currentProcess_ = nullptr;

SimServices::SimServices(SimSystem& system) : system_(system) {}

SimServices::~SimServices() {
  std::vector<std::shared_ptr<Process>> processes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& process : processes_) process->abort = true;
    processes = processes_;
  }
  changed_.notify_all();
  for (auto& process : processes) {
    if (process->thread.joinable()) process->thread.join();
  }
}

BOOL SimServices::Fail(DWORD error) {
  system_.SetLastError(error);
  return FALSE;
}

SimServices::Service* SimServices::FindService(const std::wstring& name) {
  auto found = services_.find(Upper(name));
  return found == services_.end() ? nullptr : found->second.get();
}

const SimServices::Service* SimServices::FindService(const std::wstring& name) const {
  auto found = services_.find(Upper(name));
  return found == services_.end() ? nullptr : found->second.get();
}

SimServices::Service* SimServices::ServiceOf(SC_HANDLE handle, DWORD access, DWORD* error) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.manager) {
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if ((found->second.access & access) != access) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  Service* service = FindService(found->second.service);
  if (!service) *error = ERROR_INVALID_HANDLE;
  return service;
}

SC_HANDLE SimServices::NewHandle(Handle handle) {
  SC_HANDLE value = nextHandle_;
  nextHandle_ += 4;
  handles_[value] = std::move(handle);
  return value;
}

void SimServices::RemoveIfDeletable(const std::wstring& key) {
  auto found = services_.find(key);
  if (found == services_.end()) return;
  const Service& service = *found->second;
  if (service.registration.markedForDelete && service.openHandles == 0 && !service.Running()) {
    services_.erase(found);
  }
}

SC_HANDLE SimServices::OpenSCManagerW(const wchar_t* machine, const wchar_t* database, DWORD access) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (managerFailure_ != 0) return Fail(managerFailure_);
  std::wstring db = WideOrEmpty(database);
  if (!db.empty() && Upper(db) != L"SERVICESACTIVE") return Fail(kErrorDatabaseDoesNotExist);
  (void)machine;
  return NewHandle({true, access, {}});
}

SC_HANDLE SimServices::OpenSCManagerA(const char* machine, const char* database, DWORD access) {
  std::wstring m = Widen(machine), d = Widen(database);
  return OpenSCManagerW(machine ? m.c_str() : nullptr, database ? d.c_str() : nullptr, access);
}

SC_HANDLE SimServices::CreateServiceW(SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName,
                                      DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                                      const wchar_t* binaryPath, const wchar_t*, DWORD* tagId, const wchar_t*,
                                      const wchar_t*, const wchar_t*) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = handles_.find(manager);
  if (found == handles_.end() || !found->second.manager) return Fail(ERROR_INVALID_HANDLE);
  if (!(found->second.access & SC_MANAGER_CREATE_SERVICE)) return Fail(ERROR_ACCESS_DENIED);
  std::wstring serviceName = WideOrEmpty(name);
  if (serviceName.empty() || serviceName.find_first_of(L"/\\") != std::wstring::npos) {
    return Fail(ERROR_INVALID_NAME);
  }
  if (!binaryPath || !*binaryPath || !ValidServiceType(serviceType) || startType > SERVICE_DISABLED ||
      errorControl > 3 || tagId) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (const Service* existing = FindService(serviceName)) {
    return Fail(existing->registration.markedForDelete ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS);
  }
  std::wstring display = displayName && *displayName ? std::wstring(displayName) : serviceName;
  for (const auto& entry : services_) {
    const SimServiceRegistration& other = entry.second->registration;
    if (Upper(other.displayName) == Upper(display) || Upper(other.name) == Upper(display)) {
      return Fail(ERROR_DUPLICATE_SERVICE_NAME);
    }
  }
  auto service = std::make_unique<Service>();
  service->registration = {serviceName, display, binaryPath, serviceType, startType, errorControl, false};
  service->status.dwServiceType = serviceType;
  service->status.dwCurrentState = SERVICE_STOPPED;
  service->openHandles = 1;
  std::wstring key = Upper(serviceName);
  services_[key] = std::move(service);
  return NewHandle({false, access, key});
}

SC_HANDLE SimServices::CreateServiceA(SC_HANDLE manager, const char* name, const char* displayName, DWORD access,
                                      DWORD serviceType, DWORD startType, DWORD errorControl,
                                      const char* binaryPath, const char*, DWORD* tagId, const char*,
                                      const char*, const char*) {
  std::wstring n = Widen(name), d = Widen(displayName), p = Widen(binaryPath);
  return CreateServiceW(manager, name ? n.c_str() : nullptr, displayName ? d.c_str() : nullptr, access,
                        serviceType, startType, errorControl, binaryPath ? p.c_str() : nullptr, nullptr, tagId,
                        nullptr, nullptr, nullptr);
}

SC_HANDLE SimServices::OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = handles_.find(manager);
  if (found == handles_.end() || !found->second.manager) return Fail(ERROR_INVALID_HANDLE);
  if (!name || !*name) return Fail(ERROR_INVALID_NAME);
  Service* service = FindService(name);
  if (!service) return Fail(ERROR_SERVICE_DOES_NOT_EXIST);
  ++service->openHandles;
  return NewHandle({false, access, Upper(name)});
}

SC_HANDLE SimServices::OpenServiceA(SC_HANDLE manager, const char* name, DWORD access) {
  std::wstring n = Widen(name);
  return OpenServiceW(manager, name ? n.c_str() : nullptr, access);
}

SimProgramMain* SimServices::FindProgram(const std::wstring& binaryPath, std::wstring* exePath,
                                         std::wstring* args) {
  auto lookup = [this](const std::wstring& candidate) -> SimProgramMain* {
    for (auto& program : programs_) {
      const std::wstring& registered = program.first;
      bool bare = registered.find_first_of(L"\\/") == std::wstring::npos;
      const std::wstring compared = bare ? FileNameOf(candidate) : candidate;
      if (Upper(compared) == Upper(registered) || Upper(compared + L".exe") == Upper(registered)) {
        return &program.second;
      }
    }
    return nullptr;
  };
  if (!binaryPath.empty() && binaryPath[0] == L'"') {
    size_t close = binaryPath.find(L'"', 1);
    if (close == std::wstring::npos) return nullptr;
    *exePath = binaryPath.substr(1, close - 1);
    *args = binaryPath.substr(close + 1);
    return lookup(*exePath);
  }
  // Unquoted: like Windows, try every prefix that ends before a space, shortest first.
  for (size_t end = binaryPath.find(L' ');; end = binaryPath.find(L' ', end + 1)) {
    std::wstring candidate = binaryPath.substr(0, end);
    if (SimProgramMain* main = lookup(candidate)) {
      *exePath = candidate;
      *args = end == std::wstring::npos ? std::wstring() : binaryPath.substr(end + 1);
      return main;
    }
    if (end == std::wstring::npos) return nullptr;
  }
}

BOOL SimServices::StartServiceW(SC_HANDLE service, DWORD argc, const wchar_t** argv) {
  std::vector<std::string> args;
  for (DWORD i = 0; i < argc && argv; ++i) args.push_back(Narrow(WideOrEmpty(argv[i])));
  std::unique_lock<std::mutex> lock(mutex_);
  DWORD error = 0;
  Service* target = ServiceOf(service, SERVICE_START, &error);
  if (!target) return Fail(error);
  if (target->registration.markedForDelete) return Fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  if (target->registration.startType == SERVICE_DISABLED) return Fail(ERROR_SERVICE_DISABLED);
  if (target->Running()) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
  std::wstring exePath, commandArgs;
  SimProgramMain* main = FindProgram(target->registration.binaryPath, &exePath, &commandArgs);
  if (!main) return Fail(ERROR_FILE_NOT_FOUND);

  auto process = std::make_shared<Process>();
  process->serviceKey = Upper(target->registration.name);
  process->serviceArgs.push_back(Narrow(target->registration.name));
  process->serviceArgs.insert(process->serviceArgs.end(), args.begin(), args.end());
  process->statusHandle = nextHandle_;
  nextHandle_ += 4;
  target->process = process;
  target->status = SERVICE_STATUS{target->registration.serviceType, SERVICE_START_PENDING, 0, 0, 0, 0, 2000};
  processes_.push_back(process);
  started_.push_back(exePath);

  std::vector<std::string> programArgs{Narrow(exePath)};
  for (std::string& arg : SplitArguments(commandArgs)) programArgs.push_back(std::move(arg));
  process->thread = std::thread(&SimServices::RunProcess, this, process, *main, std::move(programArgs));

  bool settled = changed_.wait_for(lock, kStartTimeout, [&] {
    return process->ended || (process->connected && target->status.dwCurrentState != SERVICE_START_PENDING);
  });
  if (!settled || !process->connected) return Fail(ERROR_SERVICE_REQUEST_TIMEOUT);
  return TRUE;
}

BOOL SimServices::StartServiceA(SC_HANDLE service, DWORD argc, const char** argv) {
  std::vector<std::wstring> wide;
  std::vector<const wchar_t*> pointers;
  for (DWORD i = 0; i < argc && argv; ++i) wide.push_back(Widen(argv[i]));
  for (const std::wstring& arg : wide) pointers.push_back(arg.c_str());
  return StartServiceW(service, argc, pointers.empty() ? nullptr : pointers.data());
}

void SimServices::RunProcess(std::shared_ptr<Process> process, SimProgramMain main,
                             std::vector<std::string> args) {
  currentProcess_ = process.get();
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  main(static_cast<int>(args.size()), argv.data());
  currentProcess_ = nullptr;

  std::lock_guard<std::mutex> lock(mutex_);
  process->ended = true;
  if (Service* service = FindService(process->serviceKey)) {
    if (service->process == process && service->status.dwCurrentState != SERVICE_STOPPED) {
      service->status.dwCurrentState = SERVICE_STOPPED;
      service->status.dwControlsAccepted = 0;
      service->status.dwWin32ExitCode = kErrorServiceProcessAborted;
    }
    RemoveIfDeletable(process->serviceKey);
  }
  changed_.notify_all();
}

BOOL SimServices::StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* table) {
  Process* process = currentProcess_;
  if (!process) return Fail(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
  if (!table || !table[0].lpServiceName || !table[0].lpServiceProc) return Fail(ERROR_INVALID_PARAMETER);

  std::unique_lock<std::mutex> lock(mutex_);
  if (process->connected) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
  process->connected = true;
  // An own-process service runs the table's first entry, whatever its name.
  LPSERVICE_MAIN_FUNCTIONA entry = table[0].lpServiceProc;
  std::vector<std::string> args = process->serviceArgs;
  std::thread serviceThread([process, entry, args]() mutable {
    currentProcess_ = process;
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    entry(static_cast<DWORD>(args.size()), argv.data());
    currentProcess_ = nullptr;
  });

  auto stopped = [&] {
    const Service* service = FindService(process->serviceKey);
    return !service || service->status.dwCurrentState == SERVICE_STOPPED;
  };
  for (;;) {
    changed_.wait(lock, [&] { return process->abort || !process->requests.empty() || stopped(); });
    if (process->abort) break;
    if (!process->requests.empty()) {
      Process::Request* request = process->requests.front();
      process->requests.pop_front();
      LPHANDLER_FUNCTION handler = process->handler;
      lock.unlock();
      if (handler) handler(request->control);
      lock.lock();
      request->done = true;
      changed_.notify_all();
      continue;
    }
    break;  // stopped, nothing pending
  }
  lock.unlock();
  serviceThread.join();
  return TRUE;
}

SERVICE_STATUS_HANDLE SimServices::RegisterServiceCtrlHandlerA(const char* name, LPHANDLER_FUNCTION handler) {
  Process* process = currentProcess_;
  std::lock_guard<std::mutex> lock(mutex_);
  // An own-process service's handler is registered whatever name it gives.
  if (!process || !process->connected || !name) return Fail(ERROR_SERVICE_DOES_NOT_EXIST);
  if (!handler) return Fail(ERROR_INVALID_PARAMETER);
  process->handler = handler;
  return process->statusHandle;
}

BOOL SimServices::SetServiceStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) {
  std::lock_guard<std::mutex> lock(mutex_);
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
  changed_.notify_all();
  return TRUE;
}

bool SimServices::SendControl(Service& service, DWORD control, std::unique_lock<std::mutex>* lock) {
  std::shared_ptr<Process> process = service.process;
  Process::Request request{control, false};
  process->requests.push_back(&request);
  changed_.notify_all();
  changed_.wait(*lock, [&] { return request.done || process->ended || process->abort; });
  if (!request.done) {
    auto& queue = process->requests;
    for (auto it = queue.begin(); it != queue.end(); ++it) {
      if (*it == &request) {
        queue.erase(it);
        break;
      }
    }
  }
  return request.done;
}

BOOL SimServices::ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
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
  std::unique_lock<std::mutex> lock(mutex_);
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
  if (!SendControl(*target, control, &lock)) {
    report();
    return Fail(ERROR_SERVICE_NOT_ACTIVE);
  }
  report();
  return TRUE;
}

BOOL SimServices::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  std::lock_guard<std::mutex> lock(mutex_);
  DWORD error = 0;
  Service* target = ServiceOf(service, SERVICE_QUERY_STATUS, &error);
  if (!target) return Fail(error);
  if (!status) return Fail(ERROR_INVALID_PARAMETER);
  *status = target->status;
  return TRUE;
}

BOOL SimServices::DeleteService(SC_HANDLE service) {
  std::lock_guard<std::mutex> lock(mutex_);
  DWORD error = 0;
  Service* target = ServiceOf(service, kDeleteAccess, &error);
  if (!target) return Fail(error);
  if (target->registration.markedForDelete) return Fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  target->registration.markedForDelete = true;
  return TRUE;
}

BOOL SimServices::CloseServiceHandle(SC_HANDLE handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = handles_.find(handle);
  if (found == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
  Handle closed = found->second;
  handles_.erase(found);
  if (!closed.manager) {
    if (Service* service = FindService(closed.service)) --service->openHandles;
    RemoveIfDeletable(closed.service);
  }
  return TRUE;
}

void SimServices::RegisterProgram(const std::wstring& binaryPathOrName, SimProgramMain main) {
  std::lock_guard<std::mutex> lock(mutex_);
  programs_.emplace_back(binaryPathOrName, std::move(main));
}

bool SimServices::GetRegistration(const std::wstring& name, SimServiceRegistration* registration) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Service* service = FindService(name);
  if (!service) return false;
  *registration = service->registration;
  return true;
}

std::vector<std::wstring> SimServices::ServiceNames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::wstring> names;
  for (const auto& entry : services_) names.push_back(entry.second->registration.name);
  return names;
}

void SimServices::AddRegistration(const SimServiceRegistration& registration) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto service = std::make_unique<Service>();
  service->registration = registration;
  service->status.dwServiceType = registration.serviceType;
  service->status.dwCurrentState = SERVICE_STOPPED;
  services_[Upper(registration.name)] = std::move(service);
}

void SimServices::Shutdown() {
  std::unique_lock<std::mutex> lock(mutex_);
  std::vector<std::wstring> keys;
  for (const auto& entry : services_) keys.push_back(entry.first);
  for (const std::wstring& key : keys) {
    Service* service = FindService(key);
    if (service && service->Running() && service->process->handler &&
        (service->status.dwControlsAccepted & SERVICE_ACCEPT_SHUTDOWN)) {
      SendControl(*service, SERVICE_CONTROL_SHUTDOWN, &lock);
    }
  }
}

void SimServices::WaitForProcesses() {
  std::vector<std::shared_ptr<Process>> processes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    processes = processes_;
  }
  for (auto& process : processes) {
    if (process->thread.joinable() && process->thread.get_id() != std::this_thread::get_id()) {
      process->thread.join();
    }
  }
}

std::vector<std::wstring> SimServices::StartedPrograms() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return started_;
}

}  // namespace pf::sim
