#include "setup/app/quiet_install.h"

#include "platform/platform.h"
#include "setup/app/exit_codes.h"
#include "setup/log/setup_log.h"

void QuietView::Pause(pf::DWORD milliseconds) { pf::Sleep(milliseconds); }

void QuietView::ShowResult(std::int32_t, const std::wstring& message) {
  if (!message.empty()) LogStep("result", message);
}

void QuietView::ShowMessage(const std::wstring& text, const std::wstring&, fw::UINT) { LogStep("message", text); }

int RunQuietInstall(SetupContext& context, const CommandLine& line) {
  QuietView view;
  context.portKind = L"USB";
  const bool usbPrinter = DetectPrinter(context, static_cast<DetectionView&>(view));
  context.portKind = !line.port.empty() ? line.port : usbPrinter ? L"USB" : L"LPT";
  if (!line.name.empty()) context.modelName = line.name;
  LogStep("choice", context.portKind + L", printer name " + context.modelName);

  InstallState state;
  RunInstallSequence(context, state, view, PrintUiMode{true, kQuietPrintUiWaitMs});
  if (state.resultCode != kResultInstalled) return state.resultCode;
  return state.helperRan ? kExitSucceeded : kExitHelperFailed;
}
