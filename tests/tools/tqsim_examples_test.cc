// Every example of tools/tqsim/examples runs through the tqsim program and
// must give exactly the transcript beside it (NAME.transcript.json) and the
// exit code that transcript states. A difference is shown as a line diff.
// Each example also runs on a PC whose tick counter wraps 1.5 s into the
// run, where it must give the same transcript, and with Windows' default
// timer as well, where only its times may change.
// After a change the examples are meant to show, regenerate the transcripts
// on purpose: TQSIM_REGENERATE=1 ctest --preset native -R Examples (or build
// the target tqsim_regenerate_examples) and review the diff before committing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/tqsim_env.h"
#include "tools/tqsim/run.h"

namespace {

namespace fs = std::filesystem;

const char kTranscriptSuffix[] = ".transcript.json";

std::vector<std::string> ExampleNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(TQSIM_EXAMPLES)) {
    const std::string file = entry.path().filename().string();
    const bool transcript =
        file.size() > sizeof(kTranscriptSuffix) &&
        file.compare(file.size() - (sizeof(kTranscriptSuffix) - 1), std::string::npos, kTranscriptSuffix) == 0;
    if (entry.path().extension() == ".json" && !transcript) names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines that differ, "-" for the expected and "+" for what came, with
// two lines of context around each change.
std::string LineDiff(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> a = Lines(expected), b = Lines(actual);
  std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (std::size_t i = a.size(); i-- > 0;) {
    for (std::size_t j = b.size(); j-- > 0;) {
      common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  std::vector<std::pair<char, std::string>> ops;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && a[i] == b[j]) {
      ops.push_back({' ', a[i++]});
      ++j;
    } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
      ops.push_back({'-', a[i++]});
    } else {
      ops.push_back({'+', b[j++]});
    }
  }
  std::string out;
  constexpr std::size_t kContext = 2;
  for (std::size_t k = 0; k < ops.size(); ++k) {
    bool near = false;
    for (std::size_t d = k >= kContext ? k - kContext : 0; d < ops.size() && d <= k + kContext; ++d) {
      near = near || ops[d].first != ' ';
    }
    if (near) out += std::string(1, ops[k].first) + " " + ops[k].second + "\n";
  }
  return out;
}

class ExampleTest : public tqsim_test::TempFolderTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(ExampleTest, GivesItsTranscript) {
  const std::string scenario = std::string(TQSIM_EXAMPLES) + "/" + GetParam() + ".json";
  const std::string transcriptFile = std::string(TQSIM_EXAMPLES) + "/" + GetParam() + kTranscriptSuffix;
  const ToolRun run = RunTqsim("'" + scenario + "' --reg-out '" + Path("after.reg") + "'");
  EXPECT_EQ(run.err, "");
  const nlohmann::json transcript = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(transcript.is_discarded()) << "not JSON:\n" << run.out;
  EXPECT_EQ(run.exitCode, transcript.value("exitCode", -1));
  // The registry afterwards, as regedit exports it: UTF-16LE with its mark.
  EXPECT_EQ(tqsim_test::ReadHostFile(Path("after.reg")).substr(0, 4), std::string("\xFF\xFEW\0", 4));

  if (const char* regenerate = std::getenv("TQSIM_REGENERATE"); regenerate && std::string(regenerate) == "1") {
    std::ofstream(transcriptFile, std::ios::binary) << run.out;
    std::printf("regenerated %s\n", transcriptFile.c_str());
    return;
  }
  ASSERT_TRUE(fs::exists(transcriptFile)) << transcriptFile << " is missing; TQSIM_REGENERATE=1 writes it";
  const std::string expected = tqsim_test::ReadHostFile(transcriptFile);
  EXPECT_TRUE(run.out == expected) << GetParam() << ".transcript.json differs (- expected, + now):\n"
                                   << LineDiff(expected, run.out);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest, ::testing::ValuesIn(ExampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// --- The examples on other clocks ---

// 1.5 s before the tick counter wraps, as on a PC that has run for 49.7
// days: the wrap falls inside detection's three-second wait when no USB
// printer is there at once, and inside the install's waits otherwise.
constexpr pf::DWORD kStartBeforeWrap = 0u - 1500u;
constexpr pf::DWORD kWindowsTimerUs = 15625;  // Windows' default timer ticks every 15.625 ms

const char kDetecting[] = "正在检测打印机";
const char kNotDetected[] = "没有检测到打印机！";

bool IsDetecting(const nlohmann::json& event) {
  return event.contains("status") && event["status"].get<std::string>().rfind(kDetecting, 0) == 0;
}

// What a transcript says apart from its times: each event without its
// "ms" and "endedMs", the broadcasts counted, no total time. Each animation
// of detection's wait (its run of detecting statuses) is kept aside in
// `animations`, since the wait takes fewer polls when each lasts longer.
nlohmann::json Meaning(nlohmann::json transcript, std::vector<std::vector<std::string>>* animations) {
  nlohmann::json events = nlohmann::json::array();
  bool inAnimation = false;
  for (nlohmann::json event : transcript["timeline"]) {
    if (IsDetecting(event)) {
      if (!inAnimation) animations->emplace_back();
      animations->back().push_back(event["status"]);
      inAnimation = true;
      continue;
    }
    inAnimation = false;
    event.erase("ms");
    for (auto& [key, value] : event.items()) {
      if (value.is_object()) value.erase("endedMs");
    }
    event.erase("endedMs");
    events.push_back(event);
  }
  transcript["timeline"] = events;
  transcript["settingBroadcastsMs"] = transcript["settingBroadcastsMs"].size();
  transcript.erase("virtualMs");
  return transcript;
}

// Detection's promise, however long a poll lasts: it gives up at the first
// poll three seconds or more after its wait began, not after a number of
// polls. Returns what breaks it, or "".
std::string GivesUpAfterThreeSeconds(const nlohmann::json& transcript) {
  std::optional<std::uint64_t> began, lastPoll;
  for (const nlohmann::json& event : transcript["timeline"]) {
    const std::uint64_t ms = event.value("ms", std::uint64_t{0});
    if (IsDetecting(event)) {
      if (!began) began = ms;
      lastPoll = ms;
      continue;
    }
    if (began && event.value("status", std::string()) == kNotDetected) {
      if (*lastPoll - *began >= 3000 || ms - *began < 3000) {
        return "the wait that began at " + std::to_string(*began) + " ms polled last at " +
               std::to_string(*lastPoll) + " ms and gave up at " + std::to_string(ms) + " ms";
      }
    }
    if (event.contains("status") || event.contains("page")) began.reset();
  }
  return "";
}

class ClockedExampleTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(tqsim::ReadScenario(std::string(TQSIM_EXAMPLES) + "/" + GetParam() + ".json", &scenario_, &error))
        << error;
    expected_ = tqsim_test::ReadHostFile(std::string(TQSIM_EXAMPLES) + "/" + GetParam() + kTranscriptSuffix);
    ASSERT_FALSE(expected_.empty()) << GetParam() << kTranscriptSuffix << " is missing";
  }
  tqsim::Scenario scenario_;
  std::string expected_;
};

