// tqsim's scenario reader: what a scenario gives the run, and the one line
// that each kind of bad scenario is answered with.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sim/reg_file.h"
#include "tests/tools/tqsim_env.h"
#include "tools/tqsim/scenario.h"

namespace {

using tqsim::ParseScenario;
using tqsim::Scenario;

class ScenarioReaderTest : public tqsim_test::TempFolderTest {
 protected:
  // The error of a scenario that must not read; empty when it reads.
  std::string ErrorOf(const std::string& json) {
    Scenario scenario;
    std::string error;
    if (ParseScenario(json, folder_, &scenario, &error)) return std::string();
    EXPECT_EQ(error.find('\n'), std::string::npos) << "more than one line: " << error;
    return error;
  }
};

TEST_F(ScenarioReaderTest, AFullScenarioGivesTheRunEverything) {
  WriteFile("seed.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"A\"=\"b\"\r\n");
  WriteFile("pkg/TQPRINTER.INF", "[Version]\r\n");
  WriteFile("pkg/drivers/TQ5800.GPD", "*GPDFileVersion\r\n");
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario(R"({
    "description": "all of it",
    "installFolder": "pkg",
    "setupPath": "D:\\Setup\\setup.exe",
    "pc": {"seeds": ["seed.reg"], "windows": {"major": 5, "minor": 1, "build": 2600, "platformId": 2},
           "inputCodePage": 1252, "commonProgramFiles": "C:\\Common\\",
           "clock": {"startMs": 4294965796, "timerResolution": 15.625}},
    "usbPrinters": [{"serial": "S9", "portNumber": 7, "model": "TQ-58", "code": 9,
                     "writes": ["atOnce", {"afterMs": 1500}], "reads": ["never", {"failsWith": 31, "afterMs": 20}],
                     "appearsAtMs": 1200, "unpluggedAtMs": 9000},
                    {"replyHex": "1b7C 00"}],
    "printers": [{"name": "打印机"}],
    "printUi": {"behaviour": "addsNamed", "name": "Other", "takesMs": 400},
    "faults": [{"call": "EnumPrintersW", "error": 5, "occurrence": 1}],
    "user": {"cancelOn": "install", "port": "LPT", "printerName": "办公室", "installAgain": 2},
    "runs": 2
  })",
                            folder_, &s, &error))
      << error;
  EXPECT_EQ(s.description, "all of it");
  ASSERT_EQ(s.installFiles.size(), 2u);
  EXPECT_EQ(s.installFiles[0].shownName, "TQPRINTER.INF");
  EXPECT_EQ(s.installFiles[1].shownName, "drivers\\TQ5800.GPD");
  EXPECT_EQ(s.installFiles[1].bytes, "*GPDFileVersion\r\n");
  EXPECT_EQ(s.setupPath, L"D:\\Setup\\setup.exe");
  ASSERT_EQ(s.seeds.size(), 1u);
  EXPECT_EQ(s.seeds[0].shownName, "seed.reg");
  EXPECT_EQ(s.windows.major, 5u);
  EXPECT_EQ(s.windows.build, 2600u);
  EXPECT_FALSE(s.windows.probeFails);
  EXPECT_EQ(s.inputCodePage, 1252u);
  EXPECT_EQ(s.commonProgramFiles, L"C:\\Common\\");
  EXPECT_EQ(s.clock.startMs, 4294965796u);
  EXPECT_EQ(s.clock.timerPeriodUs, 15625u);

  ASSERT_EQ(s.usbPrinters.size(), 2u);
  const tqsim::UsbPrinterPlan& first = s.usbPrinters[0];
  EXPECT_EQ(first.seed.serial, L"S9");
  EXPECT_EQ(first.seed.vendorId, L"F1C1");  // the seed's own default
  EXPECT_EQ(first.seed.portNumber, 7u);
  EXPECT_EQ(first.reply, pf::sim::SimUsbPrinter::ModelReply("TQ-58", 9));
  ASSERT_EQ(first.writes.size(), 2u);
  EXPECT_EQ(first.writes[1].delay, 1500u);
  ASSERT_EQ(first.reads.size(), 2u);
  EXPECT_EQ(first.reads[0].outcome, pf::sim::UsbTransfer::Outcome::Never);
  EXPECT_EQ(first.reads[1].outcome, pf::sim::UsbTransfer::Outcome::Fails);
  EXPECT_EQ(first.reads[1].error, 31u);
  EXPECT_EQ(first.reads[1].delay, 20u);
  EXPECT_EQ(first.appearsAtMs, 1200u);
  EXPECT_EQ(first.unpluggedAtMs, 9000u);
  EXPECT_EQ(s.usbPrinters[1].reply, (std::vector<pf::BYTE>{0x1B, 0x7C, 0x00}));

  ASSERT_EQ(s.printers.size(), 1u);
  EXPECT_EQ(s.printers[0].name, L"打印机");
  EXPECT_EQ(s.printers[0].port, L"LPT1:");
  EXPECT_EQ(s.printUi.behaviour, tqsim::PrintUiPlan::Behaviour::kAddsNamed);
  EXPECT_EQ(s.printUi.name, L"Other");
  EXPECT_EQ(s.printUi.takesMs, 400u);
  ASSERT_EQ(s.faults.size(), 1u);
  EXPECT_EQ(s.faults[0].occurrence, 1);
  EXPECT_EQ(s.user.cancelOn, tqsim::Page::kInstall);
  EXPECT_EQ(s.user.port, L"LPT");
  EXPECT_EQ(s.user.printerName, L"办公室");
  EXPECT_EQ(s.user.installAgain, 2);
  EXPECT_EQ(s.runs, 2);
}

