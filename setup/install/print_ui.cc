#include "setup/install/print_ui.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "setup/driver/driver_identity.h"
#include "setup/driver/platform_version.h"

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

// Starts rundll32 with the parameters and waits for it without a time-out.
void RunPrintUi(const std::wstring& parameters) {
  const std::wstring program = Rundll32Path();
  if (program.empty()) return;
  pf::SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = pf::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = pf::SW_SHOW;
  pf::ShellExecuteExW(&info);
  pf::UniqueKernelHandle process(info.hProcess);
  if (process) pf::WaitForSingleObject(process.get(), pf::INFINITE);
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

void AddPrinterViaPrintUi(const SetupContext& context, const std::wstring& port) {
  std::wstring parameters;
  if (!BuildAddPrinterParameters(context, GetProgramFolder(), port, &parameters)) return;
  RunPrintUi(parameters);
}

void PrintTestPage(const std::wstring& printerName) {
  RunPrintUi(L" printui.dll,PrintUIEntry /k /n " + Quoted(printerName));
}
