#include "setup/pages/detect_page.h"

#include "framework/wnd.h"
#include "platform/platform.h"
#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/devices/detection.h"
#include "setup/driver/driver_identity.h"
#include "setup/resources/resource.h"

namespace {

constexpr fw::DWORD kPumpSliceMs = 10;

}  // namespace

DetectPage::DetectPage(SetupContext& context)
    : WizardPage(IDD_DETECT_PAGE, {IDB_SIDE_DETECT, SIDE_PICTURE_CX, SIDE_PICTURE_CY}), context_(context) {}

bool DetectPage::OnInitDialog() {
  WizardPage::OnInitDialog();
  SetHeadingFont(IDC_DETECT_HEADING, titleFont);
  SetDlgItemText(IDC_DETECT_HEADING, LoadText(IDS_DETECT_HEADING));
  SetDlgItemText(IDC_DETECT_USB, LoadText(IDS_PORT_USB));
  SetDlgItemText(IDC_DETECT_LPT, LoadText(IDS_PORT_LPT));
  SetDlgItemText(IDC_DETECT_NAME_LABEL, LoadText(IDS_PRINTER_NAME_LABEL));
  return true;
}

void DetectPage::OnActivate() {
  // The detection page holds this title as its own text (the same words as 509).
  if (frame) frame->SetTitle(L"安装向导 - 请连接打印机和电脑");
  RunDetection();
}

void DetectPage::RunDetection() {
  // The page and the frame's buttons go first: every step below dispatches
  // window messages.
  EnableWindow(false);
  EnableFrameButtons(false, false, false, false);
  SelectUsb();
  SetDetectStatus(L"", true);
  context_.portKind = L"USB";
  SetDlgItemText(IDC_DETECT_NAME, L"打印机名称");

  const bool found = DetectPrinter(context_, view_) == Detected::kUsbPrinter;
  if (found) {
    SetDlgItemText(IDC_DETECT_NAME, context_.modelName);
    SelectUsb();
  } else {
    // A parallel-port printer found by the scan only names the printer: the
    // connection stays on USB until the user changes it.
    SelectUsb();
    fw::Windows().EnableWindow(GetDlgItem(IDC_DETECT_USB), 1);
    fw::Windows().EnableWindow(GetDlgItem(IDC_DETECT_LPT), 1);
  }

  EnableFrameButtons(true, true, true, false);
  fw::Windows().EnableWindow(GetDlgItem(IDC_DETECT_LPT), IsOfferedHardwareId(context_.lptHardwareId));
  fw::Windows().EnableWindow(GetDlgItem(IDC_DETECT_USB), IsOfferedHardwareId(context_.usbHardwareId));
  EnableWindow(true);
  // Only now: Windows gives no focus to a window inside a disabled one. Nothing
  // since the proposal dispatched a message, so the order is otherwise the same.
  if (!found) ApplyPortChoice();
}

void DetectPage::View::ShowWaiting(unsigned dots) {
  std::wstring status = LoadText(IDS_DETECTING);
  for (unsigned i = 0; i < dots; ++i) status += L"..";
  page_.SetDetectStatus(status, dots == 0);
}

void DetectPage::View::Pause(fw::DWORD milliseconds) { fw::PumpWait(milliseconds, kPumpSliceMs); }

void DetectPage::View::ShowFound(bool usbPrinter) {
  page_.SetDetectStatus(LoadText(usbPrinter ? IDS_DETECTED : IDS_NOT_DETECTED), true);
}

void DetectPage::View::ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) {
  page_.ShowPageMessage(text, caption, type);
}

void DetectPage::SetDetectStatus(const std::wstring& text, bool repaint) {
  fw::CStatic status;
  status.Attach(GetDlgItem(IDC_DETECT_STATUS));
  if (repaint) status.ShowWindow(fw::SW_HIDE);
  fw::PumpWait(0, kPumpSliceMs);
  status.SetWindowText(text);
  if (repaint) status.ShowWindow(fw::SW_SHOW);
  fw::PumpWait(0, kPumpSliceMs);
}

void DetectPage::ApplyPortChoice() {
  SetDlgItemText(IDC_DETECT_NAME, context_.modelName);
  fw::Windows().SetFocus(GetDlgItem(IDC_DETECT_NAME));
  context_.portKind = IsUsbSelected() ? L"USB" : L"LPT";
}

bool DetectPage::OnCommand(fw::WORD id, fw::WORD code, fw::HWND control) {
  if (code == fw::BN_CLICKED && (id == IDC_DETECT_USB || id == IDC_DETECT_LPT)) {
    ApplyPortChoice();
    return true;
  }
  return WizardPage::OnCommand(id, code, control);
}

std::int32_t DetectPage::OnNext() {
  context_.portKind = IsUsbSelected() ? L"USB" : L"LPT";
  std::wstring name = GetDlgItemText(IDC_DETECT_NAME);
  if (!name.empty()) context_.modelName = name;
  return kNeighbourPage;
}

void DetectPage::SelectUsb() const {
  fw::CButton usb, lpt;
  usb.Attach(GetDlgItem(IDC_DETECT_USB));
  lpt.Attach(GetDlgItem(IDC_DETECT_LPT));
  usb.SetCheck(true);
  lpt.SetCheck(false);
}

bool DetectPage::IsUsbSelected() const {
  fw::CButton usb;
  usb.Attach(GetDlgItem(IDC_DETECT_USB));
  return usb.GetCheck();
}

void DetectPage::EnableFrameButtons(bool back, bool next, bool cancel, bool finish) const {
  if (!frame) return;
  frame->EnableButton(kBackButton, back);
  frame->EnableButton(kNextButton, next);
  frame->EnableButton(kCancelButton, cancel);
  frame->EnableButton(kFinishButton, finish);
}
