#include "setup/pages/connect_page.h"

#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/resources/resource.h"

ConnectPage::ConnectPage(SetupContext& context)
    : WizardPage(IDD_CONNECT_PAGE, {IDB_SIDE_CONNECT, SIDE_PICTURE_CX, SIDE_PICTURE_CY}), context_(context) {}

bool ConnectPage::OnInitDialog() {
  WizardPage::OnInitDialog();
  SetHeadingFont(IDC_CONNECT_HEADING, titleFont);
  SetDlgItemText(IDC_CONNECT_HEADING, LoadText(IDS_CONNECT_HEADING));
  SetDlgItemText(IDC_CONNECT_BODY, LoadText(IDS_CONNECT_BODY));
  return true;
}

void ConnectPage::OnActivate() {
  if (frame) frame->SetTitle(LoadText(IDS_TITLE_CONNECT));
}

std::int32_t ConnectPage::OnNext() {
  context_.portKind = L"USB";
  return kNeighbourPage;
}
