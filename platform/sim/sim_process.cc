#include "platform/sim/sim_process.h"

#include <algorithm>
#include <cwctype>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_system.h"
#include "common/text/case_fold.h"

namespace pf::sim {
namespace {

constexpr INT_PTR kShellStarted = 42;
constexpr UINT kWinExecStarted = 33;

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L""; }

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// ".EXE" and the like, upper case; empty when the file name has none.
std::wstring ExtensionOf(const std::wstring& path) {
  const std::wstring name = FileNameOf(path);
  const std::size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? std::wstring() : text::Upper(name.substr(dot));
}

// The path with backslashes only and its "." and ".." parts resolved.
std::wstring Normalized(std::wstring path) {
  std::wstring prefix;  // a UNC path's two leading backslashes
  if (path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/')) {
    prefix = L"\\\\";
    path.erase(0, 2);
  }
  std::vector<std::wstring> parts;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = path.find_first_of(L"\\/", begin);
    const std::wstring part = path.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
    if (part == L"..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (part != L"." && !(part.empty() && !parts.empty() && end != std::wstring::npos)) {
      parts.push_back(part);
    }
    if (end == std::wstring::npos) break;
    begin = end + 1;
  }
  std::wstring joined;
  for (std::size_t i = 0; i < parts.size(); ++i) joined += (i > 0 ? L"\\" : L"") + parts[i];
  return prefix + joined;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return Normalized(folder.back() == L'\\' ? folder + name : folder + L'\\' + name);
}

bool IsFullPath(const std::wstring& name) {
  return (name.size() >= 2 && name[1] == L':') || (!name.empty() && (name[0] == L'\\' || name[0] == L'/'));
}

// "http://..." and other "scheme:" names; a drive letter is not a scheme.
bool IsUrl(const std::wstring& name, std::wstring* scheme) {
  const std::size_t colon = name.find(L':');
  if (colon == std::wstring::npos || colon < 2 || !std::iswalpha(name[0])) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const wchar_t c = name[i];
    if (!std::iswalnum(c) && c != L'+' && c != L'-' && c != L'.') return false;
  }
  *scheme = name.substr(0, colon);
  return true;
}

std::wstring Quoted(const std::wstring& path) {
  return path.find(L' ') != std::wstring::npos ? L"\"" + path + L"\"" : path;
}

// The program part of a command line (quoted, or up to the first blank).
std::wstring ProgramPart(const std::wstring& line) {
  std::size_t begin = line.find_first_not_of(L" \t");
  if (begin == std::wstring::npos) return std::wstring();
  if (line[begin] == L'"') {
    const std::size_t end = line.find(L'"', begin + 1);
    return line.substr(begin + 1, end == std::wstring::npos ? std::wstring::npos : end - begin - 1);
  }
  const std::size_t end = line.find_first_of(L" \t", begin);
  return line.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
}

// An open command with its placeholders (%1, %L) replaced by the target.
std::wstring Expand(const std::wstring& command, const std::wstring& target) {
  std::wstring line;
  for (std::size_t i = 0; i < command.size(); ++i) {
    if (command[i] == L'%' && i + 1 < command.size() && (command[i + 1] == L'1' || command[i + 1] == L'L')) {
      line += target;
      ++i;
    } else {
      line += command[i];
    }
  }
  return line;
}

// The shell's code for an error that kept a program from starting.
INT_PTR ShellCode(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY: return SE_ERR_OOM;
    case ERROR_BAD_EXE_FORMAT: return ERROR_BAD_FORMAT;
    case ERROR_SHARING_VIOLATION: return SE_ERR_SHARE;
    case ERROR_NO_ASSOCIATION: return SE_ERR_NOASSOC;
    case ERROR_DDE_FAIL: return SE_ERR_DDEFAIL;
    case ERROR_DLL_NOT_FOUND: return SE_ERR_DLLNOTFOUND;
    default: return error <= 32 ? static_cast<INT_PTR>(error) : 0;
  }
}

UINT WinExecCode(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return error;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_BAD_FORMAT: return ERROR_BAD_FORMAT;
    default: return 0;
  }
}

}  // namespace

class SimProcess::Process : public KernelObject {
 public:
  ObjectKind kind() const override { return ObjectKind::Process; }
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return ended_; }
  void End(DWORD exitCode) {
    exitCode_ = exitCode;
    ended_ = true;
  }
  bool ended() const { return ended_; }
  DWORD exitCode() const { return ended_ ? exitCode_ : STILL_ACTIVE; }

 private:
  bool ended_ = false;
  DWORD exitCode_ = 0;
};

