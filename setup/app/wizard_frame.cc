#include "setup/app/wizard_frame.h"

#include <algorithm>

void WizardFrame::AddPage(WizardPage* page, std::uint32_t id) {
  page->pageId = id;
  pages_.push_back(page);
}

WizardPage* WizardFrame::ActivePage() const {
  for (WizardPage* page : pages_) {
    if (page->active) return page;
  }
  return nullptr;
}

bool WizardFrame::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  ModifyStyleEx(0, static_cast<fw::LONG>(fw::WS_EX_CONTROLPARENT));
  StartFirstPage();
  return true;
}

bool WizardFrame::DeactivateCurrent() {
  WizardPage* current = ActivePage();
  if (!current) return true;
  if (!current->OnLeave()) return false;
  current->ShowWindow(fw::SW_HIDE);
  current->active = false;
  return true;
}

bool WizardFrame::ActivatePage(WizardPage* page) {
  fw::WindowApi& windows = fw::Windows();
  if (!page->IsWindowCreated()) {
    if (!page->Create(static_cast<int>(page->pageId), this)) return false;
    page->created = true;
    page->frame = this;
    page->FitToDpi(windows.GetDpiForWindow(page->GetSafeHwnd()));
    if (!page->OnPageCreated()) return false;
  }
  if (!DeactivateCurrent()) return false;

  fw::RECT area{};
  windows.GetWindowRect(GetDlgItem(placeholderId_), &area);
  fw::POINT corner{area.left, area.top};
  windows.ScreenToClient(GetSafeHwnd(), &corner);
  windows.SetWindowPos(page->GetSafeHwnd(), 0, corner.x, corner.y, 0, 0,
                       fw::SWP_NOSIZE | fw::SWP_NOZORDER | fw::SWP_NOACTIVATE);

  page->EnableWindow(true);
  page->ShowWindow(fw::SW_SHOW);
  page->Invalidate(true);
  page->UpdateWindow();
  page->OnActivate();
  page->active = true;
  return true;
}

void WizardFrame::StartFirstPage() {
  if (!DeactivateCurrent()) return;
  EnableButton(kBackButton, false);
  bool single = pages_.size() < 2;
  EnableButton(kFinishButton, single);
  EnableButton(kNextButton, !single);
  if (!pages_.empty()) ActivatePage(pages_.front());
}

WizardPage* WizardFrame::ChoosePage(WizardPage* from, std::int32_t choice, int step) const {
  if (choice == kStayOnPage) return nullptr;
  if (choice == kNeighbourPage) {
    auto at = std::find(pages_.begin(), pages_.end(), from);
    if (at == pages_.end()) return nullptr;
    std::ptrdiff_t index = (at - pages_.begin()) + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(pages_.size())) return nullptr;
    return pages_[static_cast<std::size_t>(index)];
  }
  for (WizardPage* page : pages_) {
    if (page->pageId == static_cast<std::uint32_t>(choice)) return page;
  }
  return nullptr;
}

void WizardFrame::OnNextPressed() {
  WizardPage* current = ActivePage();
  if (!current || current->IsNextBlocked()) return;
  WizardPage* target = ChoosePage(current, current->OnNext(), +1);
  if (!target || !ActivatePage(target)) return;
  if (target == pages_.back()) {
    EnableButton(kNextButton, false);
    EnableButton(kFinishButton, true);
  }
  EnableButton(kBackButton, true);
  target->OnAfterNext();
}

void WizardFrame::OnBackPressed() {
  WizardPage* current = ActivePage();
  if (!current) return;
  WizardPage* target = ChoosePage(current, current->OnBack(), -1);
  if (!target || !ActivatePage(target)) return;
  if (target == pages_.front()) {
    EnableButton(kBackButton, false);
    EnableButton(kFinishButton, false);
  }
  EnableButton(kNextButton, true);
}

void WizardFrame::OnFinishPressed() {
  WizardPage* current = ActivePage();
  if (current && !current->OnLeave()) return;
  for (WizardPage* page : pages_) {
    if (page->created && !page->OnFinish()) return;
  }
  EndDialog(kFinishButton);
}

void WizardFrame::OnCancel() {
  for (WizardPage* page : pages_) {
    if (page->created && !page->OnQueryCancel()) return;
  }
  EndDialog(kCancelButton);
}

bool WizardFrame::OnCommand(fw::WORD id, fw::WORD code, fw::HWND control) {
  if (code == fw::BN_CLICKED) {
    switch (id) {
      case kNextButton:
        OnNextPressed();
        return true;
      case kBackButton:
        OnBackPressed();
        return true;
      case kFinishButton:
        OnFinishPressed();
        return true;
      default:
        break;
    }
  }
  return fw::CDialog::OnCommand(id, code, control);
}

bool WizardFrame::OnMessage(fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam, fw::LRESULT* result) {
  if (message != fw::WM_DPICHANGED) return fw::CDialog::OnMessage(message, wParam, lParam, result);
  if (const auto* suggested = reinterpret_cast<const fw::RECT*>(lParam)) {
    fw::Windows().SetWindowPos(GetSafeHwnd(), 0, suggested->left, suggested->top, suggested->right - suggested->left,
                               suggested->bottom - suggested->top, fw::SWP_NOZORDER | fw::SWP_NOACTIVATE);
  }
  for (WizardPage* page : pages_) {
    if (page->created) page->FitToDpi(fw::HIWORD(wParam));
  }
  // Left to the system's dialog handling as well, which on Windows 10 1703
  // and later makes the dialogs' fonts and layout anew at the new DPI.
  return false;
}

void WizardFrame::OnDestroy() {
  for (WizardPage* page : pages_) {
    if (!page->created || !page->OnLeave()) continue;
    page->OnPageDestroy();
    page->DestroyWindow();
    page->created = false;
  }
  fw::CDialog::OnDestroy();
}
