#include "tools/tqsim/recording_platform.h"

#include "common/text/case_fold.h"
#include "platform/sim/sim_kernel.h"

namespace tqsim {
namespace {

std::wstring Text(const wchar_t* text) { return text ? text : L""; }

// The control's name in the transcript.
std::string ControlName(pf::DWORD control) {
  if (control == pf::SERVICE_CONTROL_STOP) return "stop";
  return "control " + std::to_string(control);
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text::Upper(text.substr(text.size() - end.size())) == text::Upper(end);
}

}  // namespace

// --- Services ---

std::vector<RecordingServices::Operation> RecordingServices::Operations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return operations_;
}

void RecordingServices::Remember(pf::SC_HANDLE handle, const std::wstring& name) {
  if (handle == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  names_[handle] = name;
}

void RecordingServices::Note(const std::string& op, pf::SC_HANDLE handle, std::wstring name, bool ok,
                             const Json& extra) {
  const pf::DWORD error = timeline_.kernel().LastError();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle != 0) {
      auto found = names_.find(handle);
      if (found != names_.end()) name = found->second;
    }
    operations_.push_back({op, ok});
  }
  Json event = {{"service", op}, {"name", Utf8(name)}};
  if (!extra.is_null()) event.update(extra);
  event["ok"] = ok;
  if (!ok) event["error"] = error;
  timeline_.Add(event);
}

pf::SC_HANDLE RecordingServices::OpenSCManagerW(const wchar_t* machine, const wchar_t* database, pf::DWORD access) {
  return inner_.OpenSCManagerW(machine, database, access);
}

pf::SC_HANDLE RecordingServices::OpenSCManagerA(const char* machine, const char* database, pf::DWORD access) {
  return inner_.OpenSCManagerA(machine, database, access);
}

pf::SC_HANDLE RecordingServices::CreateServiceW(pf::SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName,
                                                pf::DWORD access, pf::DWORD serviceType, pf::DWORD startType,
                                                pf::DWORD errorControl, const wchar_t* binaryPath,
                                                const wchar_t* loadOrderGroup, pf::DWORD* tagId,
                                                const wchar_t* dependencies, const wchar_t* account,
                                                const wchar_t* password) {
  const pf::SC_HANDLE service =
      inner_.CreateServiceW(manager, name, displayName, access, serviceType, startType, errorControl, binaryPath,
                            loadOrderGroup, tagId, dependencies, account, password);
  Remember(service, Text(name));
  Note("create", 0, Text(name), service != 0, {{"binaryPath", Utf8(Text(binaryPath))}});
  return service;
}

pf::SC_HANDLE RecordingServices::CreateServiceA(pf::SC_HANDLE manager, const char* name, const char* displayName,
                                                pf::DWORD access, pf::DWORD serviceType, pf::DWORD startType,
                                                pf::DWORD errorControl, const char* binaryPath,
                                                const char* loadOrderGroup, pf::DWORD* tagId, const char* dependencies,
                                                const char* account, const char* password) {
  const pf::SC_HANDLE service =
      inner_.CreateServiceA(manager, name, displayName, access, serviceType, startType, errorControl, binaryPath,
                            loadOrderGroup, tagId, dependencies, account, password);
  pf::sim::SimKernel& kernel = timeline_.kernel();
  const std::wstring wideName = kernel.FromAnsi(name ? name : "");
  Remember(service, wideName);
  Note("create", 0, wideName, service != 0, {{"binaryPath", Utf8(kernel.FromAnsi(binaryPath ? binaryPath : ""))}});
  return service;
}

pf::SC_HANDLE RecordingServices::OpenServiceW(pf::SC_HANDLE manager, const wchar_t* name, pf::DWORD access) {
  const pf::SC_HANDLE service = inner_.OpenServiceW(manager, name, access);
  Remember(service, Text(name));
  return service;
}

pf::SC_HANDLE RecordingServices::OpenServiceA(pf::SC_HANDLE manager, const char* name, pf::DWORD access) {
  const pf::SC_HANDLE service = inner_.OpenServiceA(manager, name, access);
  Remember(service, timeline_.kernel().FromAnsi(name ? name : ""));
  return service;
}

pf::BOOL RecordingServices::StartServiceW(pf::SC_HANDLE service, pf::DWORD argc, const wchar_t** argv) {
  const pf::BOOL ok = inner_.StartServiceW(service, argc, argv);
  Note("start", service, L"", ok != pf::FALSE);
  return ok;
}

