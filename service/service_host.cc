#include "service/service_host.h"

#include <string>

#include "common/text/decimal.h"
#include "platform/critical_section.h"
#include "platform/platform.h"
#include "platform/services.h"
#include "platform/unique_handle.h"
#include "service/device_restore.h"

namespace spoolmate {
namespace {

std::string g_exePath;
std::string g_logPath;
// The log lock: initialised while RunSpoolmate runs, so that the entries of
// the control handler and of the service thread are written whole.
pf::CRITICAL_SECTION g_logLock;
pf::SERVICE_STATUS g_status;
pf::SERVICE_STATUS_HANDLE g_statusHandle = 0;

constexpr pf::DWORD kControlsAccepted =
    pf::SERVICE_ACCEPT_STOP | pf::SERVICE_ACCEPT_PAUSE_CONTINUE | pf::SERVICE_ACCEPT_SHUTDOWN;

// The format with its first "%s" replaced by text (when given) and the
// first "%ld" after it by the number: the only two the log's messages use.
std::string Format(const char* format, const char* text, long number) {
  std::string out = format;
  std::string::size_type from = 0;
  if (text && (from = out.find("%s")) != std::string::npos) {
    const std::string inserted = text;
    out.replace(from, 2, inserted);
    from += inserted.size();
  } else {
    from = 0;
  }
  const std::string::size_type at = out.find("%ld", from);
  if (at != std::string::npos) out.replace(at, 3, text::Decimal(number));
  return out;
}

std::string ErrorMessage(const char* format) { return Format(format, nullptr, static_cast<long>(pf::GetLastError())); }

bool SameVerb(const char* argument, const char* verb) {
  for (; *argument && *verb; ++argument, ++verb) {
    char a = *argument >= 'A' && *argument <= 'Z' ? static_cast<char>(*argument - 'A' + 'a') : *argument;
    if (a != *verb) return false;
  }
  return *argument == *verb;
}

void ReportStatus() {
  if (!pf::SetServiceStatus(g_statusHandle, &g_status)) {
    AppendLog(ErrorMessage("SetServiceStatus failed, error code = %ld\n"));
  }
}

void ServiceControlHandler(pf::DWORD control) {
  switch (control) {
    case pf::SERVICE_CONTROL_STOP:
    case pf::SERVICE_CONTROL_SHUTDOWN:
      RestoreDeviceKeys();
      g_status.dwCurrentState = pf::SERVICE_STOPPED;
      g_status.dwWin32ExitCode = 0;
      g_status.dwCheckPoint = 0;
      g_status.dwWaitHint = 0;
      break;
    case pf::SERVICE_CONTROL_PAUSE:
      g_status.dwCurrentState = pf::SERVICE_PAUSED;
      break;
    case pf::SERVICE_CONTROL_CONTINUE:
      g_status.dwCurrentState = pf::SERVICE_RUNNING;
      break;
    default:
      break;
  }
  ReportStatus();
}

// Reports the running state and returns; the work happens in the handler.
void ServiceMain(pf::DWORD, char**) {
  g_status = pf::SERVICE_STATUS{pf::SERVICE_WIN32, pf::SERVICE_START_PENDING, kControlsAccepted, 0, 0, 0, 0};
  g_statusHandle = pf::RegisterServiceCtrlHandlerA(kOwnServiceName, ServiceControlHandler);
  if (!g_statusHandle) {
    AppendLog(ErrorMessage("RegisterServiceCtrlHandler failed, error code = %ld\n"));
    return;
  }
  g_status.dwCurrentState = pf::SERVICE_RUNNING;
  g_status.dwCheckPoint = 0;
  g_status.dwWaitHint = 0;
  ReportStatus();
}

// Opens the manager and the own service with full access and runs action on
// the service; logs and skips what fails. Both handles are closed when it returns.
template <typename Action>
void WithOwnService(Action action) {
  pf::UniqueServiceHandle manager(pf::OpenSCManagerA(nullptr, nullptr, pf::SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    AppendLog(ErrorMessage("OpenSCManager failed, error code = %ld\n"));
    return;
  }
  pf::UniqueServiceHandle service(pf::OpenServiceA(manager.get(), kOwnServiceName, pf::SERVICE_ALL_ACCESS));
  if (!service) {
    AppendLog(ErrorMessage("OpenService failed, error code = %ld\n"));
    return;
  }
  action(service.get());
}

}  // namespace

void AppendLog(const std::string& message) {
  pf::CriticalSectionLock hold(g_logLock);
  pf::SYSTEMTIME now;
  pf::GetLocalTime(&now);
  if (g_logPath.empty()) return;
  // Shared for reading and writing, as the C library's append mode opens it,
  // so that another Spoolmate process holding the log does not drop the entry.
  pf::UniqueFile file(pf::CreateFileA(g_logPath.c_str(), pf::GENERIC_WRITE,
                                     pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE, pf::OPEN_ALWAYS,
                                     pf::FILE_ATTRIBUTE_NORMAL));
  if (!file) return;
  // "%02d/%02d/%04d, %02d:%02d:%02d\n    ": month, day, year, hour, minute, second.
  const std::string stamp = text::Decimal(now.wMonth, 2) + "/" + text::Decimal(now.wDay, 2) + "/" +
                            text::Decimal(now.wYear, 4) + ", " + text::Decimal(now.wHour, 2) + ":" +
                            text::Decimal(now.wMinute, 2) + ":" + text::Decimal(now.wSecond, 2) + "\n    ";
  // Text mode: every line break is written as CR LF.
  std::string entry;
  for (char c : stamp + message) {
    if (c == '\n') entry.push_back('\r');
    entry.push_back(c);
  }
  std::int64_t position = 0;
  pf::DWORD written = 0;
  pf::SetFilePointerEx(file.get(), 0, &position, pf::FILE_END);
  pf::WriteFile(file.get(), entry.data(), static_cast<pf::DWORD>(entry.size()), &written);
}

void InstallSelf() {
  pf::UniqueServiceHandle manager(pf::OpenSCManagerA(nullptr, nullptr, pf::SC_MANAGER_CREATE_SERVICE));
  if (!manager) {
    AppendLog(ErrorMessage("OpenSCManager failed, error code = %ld\n"));
    return;
  }
  // Quoted, so that a path with spaces cannot start another program.
  std::string binaryPath = g_exePath.empty() ? std::string() : "\"" + g_exePath + "\"";
  pf::UniqueServiceHandle service(pf::CreateServiceA(
      manager.get(), kOwnServiceName, kOwnServiceName, pf::SERVICE_ALL_ACCESS,
      pf::SERVICE_WIN32_OWN_PROCESS | pf::SERVICE_INTERACTIVE_PROCESS, pf::SERVICE_AUTO_START,
      pf::SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (service) {
    AppendLog(Format("Service %s installed\n", kOwnServiceName, 0));
  } else {
    AppendLog(Format("Failed to create service %s, error code = %ld\n", kOwnServiceName,
                     static_cast<long>(pf::GetLastError())));
  }
}

void RemoveSelf() {
  WithOwnService([](pf::SC_HANDLE service) {
    if (pf::DeleteService(service)) {
      AppendLog(Format("Service %s removed\n", kOwnServiceName, 0));
    } else {
      AppendLog(Format("Failed to delete service %s\n", kOwnServiceName, 0));
    }
  });
  pf::DeleteFileA(g_logPath.c_str());
}

void StartSelf() {
  WithOwnService([](pf::SC_HANDLE service) {
    if (!pf::StartServiceA(service, 0, nullptr)) AppendLog(ErrorMessage("StartService failed, error code = %ld\n"));
  });
}

void StopSelf() {
  WithOwnService([](pf::SC_HANDLE service) {
    pf::SERVICE_STATUS status;
    if (!pf::ControlService(service, pf::SERVICE_CONTROL_STOP, &status)) {
      AppendLog(ErrorMessage("ControlService failed, error code = %ld\n"));
    }
  });
}

void RunAsService() {
  const pf::SERVICE_TABLE_ENTRYA table[] = {{kOwnServiceName, ServiceMain}, {nullptr, nullptr}};
  if (!pf::StartServiceCtrlDispatcherA(table)) {
    AppendLog(ErrorMessage("StartServiceCtrlDispatcher failed, error code = %ld\n"));
  }
}

int RunSpoolmate(int argc, char** argv) {
  // Deleted when the verb is done, or the service dispatcher has returned.
  pf::UniqueCriticalSection logLock(g_logLock);
  char path[500] = {};
  pf::DWORD length = pf::GetModuleFileNameA(0, path, sizeof path);
  std::string modulePath(path, length < sizeof path ? length : 0);
  g_exePath.clear();
  g_logPath.clear();
  if (modulePath.size() > 4 && modulePath[modulePath.size() - 4] == '.') {
    g_exePath = modulePath;
    g_logPath = modulePath.substr(0, modulePath.size() - 4) + ".log";
  }
  const char* verb = argc > 1 ? argv[1] : "";
  if (SameVerb(verb, "-i")) {
    InstallSelf();
  } else if (SameVerb(verb, "-k")) {
    StopSelf();
  } else if (SameVerb(verb, "-u")) {
    RemoveSelf();
  } else if (SameVerb(verb, "-s")) {
    StartSelf();
  } else {
    RunAsService();
  }
  return 0;
}

}  // namespace spoolmate
