// setup.exe's command line on tqsim's simulated PC, beyond what the
// examples show: bad command lines change nothing, a removal leaves the
// registry as it was before the install apart from the system's own keys and
// touches nothing of others, the wizard with /log runs as without it, and
// the exit codes of the cases the examples do not reach. (A removal that
// fails half way and is run again is the fault sweep's.)
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/text/utf.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_system.h"
#include "tests/tools/tqsim_env.h"
#include "tools/tqsim/embedded.h"
#include "tools/tqsim/run.h"
#include "tools/tqsim/simulated_pc.h"

namespace {

using tqsim::Json;

const char kUsbPrinter[] = R"("usbPrinters": [{"model": "TQ-5800", "code": 1}])";
const std::wstring kServiceFolder = L"C:\\Program Files\\Common Files\\Services";

// The registry as .reg text, key by key: each key's header line with the
// value lines below it.
std::map<std::string, std::set<std::string>> Keys(pf::sim::SimPc& pc) {
  const std::string text = pc.registry().ExportRegText(pf::HKEY_LOCAL_MACHINE, L"") +
                           pc.registry().ExportRegText(pf::HKEY_CURRENT_USER, L"");
  std::map<std::string, std::set<std::string>> keys;
  std::string key;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find("\r\n", begin);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(begin, end - begin);
    begin = end + 2;
    if (line.rfind("[", 0) == 0) {
      key = line;
      keys[key];
    } else if (!line.empty() && !key.empty()) {
      keys[key].insert(line);
    }
  }
  return keys;
}

class CommandLineTest : public tqsim_test::TempFolderTest {
 protected:
  tqsim::RunResult Run(const std::string& json) {
    tqsim::Scenario scenario;
    std::string error;
    EXPECT_TRUE(tqsim::ParseScenario(json, folder_, &scenario, &error)) << error;
    return tqsim::RunScenario(scenario);
  }

  // setup.exe runs once with each of the command lines on the scenario's PC,
  // prepared first; the exit codes.
  std::vector<int> RunOn(const std::string& json, const std::vector<std::wstring>& commandLines,
                         const std::function<void(pf::sim::SimPc&)>& prepare = nullptr,
                         const std::function<void(pf::sim::SimPc&)>& inspect = nullptr) {
    tqsim::Scenario scenario;
    std::string error;
    EXPECT_TRUE(tqsim::ParseScenario(json, folder_, &scenario, &error)) << error;
    tqsim::SimulatedPc simulated(scenario, tqsim::SetupResources());
    pf::sim::SimPc& pc = simulated.pc();
    std::vector<int> exitCodes;
    {
      pf::ScopedPlatform scoped(pc.platform());
      if (prepare) prepare(pc);
      for (const std::wstring& arguments : commandLines) {
        pc.system().SetCommandLine(L"\"C:\\TQPrinterSetup\\setup.exe\" " + arguments);
        tqsim::Timeline timeline(pc.kernel());
        exitCodes.push_back(tqsim::RunSetup(tqsim::SetupResources(), scenario.user, timeline).exitCode);
        pc.services().EndProcesses();
      }
      if (inspect) inspect(pc);
    }
    return exitCodes;
  }

  static std::vector<Json> EventsWith(const Json& transcript, const char* field) {
    std::vector<Json> found;
    for (const Json& event : transcript["timeline"]) {
      if (event.contains(field)) found.push_back(event);
    }
    return found;
  }
};

TEST_F(CommandLineTest, ABadCommandLineEndsWith87BeforeAnythingChanges) {
  struct Case {
    const char* commandLine;
    const char* box;  // what the wizard's box names, or null for none
  };
  const Case cases[] = {
      {"/bogus", "命令行无效：/bogus"},
      {"install", "命令行无效：install"},
      {"/port usb", "命令行无效：/port"},  // /port belongs to the quiet install
      {"/log", "命令行无效：/log"},
      {"/log \\\"C:\\\\No Such Folder\\\\setup.log\\\"", "命令行无效：/log C:\\No Such Folder\\setup.log"},
      {"/quiet /port COM1", nullptr},
      {"-q /name", nullptr},
      {"/name /quiet", nullptr},  // a switch is not a value
      {"/UNINSTALL /Quiet /name X", nullptr},
      {"/?", "用法："},
      {"-Q -?", nullptr},
  };
  for (const Case& c : cases) {
    const tqsim::RunResult result =
        Run(std::string("{") + kUsbPrinter + R"(, "commandLine": ")" + c.commandLine + R"("})");
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(result.transcript["setupExitCode"], 87);
    EXPECT_EQ(result.transcript["filesWritten"], Json::array());
    EXPECT_TRUE(EventsWith(result.transcript, "printUi").empty());
    EXPECT_TRUE(EventsWith(result.transcript, "service").empty());
    EXPECT_TRUE(result.transcript["defaultPrinter"].is_null());
    const std::vector<Json> boxes = EventsWith(result.transcript, "messageBox");
    if (c.box == nullptr) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0]["messageBox"]["text"].get<std::string>().rfind(c.box, 0), 0u)
          << boxes[0]["messageBox"]["text"];
      EXPECT_EQ(boxes[0]["messageBox"]["caption"], "朗明打印机安装程序");
    }
  }
}

