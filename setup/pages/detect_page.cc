#include "setup/pages/detect_page.h"

#include "framework/wnd.h"
#include "setup/app/texts.h"
#include "setup/app/wizard_frame.h"
#include "setup/resources/resource.h"

DetectPage::DetectPage(SetupContext& context) : WizardPage(IDD_DETECT_PAGE), context_(context) {}

bool DetectPage::OnInitDialog() {
  WizardPage::OnInitDialog();
  SetDlgItemFont(IDC_DETECT_HEADING, titleFont.handle());
  SetDlgItemText(IDC_DETECT_HEADING, LoadText(IDS_DETECT_HEADING));
  SetDlgItemText(IDC_DETECT_USB, LoadText(IDS_PORT_USB));
  SetDlgItemText(IDC_DETECT_LPT, LoadText(IDS_PORT_LPT));
  SetDlgItemText(IDC_DETECT_NAME_LABEL, LoadText(IDS_PRINTER_NAME_LABEL));
  return true;
}

void DetectPage::OnActivate() {
  // The detection page holds this title as its own text (the same words as 509).
  if (frame) frame->SetTitle(L"安装向导 - 请连接打印机和电脑");
}

std::int32_t DetectPage::OnNext() {
  fw::CButton usb;
  usb.Attach(GetDlgItem(IDC_DETECT_USB));
  context_.portKind = usb.GetCheck() ? L"USB" : L"LPT";
  std::wstring name = GetDlgItemText(IDC_DETECT_NAME);
  if (!name.empty()) context_.modelName = name;
  return kNeighbourPage;
}
