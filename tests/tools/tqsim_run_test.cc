// tqsim runs: what the transcript tells about runs the examples do not
// cover (faults, cancelling, the print UI's behaviours, a folder without
// its INF, Windows 2000 and XP), that a run is repeatable, and the
// program's answers to bad scenarios and arguments.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/tqsim_env.h"
#include "tools/tqsim/run.h"

namespace {

using tqsim::Json;

class RunTest : public tqsim_test::TempFolderTest {
 protected:
  tqsim::RunResult Run(const std::string& json) {
    tqsim::Scenario scenario;
    std::string error;
    EXPECT_TRUE(tqsim::ParseScenario(json, folder_, &scenario, &error)) << error;
    return tqsim::RunScenario(scenario);
  }
  // The timeline's events that have the field.
  static std::vector<Json> EventsWith(const Json& transcript, const char* field) {
    std::vector<Json> found;
    for (const Json& event : transcript["timeline"]) {
      if (event.contains(field)) found.push_back(event);
    }
    return found;
  }
};

const char kUsbPrinter[] = R"("usbPrinters": [{"model": "TQ-5800", "code": 1}])";

TEST_F(RunTest, AFailingCallShowsItsMessageAndIsCounted) {
  const tqsim::RunResult result = Run(std::string("{") + kUsbPrinter +
                                      R"(, "faults": [{"call": "EnumPrintersW", "error": 1722, "occurrence": 1}]})");
  const std::vector<Json> boxes = EventsWith(result.transcript, "messageBox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0]["messageBox"]["text"], "枚举打印机信息失败。错误代码：1722");
  EXPECT_EQ(boxes[0]["messageBox"]["icon"], "error");
  EXPECT_EQ(boxes[0]["messageBox"]["owner"], "wizard");
  EXPECT_EQ(boxes[1]["messageBox"]["text"], "未知的安装错误");
  // The size query (occurrence 0) went through, the listing itself failed,
  // so the run ended before the print UI, with no second listing.
  EXPECT_EQ(result.transcript["faults"][0]["callsMade"], 2);
  EXPECT_TRUE(EventsWith(result.transcript, "printUi").empty());
  EXPECT_EQ(result.transcript["resultCode"], 30);
  EXPECT_EQ(result.exitCode, tqsim::kExitNotInstalled);
}

TEST_F(RunTest, CancellingOnAPageEndsWithoutInstalling) {
  const tqsim::RunResult result = Run(std::string("{") + kUsbPrinter + R"(, "user": {"cancelOn": "connection"}})");
  const std::vector<Json> steps = EventsWith(result.transcript, "user");
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[1]["user"], "cancel");
  EXPECT_EQ(steps[1]["buttons"], Json({"back", "next", "cancel"}));
  EXPECT_TRUE(EventsWith(result.transcript, "install").empty());
  EXPECT_TRUE(result.transcript["resultCode"].is_null());
  EXPECT_EQ(result.transcript["outcome"], "cancelled");
  EXPECT_EQ(result.exitCode, tqsim::kExitNotInstalled);
}

TEST_F(RunTest, CancelIsRefusedOnTheInstallPageAndFinishCloses) {
  const tqsim::RunResult result = Run(std::string("{") + kUsbPrinter + R"(, "user": {"cancelOn": "install"}})");
  const std::vector<Json> steps = EventsWith(result.transcript, "user");
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[steps.size() - 2]["user"], "cancel");
  EXPECT_EQ(steps[steps.size() - 2]["refused"], true);
  EXPECT_EQ(steps.back()["user"], "finish");
  EXPECT_EQ(result.transcript["outcome"], "installed");
}

