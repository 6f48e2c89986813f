// The install sequence: it turns the detected printer and the chosen port
// into an installed default printer (InstallPrinter) and, when that
// succeeded, runs the helper service once (DeployHelperService,
// helper_service.h). It keeps its lists and outcome in an InstallState and
// tells an InstallView what it is doing: the wizard's install page shows it
// in its controls, paced and pumped; the command line's quiet run shows
// nothing and writes the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"
#include "setup/app/report.h"
#include "setup/app/setup_context.h"
#include "setup/install/print_ui.h"

// Install result codes, InstallPrinter's only results.
inline constexpr std::int32_t kResultInstalled = 0;
inline constexpr std::int32_t kResultNoUsbPrinter = 3;     // USB chosen, no USB printer present any more
inline constexpr std::int32_t kResultNoPrinterAdded = 30;  // the print UI added no printer
inline constexpr std::int32_t kResultWindowsTooOld = 100;  // Windows major version below 5
// ERROR_ACCESS_DISABLED_BY_POLICY: Windows protected print mode is on.
inline constexpr std::int32_t kResultProtectedPrintMode = pf::ERROR_ACCESS_DISABLED_BY_POLICY;

// What an install run keeps: the printer lists (appended to by every run,
// never emptied), the helper service's names and the outcome.
struct InstallState {
  std::vector<std::wstring> printersBefore;
  std::vector<std::wstring> printersAfter;
  std::wstring serviceFileName;
  std::wstring serviceName;
  std::wstring finalPrinterName;  // the printer identified as the new one, or empty
  std::int32_t resultCode = 0;    // of the last InstallPrinter
  bool helperRan = false;         // the last run wrote and ran the helper service
};

class InstallView : public Report {
 public:
  // One status line, then steps steps of the progress bar.
  virtual void ShowStatus(const std::wstring& text, std::int32_t steps, bool blink) = 0;
  // The printer's name and port lines are hidden while the port is chosen.
  virtual void ShowPrinterLines(bool shown) = 0;
  // The predicted name, the port and the driver model.
  virtual void ShowPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& model) = 0;
  // The name of the printer that was really added.
  virtual void ShowPrinterName(const std::wstring& name) = 0;
  // A printer was added: the progress comes to its end.
  virtual void CompleteProgress() = 0;
  // The run's outcome, with the result code's message (empty for success).
  virtual void ShowResult(std::int32_t resultCode, const std::wstring& message) = 0;
};

// The message of an install result code; empty for 0 and for a code without one.
std::wstring ResultMessage(std::int32_t resultCode);

// The install body: checks Windows (its version, protected print mode, both
// before anything changes) and the port, predicts the name, creates
// the printer through the print UI, identifies it among the printers listed
// before and after and makes it the default printer. Returns a result code;
// a print UI that does not end within the mode's wait gives 30.
std::int32_t InstallPrinter(const SetupContext& context, InstallState& state, InstallView& view,
                            const PrintUiMode& printUi = PrintUiMode());

// The whole run after the view has been prepared: InstallPrinter into
// state.resultCode, then, when it installed, DeployHelperService (into
// state.helperRan); then the outcome goes to the view.
void RunInstallSequence(const SetupContext& context, InstallState& state, InstallView& view,
                        const PrintUiMode& printUi = PrintUiMode());
