#include "setup/app/wizard_page.h"

#include <utility>

#include "setup/resources/resource.h"

namespace {

// value * to / from, rounded to the nearest.
fw::LONG Scale(fw::LONG value, fw::UINT to, fw::UINT from) {
  return static_cast<fw::LONG>((static_cast<fw::UINT>(value) * to + from / 2) / from);  // sizes: small and not negative
}

}  // namespace

bool IsEnterKey(const fw::MSG& msg) { return msg.message == fw::WM_KEYDOWN && msg.wParam == fw::VK_RETURN; }

bool IsEscapeKey(const fw::MSG& msg) { return msg.message == fw::WM_KEYDOWN && msg.wParam == fw::VK_ESCAPE; }

fw::LOGFONTW HeadingFontDescription(fw::UINT dpi) {
  return fw::MakeFontDescription(L"Arial", Scale(20, dpi, fw::USER_DEFAULT_SCREEN_DPI), fw::FW_BOLD, fw::FF_SWISS);
}

fw::UINT WizardPage::Dpi() const {
  fw::UINT dpi = GetSafeHwnd() ? fw::Windows().GetDpiForWindow(GetSafeHwnd()) : 0;
  return dpi ? dpi : fw::USER_DEFAULT_SCREEN_DPI;
}

void WizardPage::SetHeadingFont(int id, fw::CFont& font) {
  SetDlgItemFont(id, font.handle());
  fw::Windows().SetDialogControlDpiChangeBehavior(GetDlgItem(id), fw::DCDC_DISABLE_FONT_UPDATE,
                                                  fw::DCDC_DISABLE_FONT_UPDATE);
  headingId_ = id;
  headingFont_ = &font;
  headingDpi_ = Dpi();
}

void WizardPage::FitToDpi(fw::UINT dpi) {
  if (dpi == 0) return;
  fw::CFont scaled;
  if (headingFont_ && dpi != headingDpi_ && scaled.CreateFontIndirect(HeadingFontDescription(dpi))) {
    SetDlgItemFont(headingId_, scaled.handle());  // the control takes the new font before the old one goes
    *headingFont_ = std::move(scaled);
    headingDpi_ = dpi;
  }
  fw::HWND picture = GetDlgItem(IDC_NONE);
  if (!sidePicture_.bitmapId || !picture) return;
  if (!frameDpi_) {
    fw::RECT frame{0, 0, sidePicture_.cx, sidePicture_.cy};
    if (!fw::Windows().MapDialogRect(GetSafeHwnd(), &frame)) return;
    frameCx_ = frame.right - frame.left;
    frameCy_ = frame.bottom - frame.top;
    frameDpi_ = Dpi();
    // The picture's size is this page's to keep, not the dialog manager's.
    fw::Windows().SetDialogControlDpiChangeBehavior(picture, fw::DCDC_DISABLE_RELAYOUT, fw::DCDC_DISABLE_RELAYOUT);
  }
  picture_.Show(picture, sidePicture_.bitmapId, Scale(frameCx_, dpi, frameDpi_), Scale(frameCy_, dpi, frameDpi_));
}

void WizardPage::OnDestroy() { picture_.Release(); }

bool WizardPage::OnInitDialog() {
  titleFont.CreateFontIndirect(HeadingFontDescription(Dpi()));
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
