// A stand-in for the system's print UI on the simulated PC: the program
// "rundll32.exe" of the system directory, run with the print-UI entry point
// ("<rundll32> printui.dll,PrintUIEntry <switches>").
//
// It reads its command line as rundll32 and the entry point do: the program,
// the "dll,entry" part, then the entry point's switches split by Windows'
// command-line rules (blanks separate, double quotes group, backslashes
// before a quote escape it). A value switch takes its value attached ("/bName")
// or as the next part ("/b Name"). It knows:
//   /if /b name /f inf /r port /m model [/z]   install a printer from an INF
//   /k /n name                                  print a test page
// (and accepts /q, /u, /w, /Y). Anything else is refused and does nothing.
//
// /if checks that the INF file is in the PC's files and names the model: a
// line of a models section for the PC's architecture (a section that
// [Manufacturer] names: on 32-bit Windows bare or with a decoration of its
// list that names x86 or no architecture, "NTx86", "NT.6.1"; on 64-bit
// Windows only one that names amd64, "NTamd64", as Windows since Server 2003
// SP1 requires) whose key, left of its "=", is the model in double quotes or
// a %key% that [Strings] turns into the model, compared without case. The INF may be UTF-16LE or UTF-8 with a byte-order
// mark, or ANSI. Then it adds the printer to the simulated spooler with the
// model as driver and the port given, named by /b, or, when a printer of that
// name exists (without case), by the name plus " (副本 N)" with the smallest
// free N from 1, as the print UI names copies.
//
// A test can make it take virtual time, add nothing (as Wine's print UI
// does), add the printer under another name, or fail with an exit code. Every
// run is recorded; /k records a test page for an existing printer.
//
// On a PC made 64-bit (MakeWow64Pc) setup runs under WOW64: the stand-in is
// the 64-bit print UI, reached by 32-bit programs as
// "<Windows>\Sysnative\rundll32.exe", and the system directory's
// rundll32.exe is what a 32-bit program gets there, the 32-bit print UI of
// SysWOW64: it records its run and does nothing, as that one makes no printer
// from an INF's x64 driver.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace pf::sim {

class SimPc;

struct PrintUiRun {
  std::wstring imagePath;  // the rundll32.exe that ran
  std::wstring commandLine;
  std::vector<std::wstring> arguments;  // what follows the entry point, split
  bool install = false;                 // /if
  bool testPage = false;                // /k
  bool shared = true;                   // no /z
  std::wstring baseName, infPath, port, model, printerName;
  std::wstring added;    // the printer it added, or empty
  std::wstring refused;  // why it did nothing, or empty
  DWORD exitCode = 0;
  std::uint64_t started = 0, ended = 0;  // virtual time
};

class SimPrintUi {
 public:
  // Installs the stand-in on the PC as <system directory>\rundll32.exe.
  explicit SimPrintUi(SimPc& pc);
  ~SimPrintUi();

  // What /if does from now on; the default is AddsThePrinter.
  void AddsThePrinter();
  void AddsNothing();
  void AddsPrinterNamed(const std::wstring& name);
  void Fails(DWORD exitCode);
  // Virtual time every command takes before it acts.
  void Takes(DWORD milliseconds);
  // Makes the PC a 64-bit Windows (IsWow64Process answers TRUE for setup);
  // without sysnative it is one that lacks the Sysnative alias (XP and Server
  // 2003 x64 without their update), where only the 32-bit print UI is there.
  void MakeWow64Pc(bool sysnative = true);

  const std::vector<PrintUiRun>& runs() const;
  const std::vector<std::wstring>& testPages() const;
  // The full path of the print UI that installs: the system directory's
  // rundll32.exe, or on a 64-bit PC the Sysnative one.
  const std::wstring& imagePath() const;

  // The entry point's command-line splitting (CommandLineToArgvW's rules).
  static std::vector<std::wstring> SplitArguments(const std::wstring& text);
  // The name a new printer gets beside the existing ones.
  static std::wstring CopyName(const std::wstring& base, const std::vector<std::wstring>& existing);
  // Whether an INF text names the model for an architecture, L"x86" or
  // L"amd64" (see above).
  static bool InfNamesModel(const std::wstring& infText, const std::wstring& model,
                            const std::wstring& architecture = L"x86");

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace pf::sim