TEST_F(ScenarioReaderTest, AnEmptyScenarioIsTheSamplePackageOnADefaultPc) {
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario("{}", folder_, &s, &error)) << error;
  EXPECT_TRUE(s.installFolder.empty());
  std::vector<std::string> names;
  for (const tqsim::ScenarioFile& file : s.installFiles) names.push_back(file.shownName);
  EXPECT_EQ(names, (std::vector<std::string>{"TQ5800.GPD", "TQPRINTER.INF"}));
  EXPECT_EQ(s.setupPath, L"C:\\TQPrinterSetup\\setup.exe");
  EXPECT_EQ(s.commonProgramFiles, L"C:\\Program Files\\Common Files");
  EXPECT_EQ(s.windows.major, 6u);
  EXPECT_FALSE(s.user.cancelOn);
  EXPECT_EQ(s.runs, 1);
  // null: Windows cannot tell where the folder is.
  ASSERT_TRUE(ParseScenario(R"({"pc": {"commonProgramFiles": null}})", folder_, &s, &error)) << error;
  EXPECT_FALSE(s.commonProgramFiles);
}

TEST_F(ScenarioReaderTest, MalformedJsonNamesWhereItBreaks) {
  EXPECT_EQ(ErrorOf("{\"runs\": 2,\n}"),
            "malformed JSON: parse error at line 2, column 1: syntax error while parsing object key - unexpected '}'; "
            "expected string literal");
  EXPECT_EQ(ErrorOf(""),
            "malformed JSON: parse error at line 1, column 1: syntax error while parsing value - "
            "unexpected end of input; expected '[', '{', or a literal");
  EXPECT_EQ(ErrorOf("[1]"), "scenario: expected an object");
}

TEST_F(ScenarioReaderTest, UnknownFieldsAreNamedWithTheirPath) {
  EXPECT_EQ(ErrorOf(R"({"runs": 1, "usbPrinter": []})"), "usbPrinter: unknown field");
  EXPECT_EQ(ErrorOf(R"({"pc": {"windwos": {}}})"), "pc.windwos: unknown field");
  EXPECT_EQ(ErrorOf(R"({"usbPrinters": [{}, {"reads": [{"afterMS": 5}]}]})"),
            "usbPrinters[1].reads[0].afterMS: unknown field");
  EXPECT_EQ(ErrorOf(R"({"user": {"cancel": "welcome"}})"), "user.cancel: unknown field");
}

