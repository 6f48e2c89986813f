#include "tools/tqsim/run.h"

#include <algorithm>

#include "common/text/case_fold.h"
#include "framework/window_api.h"
#include "platform/sim/reg_file.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_system.h"
#include "common/text/command_line.h"
#include "setup/app/command_line.h"
#include "setup/app/setup_app.h"
#include "tools/tqsim/embedded.h"
#include "tools/tqsim/recording_platform.h"
#include "tools/tqsim/simulated_pc.h"
#include "tools/tqsim/wizard_driver.h"

namespace tqsim {
namespace {

// The recorded print-UI starts, each completed with what the print UI did.
void CompletePrintUiEvents(Timeline& timeline, const RecordingProcess& process, const pf::sim::SimPrintUi& printUi) {
  const std::vector<std::size_t>& events = process.PrintUiEvents();
  const std::vector<pf::sim::PrintUiRun>& runs = printUi.runs();
  for (std::size_t i = 0; i < events.size() && i < runs.size(); ++i) {
    Json outcome;
    if (!runs[i].added.empty()) outcome["added"] = Utf8(runs[i].added);
    if (!runs[i].removed.empty()) outcome["removed"] = Utf8(runs[i].removed);
    if (!runs[i].refused.empty()) outcome["refused"] = Utf8(runs[i].refused);
    if (runs[i].endless) {
      outcome["neverEnded"] = true;
    } else {
      outcome["exitCode"] = runs[i].exitCode;
      outcome["endedMs"] = runs[i].ended;
    }
    timeline.Amend(events[i], outcome);
  }
}

// "ran" when the helper service was created, started, stopped and deleted;
// "not deployed" when setup never got to create it; "failed" otherwise.
std::string HelperServiceVerdict(const std::vector<RecordingServices::Operation>& operations) {
  if (operations.empty()) return "not deployed";
  for (const char* op : {"create", "start", "stop", "delete"}) {
    const bool done = std::any_of(operations.begin(), operations.end(),
                                  [&](const RecordingServices::Operation& o) { return o.op == op && o.ok; });
    if (!done) return "failed";
  }
  return "ran";
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsSpoolmateLog(const std::wstring& path) { return EndsWith(text::Upper(path), L"\\SPOOLMATE.LOG"); }

bool IsSetupLog(const std::wstring& path) { return EndsWith(text::Upper(path), L".LOG") && !IsSpoolmateLog(path); }

// The lines of the logs setup wrote (UTF-8), in the order of the files.
Json SetupLog(pf::sim::SimPc& pc, const std::vector<std::wstring>& paths) {
  Json lines = Json::array();
  for (const std::wstring& path : paths) {
    std::string bytes;
    if (!IsSetupLog(path) || !pc.files().ReadFileBytes(path, &bytes)) continue;
    for (std::size_t begin = 0; begin < bytes.size();) {
      std::size_t end = bytes.find("\r\n", begin);
      if (end == std::string::npos) end = bytes.size();
      lines.push_back(bytes.substr(begin, end - begin));
      begin = end + 2;
    }
  }
  return lines;
}

Json FilesWritten(pf::sim::SimPc& pc, const std::vector<std::wstring>& paths) {
  Json files = Json::array();
  for (const std::wstring& path : paths) {
    Json file = {{"path", Utf8(path)}};
    std::string bytes;
    if (pc.files().ReadFileBytes(path, &bytes)) {
      file["bytes"] = bytes.size();
      // Spoolmate's log is text worth reading, in the ANSI code page; setup's
      // own (UTF-8) has a field of its own.
      if (IsSpoolmateLog(path)) file["text"] = Utf8(pc.kernel().FromAnsi(bytes));
    } else {
      file["bytes"] = nullptr;  // gone again
    }
    files.push_back(file);
  }
  return files;
}

Json Printers(pf::sim::SimPc& pc) {
  Json printers = Json::array();
  for (const std::wstring& name : pc.spooler().PrinterNames()) {
    const std::optional<pf::sim::SimPrinter> printer = pc.spooler().Printer(name);
    printers.push_back({{"name", Utf8(name)},
                        {"port", printer ? Utf8(printer->port) : std::string()},
                        {"driver", printer ? Utf8(printer->driver) : std::string()}});
  }
  return printers;
}

Json DefaultPrinter(pf::sim::SimPc& pc) {
  std::wstring device;
  if (!pc.registry().GetString(pf::HKEY_CURRENT_USER, pf::sim::SimSpooler::ProfileKeyPath(L"windows"), L"Device",
                               &device)) {
    return nullptr;
  }
  return Utf8(device);
}

Json Faults(pf::sim::SimPc& pc, const std::vector<FaultPlan>& faults) {
  Json list = Json::array();
  const std::vector<std::string> calls = pc.kernel().Calls();
  for (const FaultPlan& fault : faults) {
    Json entry = {{"call", fault.call}, {"error", fault.error}};
    if (fault.occurrence >= 0) entry["occurrence"] = fault.occurrence;
    entry["callsMade"] = std::count(calls.begin(), calls.end(), fault.call);
    list.push_back(entry);
  }
  return list;
}

std::string Registry(pf::sim::SimPc& pc) {
  std::string text = pc.registry().ExportRegText(pf::HKEY_LOCAL_MACHINE, L"");
  const std::string user = pc.registry().ExportRegText(pf::HKEY_CURRENT_USER, L"");
  return text + user.substr(pf::sim::FormatRegHeader().size());
}

std::string Outcome(const SetupRun& run, const std::string& helperService) {
  if (!run.wizardShown) return "setup ended at start-up";
  if (run.stuck) return "the wizard did not close";
  if (run.closedWith == "cancel") return "cancelled";
  if (!run.install) return "the wizard did not close";
  if (run.install->resultCode != 0) return "failed with result code " + std::to_string(run.install->resultCode);
  if (helperService == "failed") return "installed, but the helper service failed";
  if (helperService != "ran") return "installed, but the helper service was not deployed";
  return "installed";
}

// The outcome of a run with a command line, from setup's exit code.
std::string CommandLineOutcome(const SetupRun& run, const std::wstring& commandLine, const std::string& helperService) {
  CommandLine line;
  std::wstring bad;
  if (!ParseCommandLine(text::SplitArguments(commandLine), &line, &bad) || line.usage) {
    return "bad command line, exit code " + std::to_string(run.exitCode);
  }
  if (line.uninstall) {
    return run.exitCode == 0 ? "removed" : "not all removed, exit code " + std::to_string(run.exitCode);
  }
  if (!line.quiet) return Outcome(run, helperService);
  switch (run.exitCode) {
    case 0: return "installed";
    case 1: return "setup ended at start-up";
    case 4: return "installed, but the helper service failed";
    default: return "failed with result code " + std::to_string(run.exitCode);
  }
}

}  // namespace

SetupRun RunSetup(const std::vector<std::uint8_t>& resources, const UserPlan& user, Timeline& timeline) {
  TheSetupContext() = SetupContext();
  WizardDriver windows(resources, user, timeline);
  fw::ScopedWindows scopedWindows(&windows);
  windows.Start();
  SetupApp app;
  app.InitInstance();
  SetupRun run{app.ExitInstance(), windows.wizardShown(), windows.stuck(), windows.closedWith(), windows.lastInstall()};
  run.windowsLeft = windows.LiveWindows();
  run.gdiObjectsLeft = windows.LiveGdiObjects();
  run.dcsLeft = windows.LiveDcs();
  run.cursorsLeft = windows.LiveCursors();
  run.modulesLeft = windows.LiveModules();
  return run;
}

RunResult RunScenario(const Scenario& scenario) {
  const std::vector<std::uint8_t> resources = SetupResources();
  SimulatedPc simulated(scenario, resources);
  pf::sim::SimPc& pc = simulated.pc();
  Timeline timeline(pc.kernel());
  RecordingServices services(pc.services(), timeline);
  RecordingFiles files(pc.files(), timeline);
  RecordingProcess process(pc.process(), timeline);
  pf::Platform platform = pc.platform();
  platform.services = &services;
  platform.files = &files;
  platform.process = &process;

  SetupRun last;
  std::size_t lastRunOperations = 0;
  {
    pf::ScopedPlatform scopedPlatform(platform);
    for (int run = 1; run <= scenario.runs; ++run) {
      if (scenario.runs > 1) timeline.Add({{"run", run}});
      lastRunOperations = services.Operations().size();
      if (!scenario.commandLines.empty()) {
        const std::wstring& arguments = scenario.commandLines[scenario.commandLines.size() == 1 ? 0 : run - 1];
        pc.system().SetCommandLine(L"\"" + scenario.setupPath + L"\"" + (arguments.empty() ? L"" : L" " + arguments));
        timeline.Add({{"commandLine", Utf8(arguments)}});
      }
      last = RunSetup(resources, scenario.user, timeline);
      if (!scenario.commandLines.empty()) timeline.Add({{"setupExitCode", last.exitCode}});
    }
    // Service threads still running would call into whatever platform comes next.
    pc.services().EndProcesses();
  }
  CompletePrintUiEvents(timeline, process, simulated.printUi());

  std::vector<RecordingServices::Operation> operations = services.Operations();
  operations.erase(operations.begin(), operations.begin() + static_cast<std::ptrdiff_t>(lastRunOperations));
  const std::string helperService = HelperServiceVerdict(operations);
  const std::string outcome = scenario.commandLines.empty()
                                  ? Outcome(last, helperService)
                                  : CommandLineOutcome(last, scenario.commandLines.back(), helperService);
  const std::optional<InstallOutcome>& install = last.install;

  RunResult result;
  result.exitCode = outcome == "installed" || outcome == "removed" ? kExitInstalled : kExitNotInstalled;
  result.virtualMs = pc.kernel().Now();
  Json& t = result.transcript;
  t["scenario"] = scenario.fileName;
  if (!scenario.description.empty()) t["description"] = scenario.description;
  t["installFolder"] = scenario.installFolder.empty() ? "(the sample package)" : scenario.installFolder;
  t["timeline"] = timeline.Events();
  t["resultCode"] = install ? Json(install->resultCode) : Json();
  t["finalPrinterName"] =
      install && !install->finalPrinterName.empty() ? Json(Utf8(install->finalPrinterName)) : Json();
  t["defaultPrinter"] = DefaultPrinter(pc);
  if (outcome != "removed" && outcome.rfind("not all removed", 0) != 0) t["helperService"] = helperService;
  t["printers"] = Printers(pc);
  t["filesWritten"] = FilesWritten(pc, files.Written());
  if (!scenario.commandLines.empty()) {
    t["setupLog"] = SetupLog(pc, files.Written());
    t["setupExitCode"] = last.exitCode;
  }
  Json broadcasts = Json::array();
  for (const pf::sim::BroadcastRecord& broadcast : pc.spooler().broadcasts()) broadcasts.push_back(broadcast.time);
  t["settingBroadcastsMs"] = broadcasts;
  if (!scenario.faults.empty()) t["faults"] = Faults(pc, scenario.faults);
  t["virtualMs"] = result.virtualMs;
  t["outcome"] = outcome;
  t["exitCode"] = result.exitCode;
  result.registry = Registry(pc);
  return result;
}

std::string FormatTranscript(const Json& transcript) {
  auto dump = [](const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); };
  std::string out = "{";
  bool first = true;
  for (const auto& [key, value] : transcript.items()) {
    out += first ? "\n  " : ",\n  ";
    first = false;
    out += dump(key) + ": ";
    const bool listOfLines =
        value.is_array() && !value.empty() && (value.front().is_object() || value.front().is_string());
    if (!listOfLines) {
      out += dump(value);
      continue;
    }
    out += "[";
    for (std::size_t i = 0; i < value.size(); ++i) out += (i == 0 ? "\n    " : ",\n    ") + dump(value[i]);
    out += "\n  ]";
  }
  return out + "\n}\n";
}

}  // namespace tqsim
