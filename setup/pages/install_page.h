// InstallPage: dialog 205, the last page. Reached with Next, it runs the
// installation (RunInstall and the steps it calls live in setup/install/)
// and then stays as the finish page. Its two hidden buttons print a test
// page and apply landscape and A3 printer defaults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/wnd.h"
#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"

// Posted by the page to itself before the test page dialog runs, so that the
// dialog's modal loop dispatches it and the print command runs while the
// dialog is on screen.
inline constexpr fw::UINT WM_USER_PRINT_TEST_PAGE = fw::WM_USER + 10;

class InstallPage : public WizardPage {
 public:
  explicit InstallPage(SetupContext& context);

  bool OnInitDialog() override;
  void DoDataExchange() override;
  void OnActivate() override { RunInstall(); }
  void OnAfterNext() override;
  std::int32_t OnBack() override;
  void OnDestroy() override;
  bool OnCommand(fw::WORD id, fw::WORD code, fw::HWND control) override;
  bool OnMessage(fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam, fw::LRESULT* result) override;

  // The installation run of the page's activation (setup/install/install_sequence.cc).
  void RunInstall();
  // The install body; returns 0 (installed), 3 (no USB printer any more),
  // 30 (the print UI added no printer), 100 (Windows older than 2000) or
  // 1260 (Windows protected print mode is on).
  std::int32_t InstallPrinter();
  // Shows one status line and steps the progress bar, waiting 25 ms per
  // step with window messages dispatched.
  void ShowStatus(const std::wstring& text, std::int32_t steps, bool blink);
  // Stages the device values and runs the helper service once
  // (setup/install/helper_service.cc).
  void DeployHelperService();

  fw::CProgressCtrl progress;
  fw::CFont headingFont;
  std::vector<std::wstring> printersBefore;
  std::vector<std::wstring> printersAfter;
  std::wstring serviceFileName;
  std::wstring serviceName;
  std::wstring finalPrinterName;
  std::int32_t resultCode = 0;

 private:
  void RequestTestPage();

  SetupContext& context_;
};
