// Starting programs on the simulated PC.
//
// A program is code registered in the kernel's program table
// (SimKernel::RegisterProgram). A start finds the file the way Windows does:
// - a full path ("C:\...", "\\server\...") as given; a relative path with a
//   backslash against the current directory;
// - a bare name in the program's own folder (GetModuleFileNameW's), the
//   current directory, the system directory and the Windows directory, in
//   that order, trying the name as given and, when it has no extension, with
//   ".exe". A file is there when a program is registered under its full path
//   (a program registered under a bare name is in every folder) or when the
//   PC's files hold it. Trailing blanks of the name are dropped.
// - What is found runs when it is a registered program; a file of the PC's
//   that is an ".exe" or ".com" but no registered program fails with
//   ERROR_BAD_EXE_FORMAT; another file is a document and opens with its
//   class's open command (HKCR\.ext -> class -> class\shell\open\command), as
//   a URL ("scheme:...") opens with HKCR\scheme\shell\open\command; without
//   such a command the start fails with ERROR_NO_ASSOCIATION. Nothing found:
//   ERROR_FILE_NOT_FOUND. (No PATH and no App Paths: the sim PC has none.)
//
// A started program does not run inside the call: its run is an event on the
// virtual clock at the current time, so the call returns first and the
// program runs when the clock moves (a wait on its process handle moves it).
// A program takes virtual time by sleeping, and sees its own image as its
// module (GetModuleFileName) while it runs. A program that returns
// STILL_ACTIVE has not ended: it waits for an answer that never comes (a
// dialog nobody sees) until TerminateProcess ends it. The process handle is a kernel
// object of ObjectKind::Process, signalled when the program has ended;
// GetExitCodeProcess gives STILL_ACTIVE until then.
//
// Every start is recorded, whether it started or not.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {

class SimFiles;
class SimRegistry;
class SimShellFolders;
class SimSystem;

enum class StartApi { ShellExecuteExW, ShellExecuteW, WinExec };

struct ProcessStartRecord {
  StartApi api;
  std::wstring verb;        // as given; empty for none
  std::wstring file;        // lpFile as given; for WinExec the command line's program part
  std::wstring parameters;  // as given
  std::wstring directory;   // as given
  int show = 0;
  std::wstring imagePath;    // the program that was found, or empty
  std::wstring commandLine;  // the command line the program got, or for WinExec the one given
  bool started = false;
  DWORD error = 0;  // why it did not start
  std::uint64_t time = 0;
};

class SimProcess : public ProcessApi {
 public:
  SimProcess(SimKernel& kernel, SimSystem& system, SimFiles& files, SimShellFolders& folders, SimRegistry& registry);
  ~SimProcess() override;

  BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override;
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override;
  // Ends a program that has not ended yet (its run is never resumed); one
  // that has ended keeps its exit code, and the call fails with
  // ERROR_ACCESS_DENIED, as on Windows.
  BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
  // ShellExecuteExW without a process handle; the result is 42 on success,
  // otherwise the shell's code for the error (SE_ERR_FNF, SE_ERR_NOASSOC, ...).
  INT_PTR ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* directory, int show) override;
  // The program is the command line's first part, quoted or up to the first
  // blank; 33 on success, otherwise 0, ERROR_FILE_NOT_FOUND,
  // ERROR_PATH_NOT_FOUND or ERROR_BAD_FORMAT.
  UINT WinExec(const char* commandLine, UINT show) override;

  // --- Test API ---
  const std::vector<ProcessStartRecord>& starts() const { return starts_; }
  std::vector<ProcessStartRecord> StartsBy(StartApi api) const;
  // Programs started that have not ended yet.
  std::size_t RunningCount() const;

 private:
  class Process;

  // Finds and schedules what a start names; fills the record. Null with
  // record->error set when nothing starts.
  std::shared_ptr<Process> Start(ProcessStartRecord* record);
  std::shared_ptr<Process> StartCommandLine(const std::wstring& commandLine, ProcessStartRecord* record);
  std::shared_ptr<Process> Run(const std::wstring& imagePath, const std::wstring& commandLine);
  // The full path of the file a name stands for, or empty with *error set.
  std::wstring Locate(const std::wstring& name, DWORD* error);
  bool IsThere(const std::wstring& path);
  // The open command of a class of HKEY_CLASSES_ROOT, or empty.
  std::wstring OpenCommand(const std::wstring& classKey, const std::wstring& verb);
  std::wstring CurrentDirectory();

  SimKernel& kernel_;
  SimSystem& system_;
  SimFiles& files_;
  SimShellFolders& folders_;
  SimRegistry& registry_;
  std::vector<ProcessStartRecord> starts_;
  std::vector<std::weak_ptr<Process>> processes_;
};

}  // namespace pf::sim
