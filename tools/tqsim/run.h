// One tqsim run: setup's real start-up and wizard, headless, on a fresh
// simulated PC made from the scenario, and the transcript of what happened.
#pragma once

#include <cstdint>
#include <string>

#include "tools/tqsim/scenario.h"
#include "tools/tqsim/timeline.h"

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

// Runs setup on the scenario's PC. Uses the process's one setup context and
// window system, so runs go one after another, never at once.
RunResult RunScenario(const Scenario& scenario);

// The transcript as UTF-8 text: one field per line, each timeline event on
// a line of its own, so that two transcripts compare line by line.
std::string FormatTranscript(const Json& transcript);

}  // namespace tqsim