TEST_F(ScenarioReaderTest, WrongTypesAndValuesAreNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"runs": "2"})", "runs: expected a whole number"},
      {R"({"runs": 0})", "runs: out of range 1..5"},
      {R"({"pc": {"windows": {"major": -4}}})", "pc.windows.major: out of range 0..4294967295"},
      {R"({"pc": {"windows": {"probeFails": 1}}})", "pc.windows.probeFails: expected true or false"},
      {R"({"pc": {"inputCodePage": 1.5}})", "pc.inputCodePage: expected a whole number"},
      {R"({"pc": {"clock": {"startMs": 4294967296}}})", "pc.clock.startMs: out of range 0..4294967295"},
      {R"({"pc": {"clock": {"timerResolution": "15.625"}}})",
       "pc.clock.timerResolution: expected a number of milliseconds"},
      {R"({"pc": {"clock": {"timerResolution": -1}}})", "pc.clock.timerResolution: out of range 0..1000"},
      {R"({"pc": {"seeds": "a.reg"}})", "pc.seeds: expected a list"},
      {R"({"usbPrinters": [{"reads": ["soon"]}]})", "usbPrinters[0].reads[0]: expected one of atOnce, never"},
      {R"({"usbPrinters": [{"reads": [{"failsWith": 31, "bytes": 3}]}]})",
       "usbPrinters[0].reads[0].bytes: a failing transfer moves no bytes"},
      {R"({"usbPrinters": [{"model": "A", "replyHex": "00"}]})",
       "usbPrinters[0].replyHex: give either model or replyHex"},
      {R"({"usbPrinters": [{"code": 3}]})", "usbPrinters[0].code: code goes with model"},
      {R"({"usbPrinters": [{"model": "A", "code": 0}]})", "usbPrinters[0].code: out of range 1..255"},
      {R"({"usbPrinters": [{"replyHex": "1b7"}]})", "usbPrinters[0].replyHex: an odd number of hex digits"},
      {R"({"usbPrinters": [{"replyHex": "1b zz"}]})", "usbPrinters[0].replyHex: not a hex digit: zz"},
      {R"({"printers": [{"port": "LPT1:"}]})", "printers[0].name: missing"},
      {R"({"printers": [{"name": "TQ"}, {"name": "tq"}]})",
       "printers[1].name: a printer of that name is listed already"},
      {R"({"printUi": {"behaviour": "addsNamed"}})", "printUi.name: missing for addsNamed"},
      {R"({"printUi": {"name": "X"}})", "printUi.name: only with behaviour addsNamed"},
      {R"({"printUi": {"exitCode": 3}})", "printUi.exitCode: only with behaviour fails"},
      {R"({"printUi": {"behaviour": "crashes"}})",
       "printUi.behaviour: expected one of adds, addsNothing, addsNamed, fails, neverEnds"},
      {R"({"faults": [{"error": 5}]})", "faults[0].call: missing"},
      {R"({"faults": [{"call": "EnumPrintersW"}]})", "faults[0].error: missing"},
      {R"({"faults": [{"call": "", "error": 5}]})", "faults[0].call: empty"},
      {R"({"user": {"port": "usb"}})", "user.port: expected one of USB, LPT"},
      {R"({"user": {"cancelOn": "finish"}})", "user.cancelOn: expected one of welcome, connection, detection, install"},
      {R"({"commandLine": 87})", "commandLine: expected a string"},
      {R"({"commandLine": []})", "commandLine: empty"},
      {R"({"runs": 3, "commandLine": ["/quiet", "/uninstall /quiet"]})",
       "commandLine: needs one command line for each of the 3 runs"},
      {R"({"setupPath": "setup.exe"})",
       "setupPath: expected a full Windows path such as C:\\TQPrinterSetup\\setup.exe"},
  };
  for (const auto& [json, expected] : cases) EXPECT_EQ(ErrorOf(json), expected) << json;
}

