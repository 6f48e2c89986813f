// DetectPage: dialog 466, where the printer is detected and the user picks
// the connection kind and the printer's name. The page's texts and fonts are
// built here; detection itself is not built yet, so the page proposes
// nothing and Next hands on what the user chose.
#pragma once

#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"

class DetectPage : public WizardPage {
 public:
  explicit DetectPage(SetupContext& context);

  bool OnInitDialog() override;
  void OnActivate() override;
  std::int32_t OnNext() override;

 private:
  SetupContext& context_;
};
