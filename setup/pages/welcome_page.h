// WelcomePage: dialog 457, the first page. It greets the user with the
// maker's name and keeps the system's dialog colours (not the page look).
#pragma once

#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"
#include "setup/controls/link_label.h"

class WelcomePage : public WizardPage {
 public:
  explicit WelcomePage(SetupContext& context);

  bool OnInitDialog() override;
  void DoDataExchange() override;
  void OnActivate() override;
  fw::HBRUSH OnCtlColor(fw::HDC dc, fw::HWND control, fw::UINT ctlColorMessage) override;
  void OnDestroy() override;

  LinkLabel link;
  fw::CFont headingFont;

 private:
  SetupContext& context_;
};
