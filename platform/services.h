// The service control manager as the programs see it: registering, starting,
// controlling and deleting services, and the service side (dispatcher,
// control handler, status reports).
//
// Handles are opaque integers; 0 is the failure value, as in Windows. The
// failure's code is left for GetLastError.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

using SC_HANDLE = std::uintptr_t;
using SERVICE_STATUS_HANDLE = std::uintptr_t;

// Manager access rights.
inline constexpr DWORD SC_MANAGER_CONNECT = 0x0001;
inline constexpr DWORD SC_MANAGER_CREATE_SERVICE = 0x0002;
inline constexpr DWORD SC_MANAGER_ENUMERATE_SERVICE = 0x0004;
inline constexpr DWORD SC_MANAGER_ALL_ACCESS = 0xF003F;

// Service access rights.
inline constexpr DWORD SERVICE_QUERY_CONFIG = 0x0001;
inline constexpr DWORD SERVICE_CHANGE_CONFIG = 0x0002;
inline constexpr DWORD SERVICE_QUERY_STATUS = 0x0004;
inline constexpr DWORD SERVICE_START = 0x0010;
inline constexpr DWORD SERVICE_STOP = 0x0020;
inline constexpr DWORD SERVICE_PAUSE_CONTINUE = 0x0040;
inline constexpr DWORD SERVICE_INTERROGATE = 0x0080;
inline constexpr DWORD SERVICE_ALL_ACCESS = 0xF01FF;

// Service types.
inline constexpr DWORD SERVICE_WIN32_OWN_PROCESS = 0x10;
inline constexpr DWORD SERVICE_WIN32_SHARE_PROCESS = 0x20;
inline constexpr DWORD SERVICE_WIN32 = 0x30;
inline constexpr DWORD SERVICE_INTERACTIVE_PROCESS = 0x100;

// Start types and error control.
inline constexpr DWORD SERVICE_AUTO_START = 2;
inline constexpr DWORD SERVICE_DEMAND_START = 3;
inline constexpr DWORD SERVICE_DISABLED = 4;
inline constexpr DWORD SERVICE_ERROR_IGNORE = 0;
inline constexpr DWORD SERVICE_ERROR_NORMAL = 1;

// Control codes.
inline constexpr DWORD SERVICE_CONTROL_STOP = 1;
inline constexpr DWORD SERVICE_CONTROL_PAUSE = 2;
inline constexpr DWORD SERVICE_CONTROL_CONTINUE = 3;
inline constexpr DWORD SERVICE_CONTROL_INTERROGATE = 4;
inline constexpr DWORD SERVICE_CONTROL_SHUTDOWN = 5;

// States.
inline constexpr DWORD SERVICE_STOPPED = 1;
inline constexpr DWORD SERVICE_START_PENDING = 2;
inline constexpr DWORD SERVICE_STOP_PENDING = 3;
inline constexpr DWORD SERVICE_RUNNING = 4;
inline constexpr DWORD SERVICE_CONTINUE_PENDING = 5;
inline constexpr DWORD SERVICE_PAUSE_PENDING = 6;
inline constexpr DWORD SERVICE_PAUSED = 7;

// Controls accepted.
inline constexpr DWORD SERVICE_ACCEPT_STOP = 0x1;
inline constexpr DWORD SERVICE_ACCEPT_PAUSE_CONTINUE = 0x2;
inline constexpr DWORD SERVICE_ACCEPT_SHUTDOWN = 0x4;

// Error codes of the manager (winerror.h).
inline constexpr LONG ERROR_INVALID_SERVICE_CONTROL = 1052;
inline constexpr LONG ERROR_SERVICE_REQUEST_TIMEOUT = 1053;
inline constexpr LONG ERROR_SERVICE_ALREADY_RUNNING = 1056;
inline constexpr LONG ERROR_SERVICE_DISABLED = 1058;
inline constexpr LONG ERROR_SERVICE_DOES_NOT_EXIST = 1060;
inline constexpr LONG ERROR_SERVICE_CANNOT_ACCEPT_CTRL = 1061;
inline constexpr LONG ERROR_SERVICE_NOT_ACTIVE = 1062;
inline constexpr LONG ERROR_FAILED_SERVICE_CONTROLLER_CONNECT = 1063;
inline constexpr LONG ERROR_SERVICE_MARKED_FOR_DELETE = 1072;
inline constexpr LONG ERROR_SERVICE_EXISTS = 1073;
inline constexpr LONG ERROR_DUPLICATE_SERVICE_NAME = 1078;
inline constexpr LONG ERROR_BAD_EXE_FORMAT = 193;

// SERVICE_STATUS with Windows' layout (28 bytes).
struct SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
};
static_assert(sizeof(SERVICE_STATUS) == 28, "SERVICE_STATUS must keep Windows' layout");

