#include "setup/install/install_sequence.h"

#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/devices/printer_scan.h"
#include "setup/driver/platform_version.h"
#include "setup/install/helper_service.h"
#include "setup/install/print_ui.h"
#include "setup/install/printer_naming.h"
#include "setup/resources/resource.h"

namespace {

constexpr std::int32_t kStepsPerLine = 12;

}  // namespace

std::wstring ResultMessage(std::int32_t resultCode) {
  switch (resultCode) {
    case kResultNoUsbPrinter: return LoadText(IDS_ERROR_NO_USB_PRINTER);
    case kResultNoPrinterAdded: return LoadText(IDS_ERROR_UNKNOWN);
    case kResultWindowsTooOld: return LoadText(IDS_ERROR_OLD_WINDOWS);
    default: return std::wstring();
  }
}

bool RunInstallSequence(const SetupContext& context, InstallState& state, InstallView& view) {
  state.serviceFileName = L"Spoolmate.exe";
  state.serviceName = L"Printer Helper";
  state.resultCode = InstallPrinter(context, state, view);
  bool helperRan = false;
  if (state.resultCode == kResultInstalled) helperRan = DeployHelperService(context, state, view) == kHelperRan;
  view.ShowResult(state.resultCode, ResultMessage(state.resultCode));
  return helperRan;
}

std::int32_t InstallPrinter(const SetupContext& context, InstallState& state, InstallView& view) {
  state.resultCode = kResultInstalled;
  if (GetMajorVersion() < 5) return kResultWindowsTooOld;
  std::wstring port = L"LPT1:";
  view.ShowPrinterLines(false);
  if (context.portKind == L"USB") {
    if (!IsUsbPrinterPresent()) return kResultNoUsbPrinter;
    port = context.usbPortName;
  }
  view.ShowPrinterLines(true);
  state.finalPrinterName.clear();

  // Whether a printer was added is told by this run's two listings alone
  // (the lists keep the names of earlier runs too). Without the printers
  // that were there before, any printer listed afterwards could pass for the
  // new one: a failed listing ends the run with result 30, the one before
  // the print UI without creating a printer.
  const std::size_t listedBefore = state.printersBefore.size();
  if (!ListPrinters(&state.printersBefore, view)) return kResultNoPrinterAdded;
  const std::size_t countBefore = state.printersBefore.size() - listedBefore;
  const std::wstring base = PrinterBaseName(context.modelName);
  view.ShowPrinter(MakeUniquePrinterName(base, state.printersBefore), port, context.driverModel);
  // The driver files are copied by the print-UI command itself; these lines
  // only pace the display.
  for (unsigned line : {IDS_STEP_SYSTEM_INFO, IDS_STEP_COPY_FILES, IDS_STEP_ADD_DRIVER}) {
    view.ShowStatus(LoadText(line), kStepsPerLine, true);
  }
  AddPrinterViaPrintUi(context, port);
  view.ShowStatus(LoadText(IDS_STEP_ADD_PRINTER), kStepsPerLine, true);

  const std::size_t listedAfter = state.printersAfter.size();
  if (!ListPrinters(&state.printersAfter, view)) return kResultNoPrinterAdded;
  if (state.printersAfter.size() - listedAfter == countBefore) return kResultNoPrinterAdded;
  std::wstring added;
  if (IdentifyNewPrinter(state.printersBefore, state.printersAfter, base, &added)) {
    SetDefaultPrinter(context, added, port);
    state.finalPrinterName = added;
    view.ShowPrinterName(state.finalPrinterName);
  }
  view.CompleteProgress();
  BroadcastSettingChange();
  return kResultInstalled;
}
