// SetupWizard: the wizard frame of setup, dialog 452, with its page area
// 1021 and the string table's button captions.
#pragma once

#include "setup/app/wizard_frame.h"

class SetupWizard : public WizardFrame {
 public:
  SetupWizard();
  bool OnInitDialog() override;
};
