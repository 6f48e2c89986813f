// tqsim on each of its examples: the wall time of one whole run (setup's
// start-up, the wizard, detection's waits, the paced installation and the
// helper service, all on the virtual clock) and the virtual time it covered
// (counter virtual_ms). The goal is well under 100 ms a run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/tqsim/run.h"
#include "tools/tqsim/scenario.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Examples() {
  std::vector<fs::path> scenarios;
  for (const fs::directory_entry& entry : fs::directory_iterator(TQSIM_EXAMPLES)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".json" && name.find(".transcript.") == std::string::npos) {
      scenarios.push_back(entry.path());
    }
  }
  std::sort(scenarios.begin(), scenarios.end());
  return scenarios;
}

void RunExample(benchmark::State& state, const tqsim::Scenario& scenario) {
  std::uint64_t virtualMs = 0;
  for (auto _ : state) {
    const tqsim::RunResult result = tqsim::RunScenario(scenario);
    virtualMs = result.virtualMs;
    benchmark::DoNotOptimize(result.exitCode);
  }
  state.counters["virtual_ms"] = static_cast<double>(virtualMs);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<tqsim::Scenario> scenarios;
  for (const fs::path& path : Examples()) {
    tqsim::Scenario scenario;
    std::string error;
    if (!tqsim::ReadScenario(path.string(), &scenario, &error)) {
      std::fprintf(stderr, "tqsim_bench: %s: %s\n", path.string().c_str(), error.c_str());
      return 1;
    }
    scenarios.push_back(std::move(scenario));
  }
  for (const tqsim::Scenario& scenario : scenarios) {
    benchmark::RegisterBenchmark(scenario.fileName.c_str(), RunExample, scenario)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
