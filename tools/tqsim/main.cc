// tqsim SCENARIO.json [--reg-out FILE] [--quiet]
//
// Runs the installation on the simulated PC the scenario describes and
// prints its transcript (JSON, UTF-8) on standard output; --reg-out writes
// the resulting registry as a .reg file (UTF-16LE, as regedit exports), and
// --quiet prints nothing but errors. Exit 0 when the installation succeeded,
// 1 when it did not, 2 for a bad scenario or bad arguments, with one line on
// standard error.
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/sim/reg_file.h"
#include "tools/tqsim/run.h"
#include "tools/tqsim/scenario.h"

namespace {

constexpr char kUsage[] = "usage: tqsim SCENARIO.json [--reg-out FILE] [--quiet]";

int Fail(const std::string& message) {
  std::fprintf(stderr, "tqsim: %s\n", message.c_str());
  return tqsim::kExitBadScenario;
}

}  // namespace

int main(int argc, char** argv) {
  std::string scenarioPath, regOut;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--quiet") {
      quiet = true;
    } else if (argument == "--reg-out" && i + 1 < argc) {
      regOut = argv[++i];
    } else if (argument.rfind("--", 0) != 0 && scenarioPath.empty()) {
      scenarioPath = argument;
    } else {
      return Fail(kUsage);
    }
  }
  if (scenarioPath.empty()) return Fail(kUsage);

  tqsim::Scenario scenario;
  std::string error;
  if (!tqsim::ReadScenario(scenarioPath, &scenario, &error)) return Fail(scenarioPath + ": " + error);
  const tqsim::RunResult result = tqsim::RunScenario(scenario);
  if (!regOut.empty()) {
    std::ofstream out(regOut, std::ios::binary);
    out << pf::sim::Utf8ToRegFile(result.registry);
    if (!out.flush()) return Fail("cannot write " + regOut);
  }
  if (!quiet) std::fputs(tqsim::FormatTranscript(result.transcript).c_str(), stdout);
  return result.exitCode;
}
