#include "setup/pages/install_page.h"

#include "framework/app.h"
#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/install/print_ui.h"
#include "setup/install/printer_settings.h"
#include "setup/pages/print_test_page_dialog.h"
#include "setup/resources/resource.h"

namespace {

constexpr wchar_t kSeparator[] = L" \t";

}  // namespace

InstallPage::InstallPage(SetupContext& context)
    : WizardPage(IDD_INSTALL_PAGE, {IDB_SIDE_WELCOME, SIDE_PICTURE_TALL_CX, SIDE_PICTURE_TALL_CY}), context_(context) {}

bool InstallPage::OnInitDialog() {
  WizardPage::OnInitDialog();
  headingFont.CreateFontIndirect(HeadingFontDescription(Dpi()));
  SetHeadingFont(IDC_INSTALL_HEADING, headingFont);
  SetDlgItemText(IDC_INSTALL_TEST_PAGE, LoadText(IDS_PRINT_TEST_PAGE));
  return true;
}

void InstallPage::DoDataExchange() { progress.Attach(GetDlgItem(IDC_INSTALL_PROGRESS)); }

void InstallPage::OnAfterNext() {
  if (frame) frame->EnableButton(kBackButton, state.resultCode != 0);
}

std::int32_t InstallPage::OnBack() {
  if (frame) {
    frame->EnableButton(kBackButton, true);
    frame->EnableButton(kNextButton, true);
    frame->EnableButton(kCancelButton, true);
    frame->EnableButton(kFinishButton, false);
  }
  return kNeighbourPage;
}

void InstallPage::OnDestroy() {
  headingFont.DeleteObject();
  WizardPage::OnDestroy();
}

bool InstallPage::OnCommand(fw::WORD id, fw::WORD code, fw::HWND control) {
  if (code == fw::BN_CLICKED && id == IDC_INSTALL_TEST_PAGE) {
    RequestTestPage();
    return true;
  }
  if (code == fw::BN_CLICKED && id == IDC_INSTALL_SETTINGS) {
    ApplyPrinterDefaults(GetSafeHwnd(), state.finalPrinterName);
    return true;
  }
  return WizardPage::OnCommand(id, code, control);
}

bool InstallPage::OnMessage(fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam, fw::LRESULT* result) {
  if (message != WM_USER_PRINT_TEST_PAGE) return WizardPage::OnMessage(message, wParam, lParam, result);
  PrintTestPage(std::wstring(state.finalPrinterName));
  *result = 0;
  return true;
}

void InstallPage::RequestTestPage() {
  if (state.finalPrinterName.empty()) return;
  PostMessage(WM_USER_PRINT_TEST_PAGE);
  CPrintTestPageDialog dialog;
  dialog.SetPrinterName(state.finalPrinterName);
  dialog.DoModal();
}

void InstallPage::RunInstall() {
  frame->SetTitle(LoadText(IDS_TITLE_INSTALLING));
  // The buttons go off before the first wait dispatches messages: a click
  // still queued from the detection page would otherwise reach the frame
  // while no page is active yet (Next, Back) or close it mid-install (Cancel).
  for (int button : {kBackButton, kNextButton, kCancelButton, kFinishButton}) frame->EnableButton(button, false);
  ShowStatus(std::wstring(), 0, true);
  view_.ShowPrinterLines(false);
  SetDlgItemText(IDC_INSTALL_HEADING, LoadText(IDS_INSTALL_HEADING));
  SetDlgItemText(IDC_INSTALL_NAME, LoadText(IDS_LABEL_NAME));
  SetDlgItemText(IDC_INSTALL_PORT, LoadText(IDS_LABEL_PORT));
  SetDlgItemText(IDC_INSTALL_MODEL, LoadText(IDS_LABEL_MODEL));
  view_.ShowPrinterLines(true);
  progress.SetRange(1, 100);
  progress.SetStep(1);
  progress.SetPos(0);
  RunInstallSequence(context_, state, view_);
  frame->SetTitle(LoadText(IDS_TITLE_INSTALLED));
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

void InstallPage::View::ShowStatus(const std::wstring& text, std::int32_t steps, bool blink) {
  page_.ShowStatus(text, steps, blink);
}

void InstallPage::View::ShowPrinterLines(bool shown) {
  const int command = shown ? fw::SW_SHOW : fw::SW_HIDE;
  fw::Windows().ShowWindow(page_.GetDlgItem(IDC_INSTALL_NAME), command);
  fw::Windows().ShowWindow(page_.GetDlgItem(IDC_INSTALL_PORT), command);
}

void InstallPage::View::ShowPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& model) {
  ShowPrinterName(name);
  page_.SetDlgItemText(IDC_INSTALL_PORT, LoadText(IDS_LABEL_PORT) + kSeparator + port);
  page_.SetDlgItemText(IDC_INSTALL_MODEL, LoadText(IDS_LABEL_MODEL) + kSeparator + model);
}

void InstallPage::View::ShowPrinterName(const std::wstring& name) {
  page_.SetDlgItemText(IDC_INSTALL_NAME, LoadText(IDS_LABEL_NAME) + kSeparator + name);
}

void InstallPage::View::CompleteProgress() {
  while (page_.progress.GetPos() < 100) {
    page_.progress.StepIt();
    fw::PumpWait(20, 10);
  }
  page_.UpdateWindow();
}

void InstallPage::View::ShowResult(std::int32_t resultCode, const std::wstring& message) {
  if (resultCode == kResultInstalled) {
    page_.ShowStatus(LoadText(IDS_INSTALL_SUCCEEDED), 0, true);
    return;
  }
  page_.progress.SetPos(100);
  page_.progress.SetPos(100);
  page_.ShowStatus(LoadText(IDS_INSTALL_FAILED), 0, true);
  fw::AfxMessageBox(message, pf::MB_OK | pf::MB_ICONERROR);
}

void InstallPage::View::ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) {
  page_.ShowPageMessage(text, caption, type);
}