TEST_P(ClockedExampleTest, GivesItsTranscriptWhenTheTickCounterWrapsDuringTheRun) {
  scenario_.clock.startMs = kStartBeforeWrap;
  const std::string transcript = tqsim::FormatTranscript(tqsim::RunScenario(scenario_).transcript);
  EXPECT_TRUE(transcript == expected_) << GetParam() << " differs when the tick counter wraps (- expected, + now):\n"
                                       << LineDiff(expected_, transcript);
}

// Sleeps and time-outs last until the timer's next tick: every pause of the
// wizard's pacing stretches (5 and 10 ms slices take 15.625 ms), so only the
// times, and how many polls detection's wait takes, may differ.
TEST_P(ClockedExampleTest, BehavesAlikeWithWindowsDefaultTimer) {
  scenario_.clock = {kStartBeforeWrap, kWindowsTimerUs};
  const nlohmann::json transcript = tqsim::RunScenario(scenario_).transcript;
  std::vector<std::vector<std::string>> wanted, seen;
  const nlohmann::json expected = Meaning(nlohmann::json::parse(expected_), &wanted);
  const nlohmann::json now = Meaning(transcript, &seen);
  EXPECT_TRUE(now == expected) << GetParam() << " behaves otherwise with Windows' timer (- expected, + now):\n"
                               << LineDiff(tqsim::FormatTranscript(expected), tqsim::FormatTranscript(now));
  // The dots grow by one pair a poll, from none, whatever a poll lasts.
  ASSERT_EQ(seen.size(), wanted.size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_FALSE(seen[i].empty());
    EXPECT_LE(seen[i].size(), wanted[i].size());
    EXPECT_TRUE(std::equal(seen[i].begin(), seen[i].end(), wanted[i].begin()))
        << "animation " << i << " is not the first " << seen[i].size() << " steps of the expected one";
  }
  EXPECT_EQ(GivesUpAfterThreeSeconds(transcript), "");
}

INSTANTIATE_TEST_SUITE_P(OtherClocks, ClockedExampleTest, ::testing::ValuesIn(ExampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// The README shows one example in full; it must be the example as it is.
TEST(ReadmeTest, ShowsTheFirstExampleAsItIs) {
  const std::string readme = tqsim_test::ReadHostFile(TQ_README);
  const std::string scenario = tqsim_test::ReadHostFile(std::string(TQSIM_EXAMPLES) + "/usb_printer_answers.json");
  const std::string transcript =
      tqsim_test::ReadHostFile(std::string(TQSIM_EXAMPLES) + "/usb_printer_answers.transcript.json");
  ASSERT_FALSE(scenario.empty());
  ASSERT_FALSE(transcript.empty());
  EXPECT_NE(readme.find("```json\n" + scenario + "```\n"), std::string::npos) << "the README's scenario differs";
  EXPECT_NE(readme.find("```json\n" + transcript + "```\n"), std::string::npos)
      << "the README's transcript differs from usb_printer_answers.transcript.json";
}

TEST(LineDiffTest, ShowsChangedLinesWithTheirContext) {
  EXPECT_EQ(LineDiff("a\nb\nc\nd\ne\nf\ng\n", "a\nb\nc\nD\ne\nf\ng\n"), "  b\n  c\n- d\n+ D\n  e\n  f\n");
  EXPECT_EQ(LineDiff("a\n", "a\nnew\n"), "  a\n+ new\n");
  EXPECT_EQ(LineDiff("same\n", "same\n"), "");
}

}  // namespace