// Service entry and control handler; the win32 backend adapts them to the
// system's calling convention.
using LPSERVICE_MAIN_FUNCTIONA = void (*)(DWORD argc, char** argv);
using LPHANDLER_FUNCTION = void (*)(DWORD control);

// One dispatch-table entry; the table ends with an entry of two nulls.
struct SERVICE_TABLE_ENTRYA {
  const char* lpServiceName;
  LPSERVICE_MAIN_FUNCTIONA lpServiceProc;
};

class ServiceApi {
 public:
  virtual ~ServiceApi() = default;

  // Manager side.
  virtual SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database, DWORD access) = 0;
  virtual SC_HANDLE OpenSCManagerA(const char* machine, const char* database, DWORD access) = 0;
  virtual SC_HANDLE CreateServiceW(SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName,
                                   DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                                   const wchar_t* binaryPath, const wchar_t* loadOrderGroup, DWORD* tagId,
                                   const wchar_t* dependencies, const wchar_t* account,
                                   const wchar_t* password) = 0;
  virtual SC_HANDLE CreateServiceA(SC_HANDLE manager, const char* name, const char* displayName, DWORD access,
                                   DWORD serviceType, DWORD startType, DWORD errorControl,
                                   const char* binaryPath, const char* loadOrderGroup, DWORD* tagId,
                                   const char* dependencies, const char* account, const char* password) = 0;
  virtual SC_HANDLE OpenServiceW(SC_HANDLE manager, const wchar_t* name, DWORD access) = 0;
  virtual SC_HANDLE OpenServiceA(SC_HANDLE manager, const char* name, DWORD access) = 0;
  virtual BOOL StartServiceW(SC_HANDLE service, DWORD argc, const wchar_t** argv) = 0;
  virtual BOOL StartServiceA(SC_HANDLE service, DWORD argc, const char** argv) = 0;
  virtual BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) = 0;
  virtual BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) = 0;
  virtual BOOL DeleteService(SC_HANDLE service) = 0;
  virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;

  // Service side.
  virtual BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* table) = 0;
  virtual SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(const char* name, LPHANDLER_FUNCTION handler) = 0;
  virtual BOOL SetServiceStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS* status) = 0;
};

// clang-format off
inline SC_HANDLE OpenSCManagerW(const wchar_t* m, const wchar_t* d, DWORD a) { return Current().services->OpenSCManagerW(m, d, a); }
inline SC_HANDLE OpenSCManagerA(const char* m, const char* d, DWORD a) { return Current().services->OpenSCManagerA(m, d, a); }
inline SC_HANDLE CreateServiceW(SC_HANDLE m, const wchar_t* n, const wchar_t* dn, DWORD a, DWORD t, DWORD s, DWORD e, const wchar_t* p, const wchar_t* g, DWORD* tag, const wchar_t* dep, const wchar_t* acc, const wchar_t* pw) { return Current().services->CreateServiceW(m, n, dn, a, t, s, e, p, g, tag, dep, acc, pw); }
inline SC_HANDLE CreateServiceA(SC_HANDLE m, const char* n, const char* dn, DWORD a, DWORD t, DWORD s, DWORD e, const char* p, const char* g, DWORD* tag, const char* dep, const char* acc, const char* pw) { return Current().services->CreateServiceA(m, n, dn, a, t, s, e, p, g, tag, dep, acc, pw); }
inline SC_HANDLE OpenServiceW(SC_HANDLE m, const wchar_t* n, DWORD a) { return Current().services->OpenServiceW(m, n, a); }
inline SC_HANDLE OpenServiceA(SC_HANDLE m, const char* n, DWORD a) { return Current().services->OpenServiceA(m, n, a); }
inline BOOL StartServiceW(SC_HANDLE s, DWORD c, const wchar_t** v) { return Current().services->StartServiceW(s, c, v); }
inline BOOL StartServiceA(SC_HANDLE s, DWORD c, const char** v) { return Current().services->StartServiceA(s, c, v); }
inline BOOL ControlService(SC_HANDLE s, DWORD c, SERVICE_STATUS* st) { return Current().services->ControlService(s, c, st); }
inline BOOL QueryServiceStatus(SC_HANDLE s, SERVICE_STATUS* st) { return Current().services->QueryServiceStatus(s, st); }
inline BOOL DeleteService(SC_HANDLE s) { return Current().services->DeleteService(s); }
inline BOOL CloseServiceHandle(SC_HANDLE h) { return Current().services->CloseServiceHandle(h); }
inline BOOL StartServiceCtrlDispatcherA(const SERVICE_TABLE_ENTRYA* t) { return Current().services->StartServiceCtrlDispatcherA(t); }
inline SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(const char* n, LPHANDLER_FUNCTION h) { return Current().services->RegisterServiceCtrlHandlerA(n, h); }
inline BOOL SetServiceStatus(SERVICE_STATUS_HANDLE h, const SERVICE_STATUS* st) { return Current().services->SetServiceStatus(h, st); }
// clang-format on

}  // namespace pf