TEST_F(ScenarioReaderTest, SeedsAreCheckedLineByLine) {
  WriteFile("good.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"N\"=dword:00000001\n");
  WriteFile("bad_value.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"N\"=dwrd:1\n");
  WriteFile("bad_root.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_NOWHERE\\A]\n");
  WriteFile("not_reg.reg", "REGEDIT4 perhaps\n");
  // regedit's own form: UTF-16LE with its mark, a stray line in it.
  WriteFile("utf16.reg", pf::sim::Utf8ToRegFile("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
                                                "\"a\"=\"b\"\r\nstray\r\n"));
  EXPECT_EQ(ErrorOf(R"({"pc": {"seeds": ["good.reg"]}})"), "");
  EXPECT_EQ(ErrorOf(R"({"pc": {"seeds": ["good.reg", "bad_value.reg"]}})"),
            "pc.seeds[1]: bad_value.reg: line 4: unknown value data");
  EXPECT_EQ(ErrorOf(R"({"pc": {"seeds": ["bad_root.reg"]}})"),
            "pc.seeds[0]: bad_root.reg: line 3: unknown root key 'HKEY_NOWHERE'");
  EXPECT_EQ(ErrorOf(R"({"pc": {"seeds": ["not_reg.reg"]}})"), "pc.seeds[0]: not_reg.reg: line 1: not a registry file");
  EXPECT_EQ(ErrorOf(R"({"pc": {"seeds": ["utf16.reg"]}})"), "pc.seeds[0]: utf16.reg: line 5: unexpected text");
  EXPECT_EQ(ErrorOf(R"({"pc": {"seeds": ["missing.reg"]}})"), "pc.seeds[0]: cannot read missing.reg");
}

TEST_F(ScenarioReaderTest, TheInstallationFolderMustBeThere) {
  WriteFile("a_file", "x");
  EXPECT_EQ(ErrorOf(R"({"installFolder": "nowhere"})"), "installFolder: no such folder: nowhere");
  EXPECT_EQ(ErrorOf(R"({"installFolder": "a_file"})"), "installFolder: no such folder: a_file");
  // A folder far larger than a driver package is refused before it is read (a sparse file costs nothing).
  WriteFile("disk/TQPRINTER.INF", "[Version]\r\n");
  std::filesystem::resize_file(Path("disk/TQPRINTER.INF"), (512u << 20) + 1);
  EXPECT_EQ(ErrorOf(R"({"installFolder": "disk"})"),
            "installFolder: disk holds more than 10000 files or 512 MiB: not an installation folder");
  // An absolute path is taken as it is, not below the scenario's folder.
  const std::string absolute = (std::filesystem::path(folder_) / "nowhere").string();
  EXPECT_EQ(ErrorOf("{\"installFolder\": \"" + absolute + "\"}"), "installFolder: no such folder: " + absolute);
}

TEST_F(ScenarioReaderTest, ReadScenarioNamesTheFileAndFindsSeedsBesideIt) {
  WriteFile("sub/seed.reg", "Windows Registry Editor Version 5.00\n");
  WriteFile("sub/case.json", R"({"pc": {"seeds": ["seed.reg"]}})");
  Scenario s;
  std::string error;
  ASSERT_TRUE(tqsim::ReadScenario(folder_ + "/sub/case.json", &s, &error)) << error;
  EXPECT_EQ(s.fileName, "case.json");
  EXPECT_EQ(s.seeds.size(), 1u);
  EXPECT_FALSE(tqsim::ReadScenario(folder_ + "/sub/none.json", &s, &error));
  EXPECT_EQ(error, "cannot read the scenario");
}

}  // namespace
