#include "setup/app/setup_app.h"

#include "common/text/command_line.h"
#include "common/text/decimal.h"
#include "platform/platform.h"
#include "setup/app/exit_codes.h"
#include "setup/app/quiet_install.h"
#include "setup/app/setup_wizard.h"
#include "setup/app/texts.h"
#include "setup/driver/driver_identity.h"
#include "setup/driver/platform_version.h"
#include "setup/install/uninstall.h"
#include "setup/log/setup_log.h"
#include "setup/pages/connect_page.h"
#include "setup/pages/detect_page.h"
#include "setup/pages/install_page.h"
#include "setup/pages/welcome_page.h"
#include "setup/resources/resource.h"

namespace {

// Where a quiet run without /log writes its log: %WINDIR%\Temp\TQPrinterSetup.log,
// the Windows folder being the system folder's parent (GetWindowsDirectoryW
// gives a terminal server's user a folder of their own).
std::wstring QuietLogPath() {
  wchar_t folder[pf::MAX_PATH] = {};
  const pf::UINT length = pf::GetSystemDirectoryW(folder, pf::MAX_PATH);
  if (length == 0 || length >= pf::MAX_PATH) return std::wstring();
  std::wstring path(folder, length);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  const std::size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) return std::wstring();
  return path.substr(0, slash) + L"\\Temp\\TQPrinterSetup.log";
}

// The removal's one message: what was removed, and whether anything is left.
std::wstring RemovalMessage(const RemovalOutcome& outcome) {
  std::wstring message;
  if (outcome.exitCode != kExitSucceeded) message = LoadText(IDS_UNINSTALL_INCOMPLETE) + L"\r\n\r\n";
  if (outcome.removed.empty()) {
    if (outcome.exitCode == kExitSucceeded) message += LoadText(IDS_UNINSTALL_NOTHING);
    return message;
  }
  message += LoadText(IDS_UNINSTALL_REMOVED);
  for (const std::wstring& line : outcome.removed) message += L"\r\n" + line;
  return message;
}

// Reads the driver identity from the INF beside the program, and logs it.
bool ReadDriverIdentity(SetupContext& context) {
  if (!LoadDriverIdentity(&context)) {
    LogStep("INF", "cannot be read", context.infBaseName, pf::GetLastError());
    return false;
  }
  LogStep("INF", "read (model, USB id, parallel id):",
          context.driverModel + L", " + context.usbHardwareId + L", " + context.lptHardwareId);
  return true;
}

// The command line as one line of the log.
std::wstring Joined(const std::vector<std::wstring>& arguments) {
  std::wstring line;
  for (const std::wstring& argument : arguments) line += L" " + argument;
  return line;
}

}  // namespace

SetupContext& TheSetupContext() {
  static SetupContext context;
  return context;
}

void SetupApp::ShowBox(const std::wstring& text, unsigned type) {
  fw::Windows().MessageBoxW(0, text, FormatText(LoadText(IDS_SERVICE_CAPTION), TheSetupContext().companyNameCn),
                            type);
}

bool SetupApp::InitInstance() {
  fw::AfxEnableControlContainer();
  ProbePlatform();
  SetupContext& context = TheSetupContext();
  ApplyFixedValues(&context);

  const std::vector<std::wstring> arguments = text::SplitCommandLine(pf::GetCommandLineW());
  if (arguments.empty()) {
    exitCode_ = RunWizard(context);
    return false;
  }
  // A bad command line and /? change nothing and write no log.
  CommandLine line;
  std::wstring bad;
  const bool parsed = ParseCommandLine(arguments, &line, &bad);
  if (!parsed || line.usage) {
    if (!line.quiet) {
      ShowBox(parsed ? LoadText(IDS_USAGE) : FormatText(LoadText(IDS_ERROR_BAD_ARGUMENT), bad),
              parsed ? pf::MB_OK | pf::MB_ICONINFORMATION : pf::MB_OK | pf::MB_ICONERROR);
    }
    exitCode_ = kExitBadCommandLine;
    return false;
  }

  // A log asked for that cannot be written is a bad command line too; the
  // quiet run's own log is only missed.
  if (!line.logPath.empty() && !OpenSetupLog(line.logPath)) {
    if (!line.quiet) {
      ShowBox(FormatText(LoadText(IDS_ERROR_BAD_ARGUMENT), L"/log " + line.logPath), pf::MB_OK | pf::MB_ICONERROR);
    }
    exitCode_ = kExitBadCommandLine;
    return false;
  }
  if (line.logPath.empty() && line.quiet) OpenSetupLog(QuietLogPath());
  LogStep("setup", "started on Windows", text::WideDecimal(GetMajorVersion()) + L" with" + Joined(arguments));
  if (line.uninstall) {
    exitCode_ = RunRemoval(context, line);
  } else if (line.quiet) {
    exitCode_ = ReadDriverIdentity(context) ? RunQuietInstall(context, line) : kExitInfUnreadable;
  } else {
    exitCode_ = RunWizard(context);
  }
  LogStep("setup", "exit code", text::WideDecimal(exitCode_));
  CloseSetupLog();
  return false;
}

int SetupApp::RunWizard(SetupContext& context) {
  SetupWizard wizard;
  m_pMainWnd = &wizard;
  WelcomePage welcome(context);
  ConnectPage connect(context);
  DetectPage detect(context);
  InstallPage install(context);

  // Without its INF the wizard could only fail at the last page; tell the
  // user at once which file is missing and end.
  if (!ReadDriverIdentity(context)) {
    fw::Windows().MessageBoxW(0, LoadText(IDS_ERROR_NO_INF),
                              FormatText(LoadText(IDS_SERVICE_CAPTION), context.companyNameCn),
                              pf::MB_OK | pf::MB_ICONERROR);
    m_pMainWnd = nullptr;
    return kExitInfUnreadable;
  }

  wizard.AddPage(&welcome, IDD_WELCOME_PAGE);
  wizard.AddPage(&connect, IDD_CONNECT_PAGE);
  wizard.AddPage(&detect, IDD_DETECT_PAGE);
  wizard.AddPage(&install, IDD_INSTALL_PAGE);
  const int closedWith = wizard.DoModal();
  m_pMainWnd = nullptr;
  // Finish is only enabled on the install page, after its run.
  if (closedWith != IDC_FINISH) return kExitSucceeded;
  if (install.state.resultCode != kResultInstalled) return install.state.resultCode;
  return install.state.helperRan ? kExitSucceeded : kExitHelperFailed;
}

int SetupApp::RunRemoval(SetupContext& context, const CommandLine& line) {
  if (!ReadDriverIdentity(context)) {
    if (!line.quiet) ShowBox(LoadText(IDS_ERROR_NO_INF), pf::MB_OK | pf::MB_ICONERROR);
    return kExitInfUnreadable;
  }
  QuietInstallView quiet;
  const RemovalOutcome outcome = line.quiet ? RunUninstall(context, PrintUiMode{true, kQuietPrintUiWaitMs}, quiet)
                                            : RunUninstall(context, PrintUiMode(), TheStandardBoxes());
  if (!line.quiet) {
    ShowBox(RemovalMessage(outcome),
            outcome.exitCode == kExitSucceeded ? pf::MB_OK | pf::MB_ICONINFORMATION : pf::MB_OK | pf::MB_ICONWARNING);
  }
  return outcome.exitCode;
}
