// One tqsim run: setup's real start-up and wizard, headless, on a fresh
// simulated PC made from the scenario, and the transcript of what happened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/tqsim/scenario.h"
#include "tools/tqsim/timeline.h"
#include "tools/tqsim/wizard_driver.h"

namespace tqsim {

// Exit codes: the installation succeeded; it ended with a result code, the
// user cancelled or the helper service did not run; the scenario is bad.
inline constexpr int kExitInstalled = 0;
inline constexpr int kExitNotInstalled = 1;
inline constexpr int kExitBadScenario = 2;

struct RunResult {
  Json transcript;
  int exitCode = kExitNotInstalled;
  std::string registry;  // the PC's registry afterwards, as .reg text in UTF-8
  std::uint64_t virtualMs = 0;
};

// How one run of setup ended.
struct SetupRun {
  int exitCode = 0;  // setup's own
  bool wizardShown = false;
  bool stuck = false;
  std::string closedWith;  // "finish", "cancel" or empty
  std::optional<InstallOutcome> install;
  // What the window system still held when setup ended: windows, GDI
  // objects the program made, device contexts, cursors and modules.
  std::size_t windowsLeft = 0;
  int gdiObjectsLeft = 0, dcsLeft = 0, cursorsLeft = 0, modulesLeft = 0;
};

// Runs setup once, as a new process would (a fresh setup context and window
// system), on the simulated PC that is the current platform, with the
// resources as its own, the user acting as planned and the timeline noting
// what happened. Its command line is the PC's (SimSystem::SetCommandLine).
// Its service processes may still run when it returns.
SetupRun RunSetup(const std::vector<std::uint8_t>& resources, const UserPlan& user, Timeline& timeline);

// Runs setup on the scenario's PC. Uses the process's one setup context and
// window system, so runs go one after another, never at once.
RunResult RunScenario(const Scenario& scenario);

// The transcript as UTF-8 text: one field per line, each timeline event on
// a line of its own, so that two transcripts compare line by line.
std::string FormatTranscript(const Json& transcript);

}  // namespace tqsim