pf::BOOL RecordingServices::StartServiceA(pf::SC_HANDLE service, pf::DWORD argc, const char** argv) {
  const pf::BOOL ok = inner_.StartServiceA(service, argc, argv);
  Note("start", service, L"", ok != pf::FALSE);
  return ok;
}

pf::BOOL RecordingServices::ControlService(pf::SC_HANDLE service, pf::DWORD control, pf::SERVICE_STATUS* status) {
  const pf::BOOL ok = inner_.ControlService(service, control, status);
  Note(ControlName(control), service, L"", ok != pf::FALSE);
  return ok;
}

pf::BOOL RecordingServices::QueryServiceStatus(pf::SC_HANDLE service, pf::SERVICE_STATUS* status) {
  return inner_.QueryServiceStatus(service, status);
}

pf::BOOL RecordingServices::DeleteService(pf::SC_HANDLE service) {
  const pf::BOOL ok = inner_.DeleteService(service);
  Note("delete", service, L"", ok != pf::FALSE);
  return ok;
}

pf::BOOL RecordingServices::CloseServiceHandle(pf::SC_HANDLE handle) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    names_.erase(handle);
  }
  return inner_.CloseServiceHandle(handle);
}

pf::BOOL RecordingServices::StartServiceCtrlDispatcherA(const pf::SERVICE_TABLE_ENTRYA* table) {
  return inner_.StartServiceCtrlDispatcherA(table);
}

pf::SERVICE_STATUS_HANDLE RecordingServices::RegisterServiceCtrlHandlerA(const char* name,
                                                                         pf::LPHANDLER_FUNCTION handler) {
  return inner_.RegisterServiceCtrlHandlerA(name, handler);
}

pf::BOOL RecordingServices::SetServiceStatus(pf::SERVICE_STATUS_HANDLE handle, const pf::SERVICE_STATUS* status) {
  return inner_.SetServiceStatus(handle, status);
}

// --- Files ---

std::vector<std::wstring> RecordingFiles::Written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

void RecordingFiles::NoteWrite(pf::HANDLE opened, pf::DWORD access, const std::wstring& path) {
  if (opened == pf::INVALID_HANDLE_VALUE || !(access & pf::GENERIC_WRITE) || pf::sim::SimKernel::IsDevicePath(path)) {
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::wstring& known : written_) {
    if (text::Upper(known) == text::Upper(path)) return;
  }
  written_.push_back(path);
}

pf::HANDLE RecordingFiles::CreateFileW(const wchar_t* path, pf::DWORD access, pf::DWORD share, pf::DWORD creation,
                                       pf::DWORD flags) {
  const pf::HANDLE opened = inner_.CreateFileW(path, access, share, creation, flags);
  NoteWrite(opened, access, Text(path));
  return opened;
}

pf::HANDLE RecordingFiles::CreateFileA(const char* path, pf::DWORD access, pf::DWORD share, pf::DWORD creation,
                                       pf::DWORD flags) {
  const pf::HANDLE opened = inner_.CreateFileA(path, access, share, creation, flags);
  NoteWrite(opened, access, timeline_.kernel().FromAnsi(path ? path : ""));
  return opened;
}

// --- Processes ---

pf::BOOL RecordingProcess::ShellExecuteExW(pf::SHELLEXECUTEINFOW* info) {
  const pf::BOOL started = inner_.ShellExecuteExW(info);
  const pf::DWORD error = timeline_.kernel().LastError();
  const std::wstring file = info ? Text(info->lpFile) : std::wstring();
  const bool printUi = EndsWithNoCase(file, L"\\rundll32.exe");
  Json event = {{printUi ? "printUi" : "program", Utf8(file + (info ? Text(info->lpParameters) : L""))}};
  event["started"] = started != pf::FALSE;
  if (!started) event["error"] = error;
  const std::size_t index = timeline_.Add(event);
  if (printUi && started) printUiEvents_.push_back(index);
  return started;
}

pf::INT_PTR RecordingProcess::ShellExecuteW(pf::HWND owner, const wchar_t* verb, const wchar_t* file,
                                            const wchar_t* parameters, const wchar_t* directory, int show) {
  const pf::INT_PTR result = inner_.ShellExecuteW(owner, verb, file, parameters, directory, show);
  timeline_.Add({{"program", Utf8(Text(file) + (parameters && *parameters ? L" " + Text(parameters) : L""))},
                 {"started", result > 32}});
  return result;
}

}  // namespace tqsim
