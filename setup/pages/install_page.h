// InstallPage: dialog 205, the last page, which runs the installation and
// then stays as the finish page. The page's texts, fonts and progress bar are
// built here; the installation run itself is not built yet.
#pragma once

#include <cstdint>
#include <string>

#include "framework/wnd.h"
#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"

class InstallPage : public WizardPage {
 public:
  explicit InstallPage(SetupContext& context);

  bool OnInitDialog() override;
  void DoDataExchange() override;
  void OnAfterNext() override;
  std::int32_t OnBack() override;
  void OnDestroy() override;

  fw::CProgressCtrl progress;
  fw::CFont headingFont;
  std::wstring finalPrinterName;
  std::int32_t resultCode = 0;

 private:
  SetupContext& context_;
};
