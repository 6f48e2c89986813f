// SetupApp: the application object of setup. InitInstance runs the whole
// program: it probes Windows, reads its command line and the driver
// identity, and then runs the wizard modally, the quiet install or the
// removal; it reports false so that the process ends with that run, and
// ExitInstance gives the run's exit code (setup/app/exit_codes.h).
#pragma once

#include <string>

#include "framework/app.h"
#include "setup/app/command_line.h"
#include "setup/app/setup_context.h"

class SetupApp : public fw::CWinApp {
 public:
  bool InitInstance() override;
  int ExitInstance() override { return exitCode_; }

 private:
  // The wizard; its exit code is the last install run's when it was left
  // with Finish, and 0 when it was cancelled.
  int RunWizard(SetupContext& context);
  int RunRemoval(SetupContext& context, const CommandLine& line);
  // A message box with the product's caption.
  void ShowBox(const std::wstring& text, unsigned type);

  int exitCode_ = 0;
};

// The program-wide context shared by the pages and the installation.
SetupContext& TheSetupContext();
