// The quiet install (setup.exe /quiet): the engine's detection and install
// run with no window at all. Detection waits and decides as on the page; the
// port is the one detection offers (USB when a USB printer was recorded,
// else the parallel port) unless /port forces one, and /name replaces the
// proposed name. The print UI runs with /q and is waited for at most ten
// minutes. Messages the sequences would show go to the log instead.
#pragma once

#include "setup/app/command_line.h"
#include "setup/app/setup_context.h"
#include "setup/install/install_sequence.h"

// The install sequence with nothing on screen: only its messages and its
// result's message reach the log. The quiet removal reports to it too.
class QuietInstallView : public InstallView {
 public:
  void ShowStatus(const std::wstring&, std::int32_t, bool) override {}
  void ShowPrinterLines(bool) override {}
  void ShowPrinter(const std::wstring&, const std::wstring&, const std::wstring&) override {}
  void ShowPrinterName(const std::wstring&) override {}
  void CompleteProgress() override {}
  void ShowResult(std::int32_t resultCode, const std::wstring& message) override;
  void ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) override;
};

// The run's exit code: 0, an install result code, or 4 when the printer was
// installed but the helper service was not written or run.
int RunQuietInstall(SetupContext& context, const CommandLine& line);