TEST_F(CommandLineTest, ARemovalLeavesTheRegistryAsBeforeTheInstallApartFromTheSystemsKeys) {
  // A PC as Windows keeps it: the printer class key with its values and
  // another printer's driver instance, the spooler's driver folders, a fax
  // printer of its own driver that is the default printer.
  WriteFile("pc.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}]\r\n"
            "@=\"Printers\"\r\n\"Class\"=\"Printer\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}\\0000]\r\n"
            "\"DriverDesc\"=\"Fax\"\r\n\r\n");
  const std::string json = std::string("{") + kUsbPrinter +
                           R"(, "pc": {"seeds": ["pc.reg"]},
                              "printers": [{"name": "Fax", "port": "SHRFAX:", "driver": "Microsoft Shared Fax Driver"}]})";
  std::map<std::string, std::set<std::string>> before, installed, after;
  const std::vector<int> exitCodes = RunOn(
      json, {L"/quiet", L"/uninstall /quiet"},
      [&](pf::sim::SimPc& pc) {
        pc.registry().SetString(pf::HKEY_CURRENT_USER, pf::sim::SimSpooler::ProfileKeyPath(L"windows"), L"Device",
                                L"Fax,winspool,SHRFAX:");
        pc.files().WriteFileBytes(kServiceFolder + L"\\Other.dll", "another program's");
        before = Keys(pc);
      },
      [&](pf::sim::SimPc& pc) {
        after = Keys(pc);
        EXPECT_EQ(pc.spooler().PrinterNames(), std::vector<std::wstring>{L"Fax"});
        EXPECT_TRUE(pc.spooler().HasDriver(L"Microsoft Shared Fax Driver"));
        EXPECT_FALSE(pc.spooler().HasDriver(L"TAVIR TQ-5800"));
        // Only Spoolmate's two files went; the folder stays for the other one.
        std::string bytes;
        EXPECT_TRUE(pc.files().ReadFileBytes(kServiceFolder + L"\\Other.dll", &bytes));
        EXPECT_FALSE(pc.files().ReadFileBytes(kServiceFolder + L"\\Spoolmate.exe", &bytes));
        EXPECT_FALSE(pc.files().ReadFileBytes(kServiceFolder + L"\\Spoolmate.log", &bytes));
        EXPECT_TRUE(pc.services().ServiceNames().empty());
      });
  EXPECT_EQ(exitCodes, (std::vector<int>{0, 0}));

  // What may differ: the driver instance the install added and the device
  // keys the helper service bound, which are the system's.
  auto systems = [](const std::string& key) {
    return key.find("\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}\\0001]") != std::string::npos ||
           key.find("\\Enum\\USBPRINT\\") != std::string::npos;
  };
  std::vector<std::string> differences;
  for (const auto* side : {&before, &after}) {
    const auto* other = side == &before ? &after : &before;
    for (const auto& [key, values] : *side) {
      if (systems(key)) continue;
      auto found = other->find(key);
      if (found == other->end() || found->second != values) differences.push_back(key);
    }
  }
  EXPECT_TRUE(differences.empty()) << ::testing::PrintToString(differences);
  bool bound = false;
  for (const auto& [key, values] : after) bound = bound || (systems(key) && values.count("\"Mfg\"=\"TAVIR\"") > 0);
  EXPECT_TRUE(bound) << "the device key stays bound";
}

TEST_F(CommandLineTest, TheWizardWithALogRunsAsWithoutOneAndLogsEveryStep) {
  const tqsim::RunResult plain = Run(std::string("{") + kUsbPrinter + "}");
  const tqsim::RunResult logged =
      Run(std::string("{") + kUsbPrinter + R"(, "commandLine": "/log C:\\TQPrinterSetup\\setup.log"})");
  Json events = Json::array();
  for (const Json& event : logged.transcript["timeline"]) {
    if (!event.contains("commandLine") && !event.contains("setupExitCode")) events.push_back(event);
  }
  EXPECT_EQ(events, plain.transcript["timeline"]);
  EXPECT_EQ(logged.transcript["setupExitCode"], 0);
  const Json& lines = logged.transcript["setupLog"];
  ASSERT_GE(lines.size(), 10u);
  for (const char* step : {"setup: started on Windows 6 with /log", "print UI: ended with exit code 0",
                           "new printer: found: TQ-5800", "helper service: stopped", "setup: exit code 0"}) {
    bool found = false;
    for (const Json& line : lines) found = found || line.get<std::string>().find(step) != std::string::npos;
    EXPECT_TRUE(found) << step;
  }
  // Each line starts with the local time.
  EXPECT_EQ(lines[0].get<std::string>().substr(0, 21), "2026-01-01 09:00:00  ");
}

TEST_F(CommandLineTest, TheExitCodeSaysWhatHappened) {
  // The wizard left with Finish after a failed run gives its result code;
  // cancelled, it gives 0 as it always did.
  EXPECT_EQ(Run(R"({"commandLine": "/log C:\\s.log"})").transcript["setupExitCode"], 3);
  EXPECT_EQ(Run(std::string("{") + kUsbPrinter + R"(, "commandLine": "/log C:\\s.log", "user": {"cancelOn": "detection"}})")
                .transcript["setupExitCode"],
            0);
  // The helper service cannot be written: the printer is installed, exit 4.
  tqsim::RunResult result =
      Run(std::string("{") + kUsbPrinter + R"(, "pc": {"commonProgramFiles": null}, "commandLine": "/quiet"})");
  EXPECT_EQ(result.transcript["setupExitCode"], 4);
  EXPECT_EQ(result.transcript["printers"].size(), 1u);
  EXPECT_TRUE(EventsWith(result.transcript, "messageBox").empty());
  // No INF beside setup.exe: 1, told in the log only.
  WriteFile("empty/readme.txt", "no INF here");
  result = Run(R"({"installFolder": "empty", "commandLine": "/quiet"})");
  EXPECT_EQ(result.transcript["setupExitCode"], 1);
  EXPECT_TRUE(EventsWith(result.transcript, "messageBox").empty());
  EXPECT_NE(result.transcript["setupLog"].dump().find("INF: cannot be read"), std::string::npos);
}

}  // namespace
