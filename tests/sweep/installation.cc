#include "tests/sweep/installation.h"

#include <algorithm>

#include "common/text/utf.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_usb_printer.h"
#include "tools/tqsim/embedded.h"
#include "tools/tqsim/run.h"

namespace sweep {
namespace {

const wchar_t kInstalledLine[] = L"安装成功，请点击“完成”退出";
const wchar_t kFailedLine[] = L"安装失败，请点击“上一步”返回或点击“完成”退出";
const wchar_t kClassGuid[] = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kClassKey = std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kClassGuid;

// setup.exe's resources, read once.
const std::vector<std::uint8_t>& Resources() {
  static const std::vector<std::uint8_t> resources = tqsim::SetupResources();
  return resources;
}

std::wstring DefaultEntry(pf::sim::SimPc& pc) {
  std::wstring device;
  pc.registry().GetString(pf::HKEY_CURRENT_USER, pf::sim::SimSpooler::ProfileKeyPath(L"windows"), L"device", &device);
  return device;
}

// Counts the device instances bound to an existing printer class instance,
// and those with a "Driver" or "Mfg" value but no such binding.
void CountBindings(pf::sim::SimRegistry& reg, Outcome* outcome) {
  const std::wstring prefix = std::wstring(kClassGuid) + L"\\";
  for (const wchar_t* enumerator : {L"USBPRINT", L"LPTENUM"}) {
    const std::wstring root = std::wstring(L"SYSTEM\\CurrentControlSet\\Enum\\") + enumerator;
    for (const std::wstring& device : reg.SubkeyNames(pf::HKEY_LOCAL_MACHINE, root)) {
      for (const std::wstring& instance : reg.SubkeyNames(pf::HKEY_LOCAL_MACHINE, root + L"\\" + device)) {
        const std::wstring path = root + L"\\" + device + L"\\" + instance;
        std::wstring driver, maker;
        const bool hasDriver = reg.GetString(pf::HKEY_LOCAL_MACHINE, path, L"Driver", &driver);
        const bool hasMaker = reg.GetString(pf::HKEY_LOCAL_MACHINE, path, L"Mfg", &maker);
        const bool bound = hasDriver && driver.size() > prefix.size() && driver.compare(0, prefix.size(), prefix) == 0 &&
                           reg.KeyExists(pf::HKEY_LOCAL_MACHINE, kClassKey + L"\\" + driver.substr(prefix.size()));
        if (bound) {
          ++outcome->devicesBound;
        } else if (hasDriver || hasMaker) {
          ++outcome->devicesHalfBound;
        }
      }
    }
  }
}

bool StatusShown(const tqsim::Json& events, const wchar_t* line) {
  const std::string text = tqsim::Utf8(line);
  return std::any_of(events.begin(), events.end(),
                     [&](const tqsim::Json& event) { return event.contains("status") && event["status"] == text; });
}

std::string Narrow(const std::wstring& text) { return text::Utf16ToUtf8(text); }

}  // namespace

std::string Describe(const Fault& fault) {
  return fault.call + " #" + std::to_string(fault.occurrence) + " (error " + std::to_string(fault.error) + ")";
}

std::string Describe(const Outcome& o) {
  std::string line;
  if (o.commandLine) {
    line = o.windowShown ? "a window shown" : "no window";
  } else if (!o.wizardShown) {
    line = o.closedWith.empty() ? "setup ended at start-up" : "the frame showed no page, closed with '" + o.closedWith + "'";
  } else {
    line = o.resultCode ? "result " + std::to_string(*o.resultCode) : std::string("no install run");
    if (o.installedLine) line += ", installed line";
    if (o.failedLine) line += ", failed line";
    if (o.closedWith != "finish") line += ", closed with '" + o.closedWith + "'";
  }
  for (const std::wstring& message : o.messages) line += ", box \"" + Narrow(message) + "\"";
  for (const std::wstring& printer : o.printersAdded) line += ", added \"" + Narrow(printer) + "\"";
  if (o.defaultAfter != o.defaultBefore) line += ", default \"" + Narrow(o.defaultAfter) + "\"";
  if (o.devicesBound) line += ", " + std::to_string(o.devicesBound) + " device(s) bound";
  if (o.devicesHalfBound) line += ", " + std::to_string(o.devicesHalfBound) + " device(s) half bound";
  if (o.stagedLeft) line += ", staged values left";
  if (o.helperStarted) line += ", helper started";
  if (o.registrationLeft) line += o.helperStillRunning ? ", helper still running" : ", registration left";
  if (o.openHandles) line += ", " + std::to_string(o.openHandles) + " handle(s) open";
  if (o.localBlocks) line += ", " + std::to_string(o.localBlocks) + " local block(s) held";
  if (o.windowsLeft) line += ", " + std::to_string(o.windowsLeft) + " window(s) left";
  if (o.gdiObjectsLeft) line += ", " + std::to_string(o.gdiObjectsLeft) + " GDI object(s) left";
  if (o.dcsLeft) line += ", " + std::to_string(o.dcsLeft) + " device context(s) left";
  if (o.cursorsLeft) line += ", " + std::to_string(o.cursorsLeft) + " cursor(s) or module(s) left";
  if (o.pendingTransfers) line += ", " + std::to_string(o.pendingTransfers) + " USB transfer(s) pending";
  return line;
}

const wchar_t kOtherFile[] = L"C:\\Program Files\\Common Files\\Services\\Other.dll";

Installation::Installation(const tqsim::Scenario& scenario)
    : user_(scenario.user),
      setupPath_(scenario.setupPath),
      simulated_(scenario, Resources()),
      scope_(simulated_.pc().platform()) {
  // Another program's file beside Spoolmate's, which no removal may touch.
  simulated_.pc().files().WriteFileBytes(kOtherFile, "another program's");
}

Installation::~Installation() { simulated_.pc().services().EndProcesses(); }

void Installation::Restart() { simulated_.pc().Restart(); }

std::wstring Installation::PortOf(const std::wstring& printer) {
  const std::optional<pf::sim::SimPrinter> found = simulated_.pc().spooler().Printer(printer);
  return found ? found->port : std::wstring();
}

Outcome Installation::Run(const std::optional<Fault>& fault, const std::wstring& arguments) {
  pf::sim::SimPc& pc = simulated_.pc();
  pc.system().SetCommandLine(L"\"" + setupPath_ + L"\"" + (arguments.empty() ? L"" : L" " + arguments));
  const std::wstring logPath = L"C:\\WINDOWS\\Temp\\TQPrinterSetup.log";
  pc.files().DeleteFileW(logPath.c_str());
  Outcome outcome;
  const std::vector<std::wstring> printersBefore = pc.spooler().PrinterNames();
  const std::size_t boxesBefore = pc.system().messageBoxes().size();
  const std::size_t startsBefore = pc.services().StartedPrograms().size();
  outcome.defaultBefore = DefaultEntry(pc);

  pc.kernel().ClearFaults();
  pc.kernel().ClearCalls();
  if (fault) pc.kernel().FailCall(fault->call, fault->error, fault->occurrence);
  tqsim::Timeline timeline(pc.kernel());
  const tqsim::SetupRun run = tqsim::RunSetup(Resources(), user_, timeline);
  pc.kernel().ClearFaults();
  calls_ = pc.kernel().Calls();

  outcome.exitCode = run.exitCode;
  outcome.commandLine = !arguments.empty();
  outcome.wizardShown = run.wizardShown;
  for (const tqsim::Json& event : timeline.Events()) {
    for (const char* shown : {"page", "title", "status", "messageBox"}) {
      if (event.contains(shown)) outcome.windowShown = true;
    }
  }
  pc.files().ReadFileBytes(logPath, &outcome.log);
  outcome.printers = pc.spooler().PrinterNames();
  outcome.driverInstalled = pc.spooler().HasDriver(L"TAVIR TQ-5800");
  std::string bytes;
  for (const wchar_t* name : {L"Spoolmate.exe", L"Spoolmate.log"}) {
    if (pc.files().ReadFileBytes(std::wstring(L"C:\\Program Files\\Common Files\\Services\\") + name, &bytes)) {
      outcome.spoolmateFilesLeft = true;
    }
  }
  outcome.otherFilesKept = pc.files().ReadFileBytes(kOtherFile, &bytes) &&
                           pc.files().ReadFileBytes(setupPath_.substr(0, setupPath_.rfind(L'\\')) + L"\\TQPRINTER.INF", &bytes);
  outcome.windowsLeft = run.windowsLeft;
  outcome.gdiObjectsLeft = run.gdiObjectsLeft;
  outcome.dcsLeft = run.dcsLeft;
  outcome.cursorsLeft = run.cursorsLeft + run.modulesLeft;
  outcome.closedWith = run.closedWith;
  if (run.install) outcome.resultCode = run.install->resultCode;
  const tqsim::Json events = timeline.Events();
  outcome.installedLine = StatusShown(events, kInstalledLine);
  outcome.failedLine = StatusShown(events, kFailedLine);
  const std::vector<pf::sim::MessageBoxRecord>& boxes = pc.system().messageBoxes();
  for (std::size_t i = boxesBefore; i < boxes.size(); ++i) outcome.messages.push_back(boxes[i].text);
  for (const std::wstring& printer : pc.spooler().PrinterNames()) {
    if (std::find(printersBefore.begin(), printersBefore.end(), printer) == printersBefore.end()) {
      outcome.printersAdded.push_back(printer);
    }
  }
  outcome.defaultAfter = DefaultEntry(pc);
  CountBindings(pc.registry(), &outcome);
  for (const std::wstring& name : pc.registry().ValueNames(pf::HKEY_LOCAL_MACHINE, kClassKey)) {
    if (!name.empty() && name[0] == L'_') outcome.stagedLeft = true;
  }
  for (const std::wstring& name : pc.services().ServiceNames()) {
    outcome.registrationLeft = true;
    pf::sim::SimServiceRegistration registration;
    if (pc.services().GetRegistration(name, &registration) && registration.markedForDelete) {
      outcome.helperStillRunning = true;
    }
  }
  outcome.helperStarted = pc.services().StartedPrograms().size() > startsBefore;
  outcome.openHandles = pc.kernel().OpenHandleCount();
  outcome.localBlocks = pc.system().LocalBlockCount();
  for (const auto& printer : simulated_.usbPrinters()) outcome.pendingTransfers += printer->PendingTransfers();
  return outcome;
}

bool ReadExample(const std::string& fileName, tqsim::Scenario* scenario, std::string* error) {
  return tqsim::ReadScenario(std::string(TQSIM_EXAMPLES) + "/" + fileName, scenario, error);
}

}  // namespace sweep
