#include "setup/install/helper_service.h"

#include "framework/window_api.h"
#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/devices/device_keys.h"
#include "setup/driver/payload.h"
#include "setup/install/service_control.h"
#include "setup/pages/install_page.h"
#include "setup/resources/resource.h"

std::wstring GetServiceBinaryPath(const std::wstring& fileName) {
  std::wstring folder;
  if (!GetServiceFolder(&folder)) return std::wstring();
  return folder + L"\\" + fileName;
}

void InstallPage::DeployHelperService() {
  const std::wstring caption = FormatText(LoadText(IDS_SERVICE_CAPTION), context_.modelName);
  if (context_.portKind == L"LPT") {
    ProvisionLptDeviceKeys(context_, context_.lptHardwareId);
  } else if (context_.portKind == L"USB") {
    ProvisionUsbDeviceKeys(context_, context_.usbHardwareId);
  }
  if (!ExtractHelperServiceProgram(serviceFileName)) {
    fw::Windows().MessageBoxW(GetSafeHwnd(), LoadText(IDS_ERROR_EXTRACT_SERVICE), caption, pf::MB_OK);
    return;
  }
  // The path is registered in quotation marks: unquoted, the service
  // manager would try "C:\Program.exe" and "C:\Program Files\Common.exe"
  // first, as the local system account.
  const std::wstring programPath = L"\"" + GetServiceBinaryPath(serviceFileName) + L"\"";
  ServiceControl service;
  service.SetServiceName(serviceName.c_str());
  service.SetDisplayName(serviceName.c_str());
  service.SetProgramPath(programPath.c_str());
  service.SetAutoStart(1);
  service.Create();
  service.Start();
  pf::Sleep(1000);  // the window is not repainted meanwhile
  service.Stop();
  pf::Sleep(1000);
  service.Delete();
}