TEST_F(RunTest, TheUsersPortAndNameReachThePrintUi) {
  const tqsim::RunResult result =
      Run(std::string("{") + kUsbPrinter + R"(, "user": {"port": "LPT", "printerName": "办公室 \"TQ\""}})");
  const std::vector<Json> steps = EventsWith(result.transcript, "user");
  ASSERT_EQ(steps.size(), 6u);  // next, next, the radio, the name, next, finish
  EXPECT_EQ(steps[2]["user"], "choose LPT");
  EXPECT_EQ(steps[3]["user"], "type name");
  EXPECT_EQ(steps[3]["text"], "办公室 \"TQ\"");
  const std::vector<Json> printUi = EventsWith(result.transcript, "printUi");
  ASSERT_EQ(printUi.size(), 1u);
  const std::string commandLine = printUi[0]["printUi"];
  // The quotes of the typed name never reach the command line.
  EXPECT_NE(commandLine.find("/b \"办公室 TQ\" "), std::string::npos) << commandLine;
  EXPECT_NE(commandLine.find("/r \"LPT1:\""), std::string::npos) << commandLine;
  EXPECT_EQ(result.transcript["defaultPrinter"], "办公室 TQ,winspool,LPT1:");
}

TEST_F(RunTest, WhatThePrintUiDoesDecidesTheResult) {
  tqsim::RunResult result =
      Run(std::string("{") + kUsbPrinter + R"(, "printUi": {"behaviour": "addsNothing", "takesMs": 2500}})");
  const std::vector<Json> printUi = EventsWith(result.transcript, "printUi");
  ASSERT_EQ(printUi.size(), 1u);
  EXPECT_EQ(printUi[0]["endedMs"].get<long long>() - printUi[0]["ms"].get<long long>(), 2500);
  EXPECT_EQ(result.transcript["resultCode"], 30);
  EXPECT_EQ(result.transcript["outcome"], "failed with result code 30");
  EXPECT_EQ(EventsWith(result.transcript, "messageBox").size(), 1u);

  // Another name: the install counts as done but cannot tell which printer is new.
  result = Run(std::string("{") + kUsbPrinter + R"(, "printUi": {"behaviour": "addsNamed", "name": "Fax"}})");
  EXPECT_EQ(result.transcript["resultCode"], 0);
  EXPECT_TRUE(result.transcript["finalPrinterName"].is_null());
  EXPECT_TRUE(result.transcript["defaultPrinter"].is_null());
  EXPECT_EQ(result.transcript["printers"][0]["name"], "Fax");

  result = Run(std::string("{") + kUsbPrinter + R"(, "printUi": {"behaviour": "fails", "exitCode": 87}})");
  EXPECT_EQ(EventsWith(result.transcript, "printUi")[0]["exitCode"], 87);
  EXPECT_EQ(result.transcript["resultCode"], 30);
}

TEST_F(RunTest, AFolderWithoutItsInfEndsSetupAtStartUp) {
  WriteFile("empty/readme.txt", "no INF here");
  const tqsim::RunResult result = Run(R"({"installFolder": "empty"})");
  const Json& timeline = result.transcript["timeline"];
  ASSERT_EQ(timeline.size(), 1u);
  EXPECT_NE(timeline[0]["messageBox"]["text"].get<std::string>().find("TQPRINTER.INF"), std::string::npos);
  EXPECT_EQ(timeline[0]["messageBox"]["owner"], "none");
  EXPECT_EQ(result.transcript["installFolder"], "empty");
  EXPECT_EQ(result.transcript["outcome"], "setup ended at start-up");
  EXPECT_EQ(result.exitCode, tqsim::kExitNotInstalled);
}

TEST_F(RunTest, WindowsTwoThousandAndXpInstallAsLaterWindowsDo) {
  const std::string later = tqsim::FormatTranscript(Run(std::string("{") + kUsbPrinter + "}").transcript);
  for (const char* windows : {R"({"major": 5, "minor": 0, "build": 2195})", R"({"major": 5, "minor": 1, "build": 2600})"}) {
    SCOPED_TRACE(windows);
    const tqsim::RunResult result =
        Run(std::string("{") + kUsbPrinter + R"(, "pc": {"windows": )" + windows + "}}");
    EXPECT_EQ(result.transcript["outcome"], "installed");
    EXPECT_EQ(result.transcript["helperService"], "ran");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(tqsim::FormatTranscript(result.transcript), later);
  }
}

