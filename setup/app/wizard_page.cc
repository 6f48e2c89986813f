#include "setup/app/wizard_page.h"

#include "framework/app.h"

bool IsEnterKey(const fw::MSG& msg) { return msg.message == fw::WM_KEYDOWN && msg.wParam == fw::VK_RETURN; }

bool IsEscapeKey(const fw::MSG& msg) { return msg.message == fw::WM_KEYDOWN && msg.wParam == fw::VK_ESCAPE; }

fw::LOGFONTW HeadingFontDescription() { return fw::MakeFontDescription(L"Arial", 20, fw::FW_BOLD, fw::FF_SWISS); }

bool WizardPage::OnInitDialog() {
  titleFont.CreateFontIndirect(HeadingFontDescription());
  backgroundBrush.CreateSolidBrush(fw::RGB(255, 255, 255));
  return fw::CDialog::OnInitDialog();
}

fw::HBRUSH WizardPage::OnCtlColor(fw::HDC dc, fw::HWND control, fw::UINT ctlColorMessage) {
  if (fw::HBRUSH reflected = fw::CDialog::OnCtlColor(dc, control, ctlColorMessage)) return reflected;
  fw::WindowApi& windows = fw::Windows();
  switch (ctlColorMessage) {
    case fw::WM_CTLCOLORSTATIC:
      windows.SetBkMode(dc, fw::TRANSPARENT);
      return windows.GetStockObject(fw::NULL_BRUSH);
    case fw::WM_CTLCOLOREDIT:
    case fw::WM_CTLCOLORLISTBOX:
    case fw::WM_CTLCOLORBTN:
    case fw::WM_CTLCOLORDLG:
    case fw::WM_CTLCOLORSCROLLBAR:
      windows.SetTextColor(dc, fw::RGB(0, 0, 0));
      windows.SetBkColor(dc, fw::RGB(255, 255, 255));
      return backgroundBrush.handle();
    default:
      return backgroundBrush.handle();
  }
}

bool WizardPage::PreTranslateMessage(fw::MSG* msg) {
  if (IsEnterKey(*msg)) return true;
  if (IsEscapeKey(*msg)) {
    // The system's processing would send a page's cancel command to the frame
    // (pages are DS_CONTROL children) and so close the wizard; the page's own
    // cancel does nothing.
    constexpr fw::WORD kCancelId = 2;
    SendMessage(fw::WM_COMMAND, fw::MAKEWPARAM(kCancelId, fw::BN_CLICKED),
                static_cast<fw::LPARAM>(GetDlgItem(kCancelId)));
    return true;
  }
  return fw::Windows().IsDialogMessageW(GetSafeHwnd(), msg) != 0;
}

void WizardPage::ShowPageMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) {
  if (caption.empty()) {
    fw::AfxMessageBox(text, type);
  } else {
    fw::Windows().MessageBoxW(GetSafeHwnd(), text, caption, type);
  }
}
