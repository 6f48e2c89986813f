#include "setup/devices/detection.h"

#include <string>

#include "common/text/decimal.h"
#include "platform/platform.h"
#include "setup/devices/printer_scan.h"
#include "setup/log/setup_log.h"

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

Detected DetectPrinter(SetupContext& context, DetectionView& view) {
  const bool usbPrinter = WaitForUsbPrinter(view);
  if (usbPrinter) {
    const int identified = DetectUsbPrinter(context, view);
    LogStep("USB printer", "recorded; identification result, model, port:",
            text::WideDecimal(identified) + L", " + context.modelName + L", " + context.usbPortName);
    if (identified == kUsbPrinterFound) {
      view.ShowFound(true);
      return Detected::kUsbPrinter;
    }
  } else {
    LogStep("USB printer", "none recorded within 3 s");
  }
  std::wstring lptModel;
  const int parallel = DetectLptPrinter(context, &lptModel);
  context.modelName = parallel == 1 ? lptModel : context.driverModel;
  if (!context.modelOverride.empty()) context.modelName = context.modelOverride;
  LogStep("parallel-port printers without a driver", "counted; proposed name:",
          text::WideDecimal(parallel) + L"; " + context.modelName);
  view.ShowFound(false);
  return usbPrinter ? Detected::kUnidentifiedUsbPrinter : Detected::kNoUsbPrinter;
}
