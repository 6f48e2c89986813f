// The helper service's one run: its program path, and the deployment that
// stages the device values, writes Spoolmate.exe to disk and runs it once as
// a service (created, started, stopped a second later, deleted a second
// after that). Stopping it is what moves the staged values into the
// printer's device keys. The deployment itself is the install page's
// InstallPage::DeployHelperService (setup/install/helper_service.cc).
#pragma once

#include <string>

// The service folder + "\" + fileName, not quoted; empty when the common
// program files folder cannot be had.
std::wstring GetServiceBinaryPath(const std::wstring& fileName);
