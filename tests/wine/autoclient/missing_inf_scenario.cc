#include "tests/wine/autoclient/missing_inf_scenario.h"

#include "tests/wine/autoclient/remote_window.h"

namespace autoclient {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;
const wchar_t kCaption[] = L"朗明打印机安装程序";

// The message box's text: the static child that names the file.
std::wstring BoxText(HWND box) {
  for (HWND child : DirectChildren(box)) {
    std::wstring text = WindowText(child);
    if (ClassName(child) == L"Static" && text.find(L"TQPRINTER.INF") != std::wstring::npos) return text;
  }
  return std::wstring();
}

}  // namespace

void RunMissingInfScenario(Report& report, ChildProcess& setup) {
  HWND box = nullptr;
  bool wizardShown = false;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(setup.id())) {
          std::wstring title = WindowText(window);
          if (title.find(L"安装向导") == 0 || title == L"打印机驱动程序") wizardShown = true;
          if (IsDialogClass(window) && title == kCaption) box = window;
        }
        return box != nullptr;
      },
      kStartTimeoutMs, setup.handle());
  if (!report.Check(box != nullptr, L"missing INF: error box titled \"" + std::wstring(kCaption) + L"\" shown")) {
    report.Note(DescribeWindows(setup.id()));
    setup.Terminate();
    return;
  }
  report.Check(!wizardShown, L"missing INF: no wizard window");
  std::wstring text = BoxText(box);
  report.Check(!text.empty(), L"missing INF: the box names TQPRINTER.INF: " + Quote(text));

  HWND ok = ::GetDlgItem(box, IDOK);
  if (!ok) ok = ::GetDlgItem(box, IDCANCEL);
  report.Check(ok != nullptr && PostClick(ok), L"missing INF: OK clicked");
  DWORD exit_code = 0;
  if (!report.Check(setup.WaitForExit(kExitTimeoutMs, &exit_code), L"missing INF: setup.exe ends after OK")) {
    setup.Terminate();
    return;
  }
  report.Note(L"missing INF: exit code " + std::to_wstring(exit_code));
}

}  // namespace autoclient
