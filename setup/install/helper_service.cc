#include "setup/install/helper_service.h"

#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/devices/device_keys.h"
#include "setup/driver/payload.h"
#include "setup/install/service_control.h"
#include "setup/resources/resource.h"

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
  if (!ExtractHelperServiceProgram(state.serviceFileName)) {
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
  service.Create();
  const bool started = service.Start();
  pf::Sleep(1000);  // the window is not repainted meanwhile
  const bool stopped = service.Stop();
  pf::Sleep(1000);
  service.Delete();
  return started && stopped ? kHelperRan : kHelperNotRun;
}
