#include "setup/app/setup_wizard.h"

#include "setup/app/texts.h"
#include "setup/resources/resource.h"

SetupWizard::SetupWizard() : WizardFrame(IDD_SETUP_WIZARD) {}

bool SetupWizard::OnInitDialog() {
  placeholderId_ = IDC_PAGE_AREA;
  // The template's captions carry arrows and access keys; the wizard shows the plain words.
  SetDlgItemText(IDC_BACK, LoadText(IDS_BACK));
  SetDlgItemText(IDC_NEXT, LoadText(IDS_NEXT));
  SetDlgItemText(kCancelButton, LoadText(IDS_CANCEL));
  SetDlgItemText(IDC_FINISH, LoadText(IDS_FINISH));
  return WizardFrame::OnInitDialog();
}
