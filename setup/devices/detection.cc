#include "setup/devices/detection.h"

#include <string>

#include "platform/platform.h"
#include "setup/devices/printer_scan.h"

namespace {

constexpr pf::DWORD kPollPauseMs = 500;
constexpr pf::DWORD kUsbWaitMs = 3000;
constexpr unsigned kDotSteps = 11;  // none to ten pairs of dots, then none again

// Looks for a USB printer every half second for three seconds; true as soon
// as one is recorded.
bool WaitForUsbPrinter(DetectionView& view) {
  const pf::DWORD start = pf::GetTickCount();
  unsigned dots = 0;
  for (;;) {
    if (IsUsbPrinterPresent()) return true;
    view.ShowWaiting(dots);
    view.Pause(kPollPauseMs);
    dots = (dots + 1) % kDotSteps;
    if (pf::GetTickCount() - start >= kUsbWaitMs) return false;
  }
}

}  // namespace

bool DetectPrinter(SetupContext& context, DetectionView& view) {
  if (WaitForUsbPrinter(view) && DetectUsbPrinter(context, view) == kUsbPrinterFound) {
    view.ShowFound(true);
    return true;
  }
  std::wstring lptModel;
  context.modelName = DetectLptPrinter(context, &lptModel) == 1 ? lptModel : context.driverModel;
  if (!context.modelOverride.empty()) context.modelName = context.modelOverride;
  view.ShowFound(false);
  return false;
}
