// The install page's run: the install sequence that turns the detected
// printer and the chosen port into an installed default printer.
#include <vector>

#include "framework/app.h"
#include "framework/dialog.h"
#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/devices/printer_scan.h"
#include "setup/driver/platform_version.h"
#include "setup/install/print_ui.h"
#include "setup/install/protected_print.h"
#include "setup/install/printer_naming.h"
#include "setup/pages/install_page.h"
#include "setup/resources/resource.h"

namespace {

constexpr std::int32_t kResultInstalled = 0;
constexpr std::int32_t kResultNoUsbPrinter = 3;
constexpr std::int32_t kResultNoPrinterAdded = 30;
constexpr std::int32_t kResultWindowsTooOld = 100;
// ERROR_ACCESS_DISABLED_BY_POLICY: Windows protected print mode is on.
constexpr std::int32_t kResultProtectedPrintMode = pf::ERROR_ACCESS_DISABLED_BY_POLICY;

constexpr std::int32_t kStepsPerLine = 12;
constexpr wchar_t kSeparator[] = L" \t";

// The message of a result code; empty for a code without one.
std::wstring ResultMessage(std::int32_t code) {
  switch (code) {
    case kResultNoUsbPrinter: return LoadText(IDS_ERROR_NO_USB_PRINTER);
    case kResultNoPrinterAdded: return LoadText(IDS_ERROR_UNKNOWN);
    case kResultWindowsTooOld: return LoadText(IDS_ERROR_OLD_WINDOWS);
    case kResultProtectedPrintMode: return LoadText(IDS_ERROR_PROTECTED_PRINT);
    default: return std::wstring();
  }
}

}  // namespace

void InstallPage::RunInstall() {
  frame->SetTitle(LoadText(IDS_TITLE_INSTALLING));
  // The buttons go off before the first wait dispatches messages: a click
  // still queued from the detection page would otherwise reach the frame
  // while no page is active yet (Next, Back) or close it mid-install (Cancel).
  for (int button : {kBackButton, kNextButton, kCancelButton, kFinishButton}) frame->EnableButton(button, false);
  ShowStatus(std::wstring(), 0, true);
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_NAME), fw::SW_HIDE);
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_PORT), fw::SW_HIDE);
  SetDlgItemText(IDC_INSTALL_HEADING, LoadText(IDS_INSTALL_HEADING));
  SetDlgItemText(IDC_INSTALL_NAME, LoadText(IDS_LABEL_NAME));
  SetDlgItemText(IDC_INSTALL_PORT, LoadText(IDS_LABEL_PORT));
  SetDlgItemText(IDC_INSTALL_MODEL, LoadText(IDS_LABEL_MODEL));
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_NAME), fw::SW_SHOW);
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_PORT), fw::SW_SHOW);
  serviceFileName = L"Spoolmate.exe";
  serviceName = L"Printer Helper";
  progress.SetRange(1, 100);
  progress.SetStep(1);
  progress.SetPos(0);

  resultCode = InstallPrinter();
  if (resultCode == kResultInstalled) {
    DeployHelperService();
    ShowStatus(LoadText(IDS_INSTALL_SUCCEEDED), 0, true);
  } else {
    progress.SetPos(100);
    const std::wstring message = ResultMessage(resultCode);
    progress.SetPos(100);
    ShowStatus(LoadText(IDS_INSTALL_FAILED), 0, true);
    fw::AfxMessageBox(message, pf::MB_OK | pf::MB_ICONERROR);
  }
  frame->SetTitle(LoadText(IDS_TITLE_INSTALLED));
}

std::int32_t InstallPage::InstallPrinter() {
  resultCode = kResultInstalled;
  if (GetMajorVersion() < 5) return kResultWindowsTooOld;
  if (IsProtectedPrintModeOn()) return kResultProtectedPrintMode;
  std::wstring port = L"LPT1:";
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_NAME), fw::SW_HIDE);
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_PORT), fw::SW_HIDE);
  if (context_.portKind == L"USB") {
    if (!IsUsbPrinterPresent()) return kResultNoUsbPrinter;
    port = context_.usbPortName;
  }
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_NAME), fw::SW_SHOW);
  fw::Windows().ShowWindow(GetDlgItem(IDC_INSTALL_PORT), fw::SW_SHOW);
  finalPrinterName.clear();

  // Whether a printer was added is told by this run's two listings alone
  // (the lists keep the names of earlier runs too). Without the printers
  // that were there before, any printer listed afterwards could pass for the
  // new one: a failed listing ends the run with result 30, the one before
  // the print UI without creating a printer.
  const std::size_t listedBefore = printersBefore.size();
  if (!ListPrinters(&printersBefore)) return kResultNoPrinterAdded;
  const std::size_t countBefore = printersBefore.size() - listedBefore;
  const std::wstring base = PrinterBaseName(context_.modelName);
  const std::wstring predicted = MakeUniquePrinterName(base, printersBefore);
  SetDlgItemText(IDC_INSTALL_NAME, LoadText(IDS_LABEL_NAME) + kSeparator + predicted);
  SetDlgItemText(IDC_INSTALL_PORT, LoadText(IDS_LABEL_PORT) + kSeparator + port);
  SetDlgItemText(IDC_INSTALL_MODEL, LoadText(IDS_LABEL_MODEL) + kSeparator + context_.driverModel);
  // The driver files are copied by the print-UI command itself; these lines
  // only pace the display.
  for (unsigned line : {IDS_STEP_SYSTEM_INFO, IDS_STEP_COPY_FILES, IDS_STEP_ADD_DRIVER}) {
    ShowStatus(LoadText(line), kStepsPerLine, true);
  }
  AddPrinterViaPrintUi(context_, port);
  ShowStatus(LoadText(IDS_STEP_ADD_PRINTER), kStepsPerLine, true);

  const std::size_t listedAfter = printersAfter.size();
  if (!ListPrinters(&printersAfter)) return kResultNoPrinterAdded;
  if (printersAfter.size() - listedAfter == countBefore) return kResultNoPrinterAdded;
  std::wstring added;
  if (IdentifyNewPrinter(printersBefore, printersAfter, base, &added)) {
    SetDefaultPrinter(context_, added, port);
    finalPrinterName = added;
    SetDlgItemText(IDC_INSTALL_NAME, LoadText(IDS_LABEL_NAME) + kSeparator + finalPrinterName);
  }
  while (progress.GetPos() < 100) {
    progress.StepIt();
    fw::PumpWait(20, 10);
  }
  UpdateWindow();
  BroadcastSettingChange();
  return kResultInstalled;
}

void InstallPage::ShowStatus(const std::wstring& text, std::int32_t steps, bool blink) {
  const fw::HWND status = GetDlgItem(IDC_INSTALL_STATUS);
  if (blink) fw::Windows().ShowWindow(status, fw::SW_HIDE);
  fw::PumpWait(0, 10);
  fw::Windows().SetWindowTextW(status, text);
  if (blink) fw::Windows().ShowWindow(status, fw::SW_SHOW);
  fw::PumpWait(0, 10);
  for (std::int32_t step = 0; step < steps; ++step) {
    progress.StepIt();
    fw::PumpWait(25, 5);
  }
}
