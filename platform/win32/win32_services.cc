#include "platform/win32/win32_services.h"

#include <windows.h>

namespace pf::win32 {
namespace {

// The system calls the service entry and the handler with its own calling
// convention; one own-process service per program is all that is needed, so
// the program's functions are kept here and called from fixed adapters.
pf::LPSERVICE_MAIN_FUNCTIONA g_serviceMain = nullptr;
pf::LPHANDLER_FUNCTION g_handler = nullptr;

void WINAPI ServiceMainAdapter(::DWORD argc, LPSTR* argv) {
  if (g_serviceMain) g_serviceMain(static_cast<pf::DWORD>(argc), argv);
}

void WINAPI HandlerAdapter(::DWORD control) {
  if (g_handler) g_handler(static_cast<pf::DWORD>(control));
}

::SC_HANDLE Native(pf::SC_HANDLE handle) { return reinterpret_cast<::SC_HANDLE>(handle); }
pf::SC_HANDLE Seam(::SC_HANDLE handle) { return reinterpret_cast<pf::SC_HANDLE>(handle); }

class Win32Services : public pf::ServiceApi {
 public:
  pf::SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database, pf::DWORD access) override {
    return Seam(::OpenSCManagerW(machine, database, access));
  }
  pf::SC_HANDLE OpenSCManagerA(const char* machine, const char* database, pf::DWORD access) override {
    return Seam(::OpenSCManagerA(machine, database, access));
  }
  pf::SC_HANDLE CreateServiceW(pf::SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName,
                               pf::DWORD access, pf::DWORD serviceType, pf::DWORD startType,
                               pf::DWORD errorControl, const wchar_t* binaryPath, const wchar_t* loadOrderGroup,
                               pf::DWORD* tagId, const wchar_t* dependencies, const wchar_t* account,
                               const wchar_t* password) override {
    return Seam(::CreateServiceW(Native(manager), name, displayName, access, serviceType, startType,
                                 errorControl, binaryPath, loadOrderGroup, reinterpret_cast<::DWORD*>(tagId),
                                 dependencies, account, password));
  }
  pf::SC_HANDLE CreateServiceA(pf::SC_HANDLE manager, const char* name, const char* displayName,
                               pf::DWORD access, pf::DWORD serviceType, pf::DWORD startType,
                               pf::DWORD errorControl, const char* binaryPath, const char* loadOrderGroup,
                               pf::DWORD* tagId, const char* dependencies, const char* account,
                               const char* password) override {
    return Seam(::CreateServiceA(Native(manager), name, displayName, access, serviceType, startType,
                                 errorControl, binaryPath, loadOrderGroup, reinterpret_cast<::DWORD*>(tagId),
                                 dependencies, account, password));
  }
  pf::SC_HANDLE OpenServiceW(pf::SC_HANDLE manager, const wchar_t* name, pf::DWORD access) override {
    return Seam(::OpenServiceW(Native(manager), name, access));
  }
  pf::SC_HANDLE OpenServiceA(pf::SC_HANDLE manager, const char* name, pf::DWORD access) override {
    return Seam(::OpenServiceA(Native(manager), name, access));
  }
  pf::BOOL StartServiceW(pf::SC_HANDLE service, pf::DWORD argc, const wchar_t** argv) override {
    return ::StartServiceW(Native(service), argc, const_cast<LPCWSTR*>(argv));
  }
  pf::BOOL StartServiceA(pf::SC_HANDLE service, pf::DWORD argc, const char** argv) override {
    return ::StartServiceA(Native(service), argc, const_cast<LPCSTR*>(argv));
  }
  pf::BOOL ControlService(pf::SC_HANDLE service, pf::DWORD control, pf::SERVICE_STATUS* status) override {
    return ::ControlService(Native(service), control, reinterpret_cast<::SERVICE_STATUS*>(status));
  }
  pf::BOOL QueryServiceStatus(pf::SC_HANDLE service, pf::SERVICE_STATUS* status) override {
    return ::QueryServiceStatus(Native(service), reinterpret_cast<::SERVICE_STATUS*>(status));
  }
  pf::BOOL DeleteService(pf::SC_HANDLE service) override { return ::DeleteService(Native(service)); }
  pf::BOOL CloseServiceHandle(pf::SC_HANDLE handle) override { return ::CloseServiceHandle(Native(handle)); }

  pf::BOOL StartServiceCtrlDispatcherA(const pf::SERVICE_TABLE_ENTRYA* table) override {
    if (!table || !table[0].lpServiceName || !table[0].lpServiceProc) {
      ::SetLastError(87);
      return FALSE;
    }
    g_serviceMain = table[0].lpServiceProc;
    ::SERVICE_TABLE_ENTRYA native[2] = {{const_cast<LPSTR>(table[0].lpServiceName), ServiceMainAdapter},
                                        {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(native);
  }
  pf::SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(const char* name, pf::LPHANDLER_FUNCTION handler) override {
    g_handler = handler;
    return reinterpret_cast<pf::SERVICE_STATUS_HANDLE>(::RegisterServiceCtrlHandlerA(name, HandlerAdapter));
  }
  pf::BOOL SetServiceStatus(pf::SERVICE_STATUS_HANDLE handle, const pf::SERVICE_STATUS* status) override {
    ::SERVICE_STATUS copy;
    static_assert(sizeof(copy) == sizeof(*status), "SERVICE_STATUS layouts differ");
    copy.dwServiceType = status->dwServiceType;
    copy.dwCurrentState = status->dwCurrentState;
    copy.dwControlsAccepted = status->dwControlsAccepted;
    copy.dwWin32ExitCode = status->dwWin32ExitCode;
    copy.dwServiceSpecificExitCode = status->dwServiceSpecificExitCode;
    copy.dwCheckPoint = status->dwCheckPoint;
    copy.dwWaitHint = status->dwWaitHint;
    return ::SetServiceStatus(reinterpret_cast<::SERVICE_STATUS_HANDLE>(handle), &copy);
  }
};

}  // namespace

pf::ServiceApi& ServicesGroup() {
  static Win32Services services;
  return services;
}

}  // namespace pf::win32
