#include "platform/sim/sim_print_ui.h"

#include <algorithm>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_system.h"
#include "common/inf/inf_sections.h"
#include "common/text/case_fold.h"
#include "common/text/utf.h"

namespace pf::sim {
namespace {

constexpr DWORD kRefused = 1;

// The text of an INF file: UTF-16LE or UTF-8 after a byte-order mark, else ANSI.
std::wstring DecodeInf(const std::string& bytes, SimKernel& kernel) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return text::FromUtf16LeBytes(std::string_view(bytes).substr(2));
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return text::Utf8ToUtf16(std::string_view(bytes).substr(3));
  return kernel.FromAnsi(bytes);
}

// rundll32's part of the command line: the program, then "dll,entry"; true
// when that is the print UI's entry point, with what follows it in *rest.
bool PrintUiEntryPoint(const std::wstring& commandLine, std::wstring* rest) {
  std::size_t at = commandLine.find_first_not_of(L" \t");
  if (at == std::wstring::npos) return false;
  if (commandLine[at] == L'"') {
    at = commandLine.find(L'"', at + 1);
    at = at == std::wstring::npos ? commandLine.size() : at + 1;
  } else {
    at = commandLine.find_first_of(L" \t", at);
    if (at == std::wstring::npos) at = commandLine.size();
  }
  const std::size_t begin = commandLine.find_first_not_of(L" \t", at);
  if (begin == std::wstring::npos) return false;
  std::size_t end = commandLine.find_first_of(L" \t", begin);
  if (end == std::wstring::npos) end = commandLine.size();
  const std::wstring target = commandLine.substr(begin, end - begin);
  const std::size_t comma = target.find(L',');
  if (comma == std::wstring::npos) return false;
  const std::wstring library = text::Upper(target.substr(0, comma));
  if ((library != L"PRINTUI.DLL" && library != L"PRINTUI") || target.substr(comma + 1) != L"PrintUIEntry") {
    return false;
  }
  *rest = commandLine.substr(end);
  return true;
}

}  // namespace

struct SimPrintUi::State {
  enum class Outcome { Add, Nothing, OtherName, Fail };

  explicit State(SimPc& pc) : pc(pc) {}
  // redirected: the system directory's rundll32.exe of a 64-bit PC.
  DWORD Run(const SimProcessStart& start, bool redirected);
  void Act(PrintUiRun* run);
  void Install(PrintUiRun* run);
  void PrintTestPage(PrintUiRun* run);
  static void Refuse(PrintUiRun* run, const std::wstring& why) {
    run->refused = why;
    run->exitCode = kRefused;
  }

  SimPc& pc;
  std::wstring imagePath;
  bool wow64 = false;
  Outcome outcome = Outcome::Add;
  std::wstring otherName;
  DWORD failCode = 0;
  DWORD duration = 0;
  std::vector<PrintUiRun> runs;
  std::vector<std::wstring> testPages;
};

DWORD SimPrintUi::State::Run(const SimProcessStart& start, bool redirected) {
  PrintUiRun run;
  run.imagePath = start.imagePath;
  run.commandLine = start.commandLine;
  run.started = pc.kernel().Now();
  if (duration > 0) pc.kernel().AdvanceClock(duration);
  if (redirected) {
    Refuse(&run, L"the 32-bit print UI of a 64-bit Windows makes no printer");
  } else {
    Act(&run);
  }
  run.ended = pc.kernel().Now();
  runs.push_back(run);
  return run.exitCode;
}

void SimPrintUi::State::Act(PrintUiRun* run) {
  std::wstring rest;
  if (!PrintUiEntryPoint(run->commandLine, &rest)) return Refuse(run, L"not the print UI entry point");
  run->arguments = SplitArguments(rest);
  const std::vector<std::wstring>& arguments = run->arguments;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument.size() < 2 || argument[0] != L'/') return Refuse(run, L"not a switch: " + argument);
    const std::wstring name = argument.substr(1);
    if (name == L"if") {
      run->install = true;
    } else if (name == L"k") {
      run->testPage = true;
    } else if (name == L"z") {
      run->shared = false;
    } else if (name == L"q" || name == L"u" || name == L"w" || name == L"Y") {
      // quiet, use an installed driver, prompt for a driver, no default: nothing to simulate
    } else if (std::wstring(L"bfrmn").find(name[0]) != std::wstring::npos) {
      std::wstring value;
      if (name.size() > 1) {
        value = name.substr(1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        return Refuse(run, L"no value for " + argument);
      }
      std::wstring* field = name[0] == L'b'   ? &run->baseName
                            : name[0] == L'f' ? &run->infPath
                            : name[0] == L'r' ? &run->port
                            : name[0] == L'm' ? &run->model
                                              : &run->printerName;
      *field = value;
    } else {
      return Refuse(run, L"unknown switch " + argument);
    }
  }
  if (run->install == run->testPage) return Refuse(run, L"needs one of /if and /k");
  if (outcome == Outcome::Fail) {
    run->refused = L"failed as the test asked";
    run->exitCode = failCode;
    return;
  }
  if (run->install) return Install(run);
  PrintTestPage(run);
}

