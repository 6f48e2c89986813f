#include "tools/tqsim/simulated_pc.h"

#include <string>

#include "common/text/utf.h"
#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_system.h"
#include "service/service_host.h"
#include "tools/tqsim/timeline.h"

namespace tqsim {
namespace {

void PlacePrinter(pf::sim::SimPc& pc, const std::shared_ptr<pf::sim::SimUsbPrinter>& printer,
                  const UsbPrinterPlan& plan) {
  printer->SetReply(plan.reply);
  for (const pf::sim::UsbTransfer& transfer : plan.writes) printer->ScriptWrite(transfer);
  for (const pf::sim::UsbTransfer& transfer : plan.reads) printer->ScriptRead(transfer);
  if (plan.appearsAtMs == 0) {
    printer->PlugIn();
  } else {
    printer->PlugInAfter(plan.appearsAtMs);
  }
  if (plan.unpluggedAtMs) {
    std::weak_ptr<pf::sim::SimUsbPrinter> weak = printer;
    pc.kernel().ScheduleIn(*plan.unpluggedAtMs, [weak] {
      if (auto plugged = weak.lock()) plugged->Unplug();
    });
  }
}

void SetPrintUi(pf::sim::SimPrintUi& printUi, const PrintUiPlan& plan) {
  switch (plan.behaviour) {
    case PrintUiPlan::Behaviour::kAdds: printUi.AddsThePrinter(); break;
    case PrintUiPlan::Behaviour::kAddsNothing: printUi.AddsNothing(); break;
    case PrintUiPlan::Behaviour::kAddsNamed: printUi.AddsPrinterNamed(plan.name); break;
    case PrintUiPlan::Behaviour::kFails: printUi.Fails(plan.exitCode); break;
    case PrintUiPlan::Behaviour::kNeverEnds: printUi.NeverEnds(); break;
  }
  printUi.Takes(plan.takesMs);
}

}  // namespace

SimulatedPc::SimulatedPc(const Scenario& s, const std::vector<std::uint8_t>& resources) : printUi_(pc_) {
  pc_.system().SetModulePath(s.setupPath);
  const std::wstring folder = s.setupPath.substr(0, s.setupPath.rfind(L'\\'));
  for (const ScenarioFile& file : s.installFiles) {
    pc_.files().WriteFileBytes(folder + L"\\" + text::Utf8ToUtf16(file.shownName), file.bytes);
  }
  pc_.resources().SetModuleResources(resources);

  for (const ScenarioFile& seed : s.seeds) {
    std::string ignored;  // the scenario's reader has checked every line
    pc_.registry().ImportRegText(seed.bytes, &ignored);
  }
  pc_.system().SetVersion(s.windows.major, s.windows.minor, s.windows.build, s.windows.platformId);
  pc_.system().SetGetVersionFails(s.windows.probeFails);
  if (s.windows.wow64) printUi_.MakeWow64Pc();
  if (s.inputCodePage) pc_.codePages().SetInputLocaleAnsiCodePage(*s.inputCodePage);
  pc_.kernel().SetTimerPeriod(s.clock.timerPeriodUs);
  pc_.kernel().SetTickCount(s.clock.startMs);
  pc_.shellFolders().SetSpecialFolder(pf::CSIDL_PROGRAM_FILES_COMMON, s.commonProgramFiles.value_or(L""));

  for (const UsbPrinterPlan& plan : s.usbPrinters) {
    usbPrinters_.push_back(pf::sim::SimUsbPrinter::Create(pc_, plan.seed));
    PlacePrinter(pc_, usbPrinters_.back(), plan);
  }
  for (const ExistingPrinter& printer : s.printers) {
    pc_.spooler().AddDriver(printer.driver);
    pc_.spooler().AddPrinter(printer.name, printer.port, printer.driver);
  }
  SetPrintUi(printUi_, s.printUi);
  // Wherever setup writes Spoolmate.exe, the service manager runs the Spoolmate logic from it.
  pc_.services().RegisterProgram(L"Spoolmate.exe", spoolmate::RunSpoolmate);

  pc_.kernel().ClearFaults();
  for (const FaultPlan& fault : s.faults) pc_.kernel().FailCall(fault.call, fault.error, fault.occurrence);
  pc_.kernel().ClearCalls();
}

}  // namespace tqsim
