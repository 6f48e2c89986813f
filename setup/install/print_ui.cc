#include "setup/install/print_ui.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "common/text/decimal.h"
#include "setup/driver/driver_identity.h"
#include "setup/driver/platform_version.h"
#include "setup/log/setup_log.h"

namespace {

constexpr size_t kInfPathBuffer = 260;  // characters, terminator included

std::wstring Quoted(const std::wstring& value) { return L"\"" + value + L"\""; }

// rundll32.exe by its full path: a bare name would be searched for beside
// setup.exe and in the current directory first, so a rundll32.exe planted
// in a downloads folder would run with administrator rights.
//
// setup.exe is a 32-bit program. On 64-bit Windows its system directory is
// redirected to SysWOW64, whose print UI installs drivers for x86 only, so
// no printer would be made from the INF's NTamd64 models. There the 64-bit
// rundll32.exe is taken through "<Windows directory>\Sysnative", the alias
// that 64-bit Windows gives 32-bit programs for the real system directory
// (redirection itself stays on). A 64-bit Windows without that alias (XP and
// Server 2003 x64 without its update) starts nothing: the install then ends
// with result 30 instead of a printer-less 32-bit install. The Windows
// directory is the system directory's parent ("<Windows>\system32", also
// under WOW64): GetWindowsDirectoryW would give a program that is not marked
// terminal-server aware its user's private folder on a terminal server.
//
// Empty when the system directory cannot be had.
std::wstring Rundll32Path() {
  wchar_t folder[pf::MAX_PATH] = {};
  const pf::UINT length = pf::GetSystemDirectoryW(folder, pf::MAX_PATH);
  if (length == 0 || length >= pf::MAX_PATH) return std::wstring();
  std::wstring path(folder, length);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  if (RunsUnderWow64()) {
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    path = path.substr(0, slash) + L"\\Sysnative";
  }
  return path + L"\\rundll32.exe";
}

// Starts rundll32 with the parameters (and /q in quiet mode) and waits for
// it. One that does not end within the mode's wait is ended, so that it
// cannot go on changing the PC after the run has given up on it.
PrintUiOutcome RunPrintUi(std::wstring parameters, const PrintUiMode& mode = PrintUiMode()) {
  if (mode.quiet) parameters += L" /q";
  const std::wstring program = Rundll32Path();
  if (program.empty()) {
    LogStep("print UI", "no system folder to start rundll32.exe from", {}, pf::GetLastError());
    return kPrintUiEnded;
  }
  LogStep("print UI", "rundll32.exe", parameters);
  pf::SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = pf::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = pf::SW_SHOW;
  if (!pf::ShellExecuteExW(&info)) LogStep("print UI", "not started", {}, pf::GetLastError());
  pf::UniqueKernelHandle process(info.hProcess);
  if (!process) return kPrintUiEnded;
  const pf::DWORD waited = pf::WaitForSingleObject(process.get(), mode.waitMs);
  if (waited != pf::WAIT_OBJECT_0) {
    // Not ended in time, or not to be waited for: it must not go on
    // changing the PC unseen.
    const pf::DWORD error = waited == pf::WAIT_TIMEOUT ? 0 : pf::GetLastError();
    pf::TerminateProcess(process.get(), pf::ERROR_TIMEOUT);
    LogStep("print UI", "not ended within the wait and ended; seconds waited:",
            text::WideDecimal(mode.waitMs == pf::INFINITE ? 0 : mode.waitMs / 1000), error);
    return kPrintUiTimedOut;
  }
  pf::DWORD exitCode = 0;
  if (IsSetupLogOpen() && pf::GetExitCodeProcess(process.get(), &exitCode)) {
    LogStep("print UI", "ended with exit code", text::WideDecimal(exitCode));
  }
  return kPrintUiEnded;
}

}  // namespace

std::wstring PrinterBaseName(const std::wstring& modelName) {
  std::wstring base = modelName;
  base.erase(std::remove(base.begin(), base.end(), L'"'), base.end());
  return base;
}

bool BuildAddPrinterParameters(const SetupContext& context, const std::wstring& programFolder,
                               const std::wstring& port, std::wstring* parameters) {
  const std::wstring infPath = Quoted(programFolder + L"\\" + context.infBaseName + L".inf");
  if (infPath.size() + 1 > kInfPathBuffer) return false;
  *parameters = L" printui.dll,PrintUIEntry /z /if /b " + Quoted(PrinterBaseName(context.modelName)) + L" /f " +
                infPath + L" /r " + Quoted(port) + L" /m " + Quoted(context.driverModel);
  return true;
}

PrintUiOutcome AddPrinterViaPrintUi(const SetupContext& context, const std::wstring& port, const PrintUiMode& mode) {
  std::wstring parameters;
  if (!BuildAddPrinterParameters(context, GetProgramFolder(), port, &parameters)) {
    LogStep("print UI", "the INF's path is too long to be passed");
    return kPrintUiEnded;
  }
  return RunPrintUi(parameters, mode);
}

void PrintTestPage(const std::wstring& printerName) {
  RunPrintUi(L" printui.dll,PrintUIEntry /k /n " + Quoted(printerName));
}

PrintUiOutcome DeletePrinterViaPrintUi(const std::wstring& printerName, const PrintUiMode& mode) {
  return RunPrintUi(L" printui.dll,PrintUIEntry /dl /n " + Quoted(printerName), mode);
}

PrintUiOutcome DeleteDriverViaPrintUi(const std::wstring& model, const PrintUiMode& mode) {
  return RunPrintUi(L" printui.dll,PrintUIEntry /dd /m " + Quoted(model), mode);
}