TEST_F(RunTest, AFailedVersionProbeCountsAsTooOld) {
  const tqsim::RunResult result = Run(std::string("{") + kUsbPrinter + R"(, "pc": {"windows": {"probeFails": true}}})");
  EXPECT_EQ(result.transcript["resultCode"], 100);
}

TEST_F(RunTest, TheRegistryAfterwardsHoldsWhatSpoolmateWrote) {
  WriteFile("lpt.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TAVIRTQPRINTER5800\\1]\r\n"
            "\"HardwareID\"=\"LPTENUM\\\\TAVIRTQPRINTER5800\"\r\n");
  const tqsim::RunResult result = Run(R"({"pc": {"seeds": ["lpt.reg"]}, "user": {"port": "LPT"}})");
  EXPECT_EQ(result.registry.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u);
  const std::string device =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TAVIRTQPRINTER5800\\1]\r\n";
  const std::size_t at = result.registry.find(device);
  ASSERT_NE(at, std::string::npos);
  const std::string key = result.registry.substr(at, result.registry.find("\r\n\r\n", at) - at);
  EXPECT_NE(key.find("\"Mfg\"=\"TAVIR\""), std::string::npos) << key;
  EXPECT_NE(key.find("\"Driver\"=\"{4D36E979-E325-11CE-BFC1-08002BE10318}\\\\0000\""), std::string::npos) << key;
  // The default-printer entry lives in the user's part.
  EXPECT_NE(result.registry.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows]"),
            std::string::npos);
}

TEST_F(RunTest, ARunIsRepeatable) {
  // The helper service runs on threads of its own; the transcript must not depend on them.
  const std::string json = std::string("{") + kUsbPrinter + R"(, "runs": 2})";
  const std::string first = tqsim::FormatTranscript(Run(json).transcript);
  EXPECT_EQ(tqsim::FormatTranscript(Run(json).transcript), first);
  EXPECT_EQ(tqsim::FormatTranscript(Run(json).transcript), first);
}

TEST_F(RunTest, TheProgramAnswersABadScenarioWithOneLineAndExitTwo) {
  WriteFile("malformed.json", "{\"runs\": 1");
  WriteFile("unknown.json", "{\"user\": {\"cancelon\": \"welcome\"}}");
  WriteFile("bad.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\nnot a value\r\n");
  WriteFile("bad_seed.json", "{\"pc\": {\"seeds\": [\"bad.reg\"]}}");
  WriteFile("no_folder.json", "{\"installFolder\": \"gone\"}");
  const std::pair<const char*, std::string> cases[] = {
      {"malformed.json",
       "malformed JSON: parse error at line 1, column 11: syntax error while parsing object - "
       "unexpected end of input; expected '}'"},
      {"unknown.json", "user.cancelon: unknown field"},
      {"bad_seed.json", "pc.seeds[0]: bad.reg: line 4: unexpected text"},
      {"no_folder.json", "installFolder: no such folder: gone"},
      {"missing.json", "cannot read the scenario"},
  };
  for (const auto& [file, message] : cases) {
    const ToolRun run = RunTqsim("'" + Path(file) + "'");
    EXPECT_EQ(run.exitCode, 2) << file;
    EXPECT_EQ(run.out, "") << file;
    EXPECT_EQ(run.err, "tqsim: " + Path(file) + ": " + message + "\n");
  }
  for (const char* arguments : {"", "a.json b.json", "a.json --reg-out", "a.json --verbose"}) {
    const ToolRun run = RunTqsim(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_EQ(run.err, "tqsim: usage: tqsim SCENARIO.json [--reg-out FILE] [--quiet]\n") << arguments;
  }
}

TEST_F(RunTest, QuietPrintsNothingAndKeepsTheExitCode) {
  WriteFile("nt4.json", R"({"pc": {"windows": {"major": 4}}})");
  WriteFile("fine.json", std::string("{") + kUsbPrinter + "}");
  ToolRun run = RunTqsim("'" + Path("nt4.json") + "' --quiet");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out + run.err, "");
  run = RunTqsim("--quiet '" + Path("fine.json") + "'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out + run.err, "");
}

}  // namespace
