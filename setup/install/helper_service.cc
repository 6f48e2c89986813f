#include "setup/install/helper_service.h"

#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/devices/device_keys.h"
#include "setup/driver/payload.h"
#include "setup/install/service_control.h"
#include "setup/log/setup_log.h"
#include "setup/resources/resource.h"

namespace {

void LogServiceStep(const char* done, const char* notDone, bool ok) {
  LogStep("helper service", ok ? done : notDone, {}, ok ? 0 : pf::GetLastError());
}

}  // namespace

std::wstring GetServiceBinaryPath(const std::wstring& fileName) {
  std::wstring folder;
  if (!GetServiceFolder(&folder)) return std::wstring();
  return folder + L"\\" + fileName;
}

HelperOutcome DeployHelperService(const SetupContext& context, const InstallState& state, Report& report) {
  const std::wstring caption = FormatText(LoadText(IDS_SERVICE_CAPTION), context.modelName);
  if (context.portKind == L"LPT") {
    ProvisionLptDeviceKeys(context, context.lptHardwareId);
  } else if (context.portKind == L"USB") {
    ProvisionUsbDeviceKeys(context, context.usbHardwareId);
  }
  LogStep("device values", "staged for", context.portKind);
  if (!ExtractHelperServiceProgram(state.serviceFileName)) {
    LogStep("helper service", "not written", state.serviceFileName, pf::GetLastError());
    report.ShowMessage(LoadText(IDS_ERROR_EXTRACT_SERVICE), caption, pf::MB_OK);
    return kHelperNotWritten;
  }
  // The path is registered in quotation marks: unquoted, the service
  // manager would try "C:\Program.exe" and "C:\Program Files\Common.exe"
  // first, as the local system account.
  const std::wstring programPath = L"\"" + GetServiceBinaryPath(state.serviceFileName) + L"\"";
  ServiceControl service;
  service.SetServiceName(state.serviceName.c_str());
  service.SetDisplayName(state.serviceName.c_str());
  service.SetProgramPath(programPath.c_str());
  service.SetAutoStart(1);
  LogServiceStep("created", "not created", service.Create());
  const bool started = service.Start();
  LogServiceStep("started", "not started", started);
  pf::Sleep(1000);  // the window is not repainted meanwhile
  const bool stopped = service.Stop();
  LogServiceStep("stopped", "not stopped", stopped);
  pf::Sleep(1000);
  LogServiceStep("deleted", "not deleted", service.Delete());
  // Stopped, the helper service has moved the staged values into the
  // device keys and taken them out of the class key.
  const bool consumed = !StagedValuesLeft();
  if (!consumed) LogStep("helper service", "left the staged values in the printer class key");
  return started && stopped && consumed ? kHelperRan : kHelperNotRun;
}
