// tq_autoclient: starts setup.exe and walks its wizard through the real
// windows, one "ok:" or "FAIL:" line per check.
//   tq_autoclient <path of setup.exe> <folder for screenshots>
//   tq_autoclient --missing-inf <path of setup.exe>   (no INF beside it)
//   tq_autoclient --install <path of setup.exe> <folder for screenshots> [key=value...]
//       the whole wizard with an install run (see install_scenario.h)
//   tq_autoclient --quiet <path of setup.exe> <expected exit code> <arguments...>
//       a command-line run that must show no window (see quiet_scenario.h)
//   tq_autoclient --box <path of setup.exe> <expected exit code> <text> <arguments...>
//       a command-line run that shows one message box saying <text>
// Exit code 0 when every check passed, 1 when one failed, 2 on bad use.
#include <cwchar>
#include <string>

#include <windows.h>

#include "tests/wine/autoclient/child_process.h"
#include "tests/wine/autoclient/install_scenario.h"
#include "tests/wine/autoclient/missing_inf_scenario.h"
#include "tests/wine/autoclient/quiet_scenario.h"
#include "tests/wine/autoclient/report.h"
#include "tests/wine/autoclient/wizard_scenario.h"

int wmain(int argc, wchar_t** argv) {
  autoclient::Report report;
  if (argc == 3 && std::wstring(argv[1]) == L"--missing-inf") {
    autoclient::ChildProcess setup;
    std::wstring error;
    if (!report.Check(setup.Start(argv[2], &error), std::wstring(L"started ") + argv[2] + L" " + error)) return 1;
    autoclient::RunMissingInfScenario(report, setup);
    return report.failures() == 0 ? 0 : 1;
  }
  const bool box = argc >= 5 && std::wstring(argv[1]) == L"--box";
  if (box || (argc >= 4 && std::wstring(argv[1]) == L"--quiet")) {
    std::wstring arguments;
    for (int i = box ? 5 : 4; i < argc; ++i) {
      const std::wstring argument = argv[i];
      const bool spaced = argument.find(L' ') != std::wstring::npos;
      arguments += (arguments.empty() ? L"" : L" ") + (spaced ? L"\"" + argument + L"\"" : argument);
    }
    autoclient::ChildProcess setup;
    std::wstring error;
    if (!report.Check(setup.Start(argv[2], &error, L"", arguments), L"started " + std::wstring(argv[2]) + L" " +
                                                                         arguments + L" " + error)) {
      return 1;
    }
    const DWORD expected_exit = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
    if (box) {
      autoclient::RunBoxScenario(report, setup, argv[4], expected_exit, 30000);
    } else {
      autoclient::RunQuietScenario(report, setup, expected_exit, 100000);
    }
    return report.failures() == 0 ? 0 : 1;
  }
  if (argc >= 4 && std::wstring(argv[1]) == L"--install") {
    autoclient::InstallOptions options;
    for (int i = 4; i < argc; ++i) {
      const std::wstring arg = argv[i];
      const size_t equals = arg.find(L'=');
      if (equals == std::wstring::npos) {
        report.Fail(L"not key=value: " + arg);
        return 2;
      }
      options[arg.substr(0, equals)] = arg.substr(equals + 1);
    }
    ::CreateDirectoryW(argv[3], nullptr);
    autoclient::ChildProcess setup;
    std::wstring error;
    const std::wstring directory = options.count(L"cwd") != 0 ? options[L"cwd"] : L"";
    if (!report.Check(setup.Start(argv[2], &error, directory), std::wstring(L"started ") + argv[2] + L" " + error)) {
      return 1;
    }
    autoclient::RunInstallScenario(report, setup, argv[3], options);
    report.Note(std::to_wstring(report.failures()) + L" failed check(s)");
    return report.failures() == 0 ? 0 : 1;
  }
  if (argc != 3) {
    report.Fail(L"usage: tq_autoclient <setup.exe> <screenshot folder>");
    return 2;
  }
  const std::wstring setup_path = argv[1];
  const std::wstring shot_folder = argv[2];
  if (!::CreateDirectoryW(shot_folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    report.Fail(L"cannot create the screenshot folder " + shot_folder);
    return 2;
  }
  if (::GetFileAttributesW(setup_path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    report.Fail(L"no program at " + setup_path);
    return 1;
  }
  autoclient::ChildProcess setup;
  std::wstring error;
  if (!report.Check(setup.Start(setup_path, &error), L"started " + setup_path + (error.empty() ? L"" : L": " + error))) {
    return 1;
  }
  autoclient::RunWizardScenario(report, setup, shot_folder);
  report.Note(std::to_wstring(report.failures()) + L" failed check(s)");
  return report.failures() == 0 ? 0 : 1;
}
