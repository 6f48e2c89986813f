#include "setup/pages/install_page.h"

#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/resources/resource.h"

InstallPage::InstallPage(SetupContext& context) : WizardPage(IDD_INSTALL_PAGE), context_(context) {}

bool InstallPage::OnInitDialog() {
  WizardPage::OnInitDialog();
  headingFont.CreateFontIndirect(HeadingFontDescription());
  SetDlgItemFont(IDC_INSTALL_HEADING, headingFont.handle());
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

void InstallPage::OnDestroy() { headingFont.DeleteObject(); }