SimProcess::SimProcess(SimKernel& kernel, SimSystem& system, SimFiles& files, SimShellFolders& folders,
                       SimRegistry& registry)
    : kernel_(kernel), system_(system), files_(files), folders_(folders), registry_(registry) {}

SimProcess::~SimProcess() = default;

BOOL SimProcess::ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  auto lock = kernel_.Lock();
  const DWORD fault = kernel_.Enter("ShellExecuteExW");
  if (info == nullptr) return kernel_.Fail(fault != 0 ? fault : ERROR_INVALID_PARAMETER);
  if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = 0;
  if (fault == 0 && info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
    info->hInstApp = SE_ERR_ACCESSDENIED;
    return kernel_.Fail(ERROR_ACCESS_DENIED);
  }
  ProcessStartRecord record;
  record.api = StartApi::ShellExecuteExW;
  record.verb = Text(info->lpVerb);
  record.file = Text(info->lpFile);
  record.parameters = Text(info->lpParameters);
  record.directory = Text(info->lpDirectory);
  record.show = info->nShow;
  record.time = kernel_.Now();
  std::shared_ptr<Process> process;
  if (fault != 0) {
    record.error = fault;
  } else {
    process = Start(&record);
  }
  starts_.push_back(record);
  if (!process) {
    info->hInstApp = static_cast<std::uintptr_t>(ShellCode(record.error));
    return kernel_.Fail(record.error);
  }
  info->hInstApp = kShellStarted;
  if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = kernel_.Insert(process);
  return TRUE;
}

BOOL SimProcess::GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("GetExitCodeProcess")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<Process>(process, {ObjectKind::Process});
  if (!object) return FALSE;
  if (exitCode == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  *exitCode = object->exitCode();
  return TRUE;
}

BOOL SimProcess::TerminateProcess(HANDLE process, UINT exitCode) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("TerminateProcess")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<Process>(process, {ObjectKind::Process});
  if (!object) return FALSE;
  if (object->ended()) return kernel_.Fail(ERROR_ACCESS_DENIED);
  object->End(exitCode);
  return TRUE;
}

INT_PTR SimProcess::ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                                  const wchar_t* directory, int show) {
  auto lock = kernel_.Lock();
  ProcessStartRecord record;
  record.api = StartApi::ShellExecuteW;
  record.verb = Text(verb);
  record.file = Text(file);
  record.parameters = Text(parameters);
  record.directory = Text(directory);
  record.show = show;
  record.time = kernel_.Now();
  if (DWORD fault = kernel_.Enter("ShellExecuteW")) {
    record.error = fault;
  } else {
    Start(&record);
  }
  starts_.push_back(record);
  if (!record.started) {
    kernel_.SetLastError(record.error);
    return ShellCode(record.error);
  }
  return kShellStarted;
}

UINT SimProcess::WinExec(const char* commandLine, UINT show) {
  auto lock = kernel_.Lock();
  ProcessStartRecord record;
  record.api = StartApi::WinExec;
  record.commandLine = kernel_.FromAnsi(commandLine != nullptr ? commandLine : "");
  record.file = ProgramPart(record.commandLine);
  record.show = static_cast<int>(show);
  record.time = kernel_.Now();
  if (DWORD fault = kernel_.Enter("WinExec")) {
    record.error = fault;
  } else {
    StartCommandLine(record.commandLine, &record);
  }
  starts_.push_back(record);
  if (!record.started) {
    kernel_.SetLastError(record.error);
    return WinExecCode(record.error);
  }
  return kWinExecStarted;
}

