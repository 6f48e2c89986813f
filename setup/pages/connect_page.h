// ConnectPage: dialog 458, the page that tells how to cable the printer.
#pragma once

#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"

class ConnectPage : public WizardPage {
 public:
  explicit ConnectPage(SetupContext& context);

  bool OnInitDialog() override;
  void OnActivate() override;
  // The connection kind starts over as USB each time the user goes on.
  std::int32_t OnNext() override;

 private:
  SetupContext& context_;
};
