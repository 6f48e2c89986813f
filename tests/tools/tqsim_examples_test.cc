// Every example of tools/tqsim/examples runs through the tqsim program and
// must give exactly the transcript beside it (NAME.transcript.json) and the
// exit code that transcript states. A difference is shown as a line diff.
// After a change the examples are meant to show, regenerate the transcripts
// on purpose: TQSIM_REGENERATE=1 ctest --preset native -R Examples (or build
// the target tqsim_regenerate_examples) and review the diff before committing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/tqsim_env.h"

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
