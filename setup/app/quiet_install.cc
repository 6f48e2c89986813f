#include "setup/app/quiet_install.h"

#include "platform/platform.h"
#include "setup/app/exit_codes.h"
#include "setup/devices/detection.h"
#include "setup/log/setup_log.h"

namespace {

// Detection with nothing on screen: its pauses sleep.
class QuietDetectionView : public DetectionView {
 public:
  void ShowWaiting(unsigned) override {}
  void Pause(pf::DWORD milliseconds) override { pf::Sleep(milliseconds); }
  void ShowFound(bool) override {}
  void ShowMessage(const std::wstring& text, const std::wstring&, fw::UINT) override {
    LogStep("message", "shown", text);
  }
};

}  // namespace

void QuietInstallView::ShowResult(std::int32_t, const std::wstring& message) {
  if (!message.empty()) LogStep("result", "message", message);
}

void QuietInstallView::ShowMessage(const std::wstring& text, const std::wstring&, fw::UINT) {
  LogStep("message", "shown", text);
}

int RunQuietInstall(SetupContext& context, const CommandLine& line) {
  QuietDetectionView detection;
  context.portKind = L"USB";
  // A USB printer that was recorded but not identified is still the one
  // connected: it gets the USB port, as the wizard leaves it chosen.
  const bool usbPrinter = DetectPrinter(context, detection) != Detected::kNoUsbPrinter;
  context.portKind = !line.port.empty() ? line.port : usbPrinter ? L"USB" : L"LPT";
  if (!line.name.empty()) context.modelName = line.name;
  LogStep("port and name", "chosen", context.portKind + L" " + context.modelName);

  QuietInstallView view;
  InstallState state;
  RunInstallSequence(context, state, view, PrintUiMode{true, kQuietPrintUiWaitMs});
  if (state.resultCode != kResultInstalled) return state.resultCode;
  return state.helperRan ? kExitSucceeded : kExitHelperFailed;
}
