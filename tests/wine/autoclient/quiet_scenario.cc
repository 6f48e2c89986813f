#include "tests/wine/autoclient/quiet_scenario.h"

#include <string>

#include "tests/wine/autoclient/remote_window.h"

namespace autoclient {
namespace {

constexpr DWORD kExitAfterOkMs = 10000;

void CheckExitCode(Report& report, const wchar_t* run, DWORD exit_code, DWORD expected_exit) {
  report.Check(exit_code == expected_exit, std::wstring(run) + L": exit code " + std::to_wstring(exit_code) +
                                               L", expected " + std::to_wstring(expected_exit));
}

}  // namespace

void RunQuietScenario(Report& report, ChildProcess& setup, DWORD expected_exit, DWORD timeout_ms) {
  std::wstring shown;
  int looks = 0;
  const DWORD start = ::GetTickCount();
  while (setup.Running() && ::GetTickCount() - start < timeout_ms) {
    ++looks;
    if (shown.empty() && !TopLevelWindows(setup.id()).empty()) shown = DescribeWindows(setup.id());
    ::Sleep(20);
  }
  DWORD exit_code = 0;
  if (!report.Check(setup.WaitForExit(0, &exit_code), L"quiet: setup.exe ended within the wait")) {
    setup.Terminate();
    return;
  }
  report.Check(shown.empty(), L"quiet: no window of setup.exe became visible (" + std::to_wstring(looks) +
                                  L" looks)" + (shown.empty() ? L"" : L": " + shown));
  CheckExitCode(report, L"quiet", exit_code, expected_exit);
}

void RunBoxScenario(Report& report, ChildProcess& setup, const std::wstring& text, DWORD expected_exit,
                    DWORD timeout_ms) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(setup.id())) {
          if (IsDialogClass(window) && ::GetDlgItem(window, IDOK) != nullptr) box = window;
        }
        return box != nullptr;
      },
      timeout_ms, setup.handle());
  if (!report.Check(box != nullptr, L"box: setup.exe showed a message box")) {
    report.Note(DescribeWindows(setup.id()));
    setup.Terminate();
    return;
  }
  const std::wstring shown = DescribeWindows(setup.id());
  report.Check(TopLevelWindows(setup.id()).size() == 1, L"box: it is setup.exe's only window: " + Quote(shown));
  report.Check(shown.find(text) != std::wstring::npos, L"box: it says " + Quote(text) + L": " + Quote(shown));
  report.Check(PostClick(::GetDlgItem(box, IDOK)), L"box: OK clicked");
  DWORD exit_code = 0;
  if (!report.Check(setup.WaitForExit(kExitAfterOkMs, &exit_code), L"box: setup.exe ended after OK")) {
    setup.Terminate();
    return;
  }
  CheckExitCode(report, L"box", exit_code, expected_exit);
}

}  // namespace autoclient