std::shared_ptr<SimProcess::Process> SimProcess::Start(ProcessStartRecord* record) {
  if (!record->verb.empty() && !text::EqualsNoCase(record->verb, L"open") && !text::EqualsNoCase(record->verb, L"runas")) {
    record->error = ERROR_NO_ASSOCIATION;
    return nullptr;
  }
  std::wstring file = record->file;
  file.erase(file.find_last_not_of(L" \t") + 1);  // Windows drops trailing blanks of a name
  std::wstring scheme;
  if (IsUrl(file, &scheme)) {
    const std::wstring command = OpenCommand(scheme, L"open");
    if (command.empty()) {
      record->error = ERROR_NO_ASSOCIATION;
      return nullptr;
    }
    return StartCommandLine(Expand(command, file), record);
  }
  const std::wstring path = Locate(file, &record->error);
  if (path.empty()) return nullptr;
  const std::wstring extension = ExtensionOf(path);
  if (extension == L".EXE" || extension == L".COM") {
    if (kernel_.FindProgram(path) == nullptr) {
      record->error = ERROR_BAD_EXE_FORMAT;
      return nullptr;
    }
    record->imagePath = path;
    record->commandLine = Quoted(path) + (record->parameters.empty() ? L"" : L" " + record->parameters);
    record->started = true;
    return Run(path, record->commandLine);
  }
  std::wstring documentClass;
  std::wstring command;
  if (!extension.empty() && registry_.GetString(HKEY_CLASSES_ROOT, extension, L"", &documentClass)) {
    command = OpenCommand(documentClass, L"open");
  }
  if (command.empty()) {
    record->error = ERROR_NO_ASSOCIATION;
    return nullptr;
  }
  return StartCommandLine(Expand(command, path), record);
}

std::shared_ptr<SimProcess::Process> SimProcess::StartCommandLine(const std::wstring& commandLine,
                                                                  ProcessStartRecord* record) {
  const std::wstring path = Locate(ProgramPart(commandLine), &record->error);
  if (path.empty()) return nullptr;
  if (kernel_.FindProgram(path) == nullptr) {
    record->error = ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  record->imagePath = path;
  record->commandLine = commandLine;
  record->started = true;
  return Run(path, commandLine);
}

std::shared_ptr<SimProcess::Process> SimProcess::Run(const std::wstring& imagePath, const std::wstring& commandLine) {
  const SimProgram program = *kernel_.FindProgram(imagePath);  // a copy: the table may grow meanwhile
  auto process = std::make_shared<Process>();
  processes_.push_back(process);
  SimKernel& kernel = kernel_;
  kernel_.ScheduleIn(0, [&kernel, process, program, start = SimProcessStart{imagePath, commandLine}] {
    if (process->ended()) return;  // terminated before it ran
    // The program runs on the thread that moved the clock, as its own process.
    const std::wstring caller = kernel.CallerImage();
    kernel.SetCallerImage(start.imagePath);
    const DWORD exitCode = program(start);
    kernel.SetCallerImage(caller);
    if (exitCode != STILL_ACTIVE && !process->ended()) process->End(exitCode);
  });
  return process;
}

std::wstring SimProcess::Locate(const std::wstring& name, DWORD* error) {
  std::vector<std::wstring> candidates;
  if (name.empty()) {
  } else if (IsFullPath(name)) {
    candidates.push_back(Normalized(name));
  } else if (name.find_first_of(L"\\/") != std::wstring::npos) {
    candidates.push_back(Join(CurrentDirectory(), name));
  } else {
    for (const std::wstring& folder : {FolderOf(system_.ModulePath()), CurrentDirectory(), folders_.systemDirectory(),
                                       folders_.windowsDirectory()}) {
      candidates.push_back(Join(folder, name));
    }
  }
  for (const std::wstring& candidate : candidates) {
    if (IsThere(candidate)) return candidate;
    if (ExtensionOf(candidate).empty() && IsThere(candidate + L".exe")) return candidate + L".exe";
  }
  *error = ERROR_FILE_NOT_FOUND;
  return std::wstring();
}

bool SimProcess::IsThere(const std::wstring& path) {
  if (kernel_.FindProgram(path) != nullptr) return true;
  const DWORD attributes = files_.AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring SimProcess::OpenCommand(const std::wstring& classKey, const std::wstring& verb) {
  std::wstring command;
  registry_.GetString(HKEY_CLASSES_ROOT, classKey + L"\\shell\\" + verb + L"\\command", L"", &command);
  return command;
}

std::wstring SimProcess::CurrentDirectory() {
  const std::wstring folder = files_.CurrentDirectory();
  return folder.size() <= MAX_PATH ? folder : std::wstring();
}

std::vector<ProcessStartRecord> SimProcess::StartsBy(StartApi api) const {
  std::vector<ProcessStartRecord> found;
  std::copy_if(starts_.begin(), starts_.end(), std::back_inserter(found),
               [api](const ProcessStartRecord& record) { return record.api == api; });
  return found;
}

std::size_t SimProcess::RunningCount() const {
  return static_cast<std::size_t>(std::count_if(processes_.begin(), processes_.end(), [](const auto& weak) {
    auto process = weak.lock();
    return process && !process->ended();
  }));
}

}  // namespace pf::sim
