// InstallPage: dialog 205, the last page. Reached with Next, it runs the
// installation (RunInstall: the page's preparation around the install
// sequence of setup/install/install_sequence.h, which the page presents
// through its InstallView) and then stays as the finish page. Its two hidden buttons
// print a test page and apply landscape and A3 printer defaults.
#pragma once

#include <cstdint>
#include <string>

#include "framework/wnd.h"
#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"
#include "setup/install/install_sequence.h"

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

  // The installation run of the page's activation: prepares the page and the
  // frame's buttons, runs the install sequence and sets the final title.
  void RunInstall();

  // Sets the status line and steps the progress bar, waiting 25 ms per step
  // with window messages dispatched.
  void ShowStatus(const std::wstring& text, std::int32_t steps, bool blink);

  fw::CProgressCtrl progress;
  fw::CFont headingFont;
  // The install runs' lists and the last one's outcome (printersBefore,
  // printersAfter, serviceFileName, serviceName, finalPrinterName, resultCode).
  InstallState state;

 private:
  // The install sequence on the page: the status line and progress bar
  // (CompleteProgress steps it to its end at 20 ms a step), the name, port
  // and model lines, the outcome (the success line, or the failure line and
  // the result's message box) and the messages.
  class View : public InstallView {
   public:
    explicit View(InstallPage& page) : page_(page) {}
    void ShowStatus(const std::wstring& text, std::int32_t steps, bool blink) override;
    void ShowPrinterLines(bool shown) override;
    void ShowPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& model) override;
    void ShowPrinterName(const std::wstring& name) override;
    void CompleteProgress() override;
    void ShowResult(std::int32_t resultCode, const std::wstring& message) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) override;

   private:
    InstallPage& page_;
  };

  void RequestTestPage();

  SetupContext& context_;
  View view_{*this};
};
