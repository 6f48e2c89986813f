#include "setup/pages/welcome_page.h"

#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/resources/resource.h"

WelcomePage::WelcomePage(SetupContext& context)
    : WizardPage(IDD_WELCOME_PAGE, {IDB_SIDE_WELCOME, SIDE_PICTURE_TALL_CX, SIDE_PICTURE_TALL_CY}), context_(context) {}

bool WelcomePage::OnInitDialog() {
  fw::CDialog::OnInitDialog();  // the plain dialog's: no title font or white brush here
  headingFont.CreateFontIndirect(HeadingFontDescription(Dpi()));
  SetHeadingFont(IDC_WELCOME_HEADING, headingFont);
  SetDlgItemText(IDC_WELCOME_HEADING, FormatText(LoadText(IDS_WELCOME_HEADING), context_.companyNameCn));
  SetDlgItemText(IDC_WELCOME_BODY, FormatText(LoadText(IDS_WELCOME_BODY), context_.companyNameCn));
  SetDlgItemText(IDC_WELCOME_LINK, LoadText(IDS_WELCOME_LINK));
  link.SetUrl(LoadText(IDS_MAKER_URL));
  return true;
}

void WelcomePage::DoDataExchange() { link.Bind(IDC_WELCOME_LINK, this); }

void WelcomePage::OnActivate() {
  if (frame) frame->SetTitle(FormatText(LoadText(IDS_TITLE_WELCOME), context_.companyNameCn));
}

fw::HBRUSH WelcomePage::OnCtlColor(fw::HDC dc, fw::HWND control, fw::UINT ctlColorMessage) {
  return fw::CDialog::OnCtlColor(dc, control, ctlColorMessage);
}

void WelcomePage::OnDestroy() {
  headingFont.DeleteObject();
  WizardPage::OnDestroy();
}
