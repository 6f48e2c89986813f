#include "setup/pages/install_page.h"

#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/install/print_ui.h"
#include "setup/install/printer_settings.h"
#include "setup/pages/print_test_page_dialog.h"
#include "setup/resources/resource.h"

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
  if (frame) frame->EnableButton(kBackButton, resultCode != 0);
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
    ApplyPrinterDefaults(GetSafeHwnd(), finalPrinterName);
    return true;
  }
  return WizardPage::OnCommand(id, code, control);
}

bool InstallPage::OnMessage(fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam, fw::LRESULT* result) {
  if (message != WM_USER_PRINT_TEST_PAGE) return WizardPage::OnMessage(message, wParam, lParam, result);
  PrintTestPage(std::wstring(finalPrinterName));
  *result = 0;
  return true;
}

void InstallPage::RequestTestPage() {
  if (finalPrinterName.empty()) return;
  PostMessage(WM_USER_PRINT_TEST_PAGE);
  CPrintTestPageDialog dialog;
  dialog.SetPrinterName(finalPrinterName);
  dialog.DoModal();
}
