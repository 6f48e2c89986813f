// WizardFrame: the modal frame that shows one page at a time at the place of
// its placeholder control and moves between pages with Back, Next, Finish
// and Cancel as the pages' hooks decide. The frame does not own its pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "setup/app/wizard_page.h"
#include "setup/resources/resource.h"

inline constexpr int kBackButton = IDC_BACK;
inline constexpr int kNextButton = IDC_NEXT;
inline constexpr int kCancelButton = IDC_CANCEL;
inline constexpr int kFinishButton = IDC_FINISH;

class WizardFrame : public fw::CDialog {
 public:
  explicit WizardFrame(int templateId) : fw::CDialog(templateId) {}

  void AddPage(WizardPage* page, std::uint32_t id);
  // The wizard's title line.
  void SetTitle(const std::wstring& title) const { SetWindowText(title); }
  // Button Back, Next, Cancel or Finish of the frame.
  fw::HWND GetButton(int id) const { return GetDlgItem(id); }
  void EnableButton(int id, bool enable) const { fw::Windows().EnableWindow(GetButton(id), enable ? 1 : 0); }

  const std::vector<WizardPage*>& pages() const { return pages_; }
  // The first page with the active flag, or null.
  WizardPage* ActivePage() const;

  bool OnInitDialog() override;
  bool OnCommand(fw::WORD id, fw::WORD code, fw::HWND control) override;
  void OnCancel() override;
  void OnOK() override {}
  void OnDestroy() override;
  // WM_DPICHANGED: the wizard moved to a monitor of another DPI.
  bool OnMessage(fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam, fw::LRESULT* result) override;
  bool PreTranslateMessage(fw::MSG* msg) override { return IsEnterKey(*msg); }

 protected:
  int placeholderId_ = 0;

 private:
  bool DeactivateCurrent();
  bool ActivatePage(WizardPage* page);
  void StartFirstPage();
  // The page a choice names: the neighbour for 0 (step +1 or -1), the page
  // with that id otherwise; null for -1 or when there is none.
  WizardPage* ChoosePage(WizardPage* from, std::int32_t choice, int step) const;
  void OnNextPressed();
  void OnBackPressed();
  void OnFinishPressed();

  std::vector<WizardPage*> pages_;
};