void SimPrintUi::State::Install(PrintUiRun* run) {
  for (const auto& [value, switchName] : {std::pair{&run->baseName, L"/b"}, std::pair{&run->infPath, L"/f"},
                                          std::pair{&run->port, L"/r"}, std::pair{&run->model, L"/m"}}) {
    if (value->empty()) return Refuse(run, std::wstring(L"missing ") + switchName);
  }
  std::string bytes;
  if (!pc.files().ReadFileBytes(run->infPath, &bytes)) return Refuse(run, L"no INF file " + run->infPath);
  const std::wstring architecture = wow64 ? L"amd64" : L"x86";
  if (!InfNamesModel(DecodeInf(bytes, pc.kernel()), run->model, architecture)) {
    return Refuse(run, L"the INF does not name the model " + run->model + L" for " + architecture);
  }
  if (outcome == Outcome::Nothing) {
    run->refused = L"added nothing as the test asked";
    return;
  }
  SimSpooler& spooler = pc.spooler();
  const std::wstring name =
      CopyName(outcome == Outcome::OtherName ? otherName : run->baseName, spooler.PrinterNames());
  if (!spooler.AddPrinter(name, run->port, run->model)) return Refuse(run, L"the spooler refused " + name);
  run->added = name;
}

void SimPrintUi::State::PrintTestPage(PrintUiRun* run) {
  if (!pc.spooler().Printer(run->printerName)) return Refuse(run, L"no printer named " + run->printerName);
  testPages.push_back(run->printerName);
}

SimPrintUi::SimPrintUi(SimPc& pc) : state_(std::make_shared<State>(pc)) {
  const std::wstring& system = pc.shellFolders().systemDirectory();
  state_->imagePath = system + (!system.empty() && system.back() == L'\\' ? L"" : L"\\") + L"rundll32.exe";
  std::shared_ptr<State> state = state_;
  pc.kernel().RegisterProgram(state_->imagePath,
                              [state](const SimProcessStart& start) { return state->Run(start, state->wow64); });
}

void SimPrintUi::MakeWow64Pc(bool sysnative) {
  state_->pc.system().SetWow64(true);
  state_->wow64 = true;
  if (!sysnative) return;
  std::wstring windows = state_->pc.shellFolders().systemDirectory();
  while (!windows.empty() && windows.back() == L'\\') windows.pop_back();
  windows.erase(std::min(windows.size(), windows.rfind(L'\\')));
  state_->imagePath = windows + L"\\Sysnative\\rundll32.exe";
  std::shared_ptr<State> state = state_;
  state_->pc.kernel().RegisterProgram(state_->imagePath,
                                      [state](const SimProcessStart& start) { return state->Run(start, false); });
}

SimPrintUi::~SimPrintUi() = default;

void SimPrintUi::AddsThePrinter() { state_->outcome = State::Outcome::Add; }

void SimPrintUi::AddsNothing() { state_->outcome = State::Outcome::Nothing; }

void SimPrintUi::AddsPrinterNamed(const std::wstring& name) {
  state_->outcome = State::Outcome::OtherName;
  state_->otherName = name;
}

void SimPrintUi::Fails(DWORD exitCode) {
  state_->outcome = State::Outcome::Fail;
  state_->failCode = exitCode;
}

void SimPrintUi::Takes(DWORD milliseconds) { state_->duration = milliseconds; }

const std::vector<PrintUiRun>& SimPrintUi::runs() const { return state_->runs; }

const std::vector<std::wstring>& SimPrintUi::testPages() const { return state_->testPages; }

const std::wstring& SimPrintUi::imagePath() const { return state_->imagePath; }

std::vector<std::wstring> SimPrintUi::SplitArguments(const std::wstring& text) {
  std::vector<std::wstring> arguments;
  std::wstring current;
  bool inArgument = false;
  bool quoted = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (!quoted && (c == L' ' || c == L'\t')) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == L'\\') {
      // Backslashes escape only a quote: 2n then a quote give n and a
      // delimiting quote, 2n + 1 give n and a literal quote.
      std::size_t count = 0;
      while (i < text.size() && text[i] == L'\\') ++count, ++i;
      if (i < text.size() && text[i] == L'"') {
        current.append(count / 2, L'\\');
        if (count % 2 == 1) {
          current += L'"';
          ++i;
        }
      } else {
        current.append(count, L'\\');
      }
    } else if (c == L'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {  // "" inside quotes: one literal quote
        current += L'"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else {
      current += c;
      ++i;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

std::wstring SimPrintUi::CopyName(const std::wstring& base, const std::vector<std::wstring>& existing) {
  auto taken = [&existing](const std::wstring& name) {
    return std::any_of(existing.begin(), existing.end(), [&name](const std::wstring& e) { return text::EqualsNoCase(e, name); });
  };
  if (!taken(base)) return base;
  for (unsigned number = 1;; ++number) {
    const std::wstring candidate = base + L" (副本 " + std::to_wstring(number) + L")";
    if (!taken(candidate)) return candidate;
  }
}

bool SimPrintUi::InfNamesModel(const std::wstring& infText, const std::wstring& model,
                               const std::wstring& architecture) {
  const inf::Sections sections = inf::ReadSections(infText);
  for (const std::wstring& name : inf::ModelsSections(sections, architecture)) {
    for (const std::wstring& entry : sections.at(name)) {
      std::wstring key, install;
      if (inf::SplitEntry(entry, &key, &install) && text::EqualsNoCase(inf::KeyText(sections, key), model)) return true;
    }
  }
  return false;
}

}  // namespace pf::sim
