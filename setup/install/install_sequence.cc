#include "setup/install/install_sequence.h"

#include "common/text/decimal.h"
#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/devices/printer_scan.h"
#include "setup/driver/platform_version.h"
#include "setup/install/helper_service.h"
#include "setup/install/print_ui.h"
#include "setup/install/printer_naming.h"
#include "setup/install/protected_print.h"
#include "setup/log/setup_log.h"
#include "setup/resources/resource.h"

namespace {

constexpr std::int32_t kStepsPerLine = 12;

}  // namespace

std::wstring ResultMessage(std::int32_t resultCode) {
  switch (resultCode) {
    case kResultNoUsbPrinter: return LoadText(IDS_ERROR_NO_USB_PRINTER);
    case kResultNoPrinterAdded: return LoadText(IDS_ERROR_UNKNOWN);
    case kResultWindowsTooOld: return LoadText(IDS_ERROR_OLD_WINDOWS);
    case kResultProtectedPrintMode: return LoadText(IDS_ERROR_PROTECTED_PRINT);
    default: return std::wstring();
  }
}

void RunInstallSequence(const SetupContext& context, InstallState& state, InstallView& view,
                        const PrintUiMode& printUi) {
  state.serviceFileName = L"Spoolmate.exe";
  state.serviceName = L"Printer Helper";
  state.helperRan = false;
  state.resultCode = InstallPrinter(context, state, view, printUi);
  LogStep("install", "result code", text::WideDecimal(state.resultCode));
  if (state.resultCode == kResultInstalled) state.helperRan = DeployHelperService(context, state, view) == kHelperRan;
  view.ShowResult(state.resultCode, ResultMessage(state.resultCode));
}

std::int32_t InstallPrinter(const SetupContext& context, InstallState& state, InstallView& view,
                            const PrintUiMode& printUi) {
  state.resultCode = kResultInstalled;
  if (GetMajorVersion() < 5) {
    LogStep("Windows", "older than Windows 2000: major version", text::WideDecimal(GetMajorVersion()));
    return kResultWindowsTooOld;
  }
  if (IsProtectedPrintModeOn()) {
    LogStep("Windows", "protected print mode is on");
    return kResultProtectedPrintMode;
  }
  std::wstring port = L"LPT1:";
  view.ShowPrinterLines(false);
  if (context.portKind == L"USB") {
    if (!IsUsbPrinterPresent()) {
      LogStep("USB printer", "no longer present");
      return kResultNoUsbPrinter;
    }
    port = context.usbPortName;
  }
  view.ShowPrinterLines(true);
  state.finalPrinterName.clear();
  LogStep("printer", "name, port, driver:", context.modelName + L", " + port + L", " + context.driverModel);

  // Whether a printer was added is told by this run's two listings alone
  // (the lists keep the names of earlier runs too). Without the printers
  // that were there before, any printer listed afterwards could pass for the
  // new one: a failed listing ends the run with result 30, the one before
  // the print UI without creating a printer.
  const std::size_t listedBefore = state.printersBefore.size();
  if (!ListPrinters(&state.printersBefore, view)) return kResultNoPrinterAdded;
  const std::size_t countBefore = state.printersBefore.size() - listedBefore;
  LogStep("printers before", "listed:", text::WideDecimal(static_cast<long long>(countBefore)));
  const std::wstring base = PrinterBaseName(context.modelName);
  view.ShowPrinter(MakeUniquePrinterName(base, state.printersBefore), port, context.driverModel);
  // The driver files are copied by the print-UI command itself; these lines
  // only pace the display.
  for (unsigned line : {IDS_STEP_SYSTEM_INFO, IDS_STEP_COPY_FILES, IDS_STEP_ADD_DRIVER}) {
    view.ShowStatus(LoadText(line), kStepsPerLine, true);
  }
  if (AddPrinterViaPrintUi(context, port, printUi) == kPrintUiTimedOut) return kResultNoPrinterAdded;
  view.ShowStatus(LoadText(IDS_STEP_ADD_PRINTER), kStepsPerLine, true);

  const std::size_t listedAfter = state.printersAfter.size();
  if (!ListPrinters(&state.printersAfter, view)) return kResultNoPrinterAdded;
  if (state.printersAfter.size() - listedAfter == countBefore) {
    LogStep("printers", "the print UI added none");
    return kResultNoPrinterAdded;
  }
  std::wstring added;
  if (IdentifyNewPrinter(state.printersBefore, state.printersAfter, base, &added)) {
    LogStep("new printer", "found:", added);
    SetDefaultPrinter(context, added, port);
    state.finalPrinterName = added;
    view.ShowPrinterName(state.finalPrinterName);
  } else {
    LogStep("new printer", "none of the printers added is named after", base);
  }
  view.CompleteProgress();
  BroadcastSettingChange();
  return kResultInstalled;
}
