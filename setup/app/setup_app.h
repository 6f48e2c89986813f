// SetupApp: the application object of setup. InitInstance runs the whole
// program: it probes Windows, reads the driver identity, runs the wizard
// modally and reports false so that the process ends with the wizard.
#pragma once

#include "framework/app.h"
#include "setup/app/setup_context.h"

class SetupApp : public fw::CWinApp {
 public:
  bool InitInstance() override;
};

// The program-wide context shared by the pages and the installation.
SetupContext& TheSetupContext();
