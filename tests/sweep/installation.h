// Whole installations on one simulated PC, for the fault sweep: setup's
// real start-up and wizard, headless, with tqsim's PC (the sample package
// beside setup.exe, the stand-in print UI, Spoolmate's logic as the service
// program) and tqsim's user, who goes through the pages, picks the
// scenario's connection and ends with Finish. The PC stays between runs, so
// that a second installation finds what the first one left; a run may have
// one platform call fail.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_print_ui.h"
#include "tools/tqsim/scenario.h"
#include "tools/tqsim/simulated_pc.h"

namespace sweep {

// The occurrence-th call (counted from 0 in its run) of a platform call,
// failing with a Win32 error.
struct Fault {
  std::string call;
  long occurrence = 0;
  pf::DWORD error = 0;
};
std::string Describe(const Fault& fault);

// What a run showed and what it left on the PC, as the user and an
// administrator would find it.
struct Outcome {
  int exitCode = 0;                    // setup's
  bool commandLine = false;            // setup ran with arguments, not as the wizard
  bool windowShown = false;            // a page, a title, a status line or a message box
  std::string log;                     // the quiet run's log (UTF-8), empty when none
  std::vector<std::wstring> printers;  // every printer there afterwards
  bool driverInstalled = false;        // the INF's model, for any environment
  bool spoolmateFilesLeft = false;     // Spoolmate.exe or Spoolmate.log in the service folder
  bool otherFilesKept = false;         // the installation folder's INF and the service folder's other file
  bool wizardShown = false;
  std::string closedWith;              // "finish", "cancel", or empty when the wizard never closed
  std::optional<int> resultCode;       // the install page's, when it ran
  bool installedLine = false;          // the install page said the installation succeeded
  bool failedLine = false;             // ... or that it failed
  std::vector<std::wstring> messages;  // the message boxes' texts, in order
  std::vector<std::wstring> printersAdded;
  std::wstring defaultBefore, defaultAfter;  // the profile's "device" entry, empty when none
  // Device instances (USBPRINT, LPTENUM) whose "Driver" names a printer
  // class instance that exists; and those that have a "Driver" or "Mfg"
  // value but no such binding.
  int devicesBound = 0;
  int devicesHalfBound = 0;
  bool stagedLeft = false;        // staged device values still in the class key
  bool registrationLeft = false;  // the helper service's registration
  bool helperStarted = false;     // the helper service program started in this run
  // The helper service is still running with its registration marked for
  // deletion: it goes when its process ends, at the latest when the PC
  // restarts.
  bool helperStillRunning = false;
  // What was still held when the run ended (the helper service's process,
  // if it still runs, holds nothing of the kernel's).
  std::size_t openHandles = 0;
  std::size_t localBlocks = 0;
  // ... and of the window system: windows, GDI objects (fonts, brushes,
  // bitmaps), device contexts, cursors and loaded modules.
  std::size_t windowsLeft = 0;
  int gdiObjectsLeft = 0, dcsLeft = 0, cursorsLeft = 0;
  // Transfers on the USB printer's pipe still pending: each would complete
  // into a buffer and an OVERLAPPED that are gone.
  std::size_t pendingTransfers = 0;
};
// One line: the result, the lines and messages, the printer, the default
// entry, the device keys and the helper service.
std::string Describe(const Outcome& outcome);

class Installation {
 public:
  explicit Installation(const tqsim::Scenario& scenario);
  // Ends the helper service's processes that still run.
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  // Runs setup once, from start-up to Finish, with the fault (if any) for
  // this run only, and the arguments given (none: the wizard).
  Outcome Run(const std::optional<Fault>& fault = std::nullopt, const std::wstring& arguments = std::wstring());
  // The platform calls the last run made, in order (setup's and the helper
  // service's).
  const std::vector<std::string>& calls() const { return calls_; }
  // Restarts the PC: the running services get the shutdown control and
  // their processes end.
  void Restart();
  // The PC's print UI, to change what it does between runs.
  pf::sim::SimPrintUi& printUi() { return simulated_.printUi(); }
  // The port of a printer, or empty.
  std::wstring PortOf(const std::wstring& printer);

 private:
  tqsim::UserPlan user_;
  std::wstring setupPath_;
  tqsim::SimulatedPc simulated_;
  pf::ScopedPlatform scope_;
  std::vector<std::string> calls_;
};

// Reads one of tqsim's examples; false with *error when it cannot.
bool ReadExample(const std::string& fileName, tqsim::Scenario* scenario, std::string* error);

}  // namespace sweep
