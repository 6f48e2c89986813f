// The helper service's one run: its program path, and the deployment that
// stages the device values, writes Spoolmate.exe to disk and runs it once as
// a service (created, started, stopped a second later, deleted a second
// after that). Stopping it is what moves the staged values into the
// printer's device keys.
#pragma once

#include <string>

#include "setup/app/report.h"
#include "setup/app/setup_context.h"
#include "setup/install/install_sequence.h"

// The service folder + "\" + fileName, not quoted; empty when the common
// program files folder cannot be had.
std::wstring GetServiceBinaryPath(const std::wstring& fileName);

enum HelperOutcome {
  kHelperRan,         // started and stopped
  kHelperNotWritten,  // Spoolmate.exe could not be written (message 498 was shown)
  kHelperNotRun,      // written, but the service was not started or stopped, or left the staged values
};

// Stages the device values for the port kind, writes state.serviceFileName
// and runs it once as the service state.serviceName. A program that cannot be
// written is reported through report ("无法解压服务文件，请重新启动计算机！",
// captioned "<modelName>打印机安装程序"); the service manager's failures are
// not shown.
HelperOutcome DeployHelperService(const SetupContext& context, const InstallState& state, Report& report);
