#include "tests/wine/autoclient/install_scenario.h"

#include "tests/wine/autoclient/picture_check.h"
#include "tests/wine/autoclient/remote_window.h"
#include "tests/wine/autoclient/screenshot.h"
#include "tests/wine/autoclient/wizard_view.h"

namespace autoclient {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kStepTimeoutMs = 5000;
constexpr DWORD kDetectionTimeoutMs = 20000;
constexpr DWORD kInstallTimeoutMs = 120000;
constexpr DWORD kExitTimeoutMs = 15000;

const wchar_t kWelcomeTitle[] = L"安装向导 - 欢迎使用朗明打印机驱动安装程序";
const wchar_t kConnectTitle[] = L"安装向导 - 请连接打印机和电脑";
const wchar_t kInstallingTitle[] = L"安装向导 - 正在安装驱动程序";
const wchar_t kInstalledTitle[] = L"安装向导 - 安装完成";
const wchar_t kSucceeded[] = L"安装成功，请点击“完成”退出";
const wchar_t kFailed[] = L"安装失败，请点击“上一步”返回或点击“完成”退出";

constexpr int kLptRadio = 1018;
constexpr int kUsbRadio = 1019;
constexpr int kDetectHeading = 1030;
constexpr int kDetectStatus = 1031;
constexpr int kNameBox = 1035;
constexpr int kInstallName = 1003;
constexpr int kInstallStatus = 1004;
constexpr int kInstallPort = 1006;
constexpr int kInstallHeading = 1008;

class InstallWalk {
 public:
  InstallWalk(Report& report, ChildProcess& setup, const std::wstring& shot_folder, const InstallOptions& options)
      : report_(report), setup_(setup), shot_folder_(shot_folder), options_(options) {}

  void Run();

 private:
  std::wstring Option(const wchar_t* key) const {
    auto found = options_.find(key);
    return found == options_.end() ? std::wstring() : found->second;
  }
  bool FindFrame();
  bool WaitForPage(const std::wstring& title, int marker, const std::wstring& name);
  bool Click(int id, const std::wstring& name);
  void Screenshot(const std::wstring& name);
  bool Detect();
  bool Install();
  // A message box of setup.exe (a dialog other than the frame), or null.
  HWND FindMessageBox() const;
  std::wstring BoxText(HWND box) const;

  Report& report_;
  ChildProcess& setup_;
  std::wstring shot_folder_;
  const InstallOptions& options_;
  HWND frame_ = nullptr;
};

bool InstallWalk::FindFrame() {
  bool found = WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(setup_.id())) {
          if (IsDialogClass(window) && WindowText(window) == kWelcomeTitle) frame_ = window;
        }
        return frame_ != nullptr;
      },
      kStartTimeoutMs, setup_.handle());
  if (!found) report_.Note(L"setup.exe shows: " + DescribeWindows(setup_.id()));
  return report_.Check(found, L"wizard frame shown");
}

bool InstallWalk::WaitForPage(const std::wstring& title, int marker, const std::wstring& name) {
  bool shown = WaitUntil([&] { return Shows(frame_, title, marker); }, kStepTimeoutMs, setup_.handle());
  if (!shown) report_.Note(L"title now " + Quote(WindowText(frame_)));
  return report_.Check(shown, name + L" page shown");
}

bool InstallWalk::Click(int id, const std::wstring& name) {
  HWND button = ::GetDlgItem(frame_, id);
  if (!button || !::IsWindowEnabled(button)) {
    report_.Fail(L"cannot click " + name + (button ? L": disabled" : L": missing"));
    return false;
  }
  return report_.Check(PostClick(button), L"clicked " + name);
}

void InstallWalk::Screenshot(const std::wstring& name) {
  // A message box over the page would hide the picture.
  if (Option(L"pictures") == L"1" && !FindMessageBox()) CheckSidePicture(report_, Pages(frame_).shown, name);
  const std::wstring prefix = Option(L"shots");
  if (prefix.empty()) return;
  const std::wstring path = shot_folder_ + L"\\" + prefix + L"-" + name + L".bmp";
  bool settled = false;
  const Capture capture = SaveSteadyWindowBitmap(frame_, path, kStepTimeoutMs, setup_.handle(), &settled);
  // The run's picture moves with its progress bar; only the others must settle.
  report_.Check(capture.saved && !capture.single_colour && (settled || name == L"installing"),
                L"screenshot " + path + (capture.saved ? L"" : L": " + capture.error));
}

bool InstallWalk::Detect() {
  if (!WaitForPage(kConnectTitle, kDetectHeading, L"detection")) return false;
  const HWND page = Pages(frame_).shown;
  // Detection runs inside the page's activation with every button disabled;
  // it has ended when Next is enabled again.
  const bool done =
      WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(frame_, kNextId)) != 0; }, kDetectionTimeoutMs,
                setup_.handle());
  if (!report_.Check(done, L"detection ended (Next enabled again)")) return false;
  Sync(frame_);
  CheckButtons(report_, frame_, {true, true, true, false}, L"after detection", false);
  const HWND usb = ::GetDlgItem(page, kUsbRadio);
  const HWND lpt = ::GetDlgItem(page, kLptRadio);
  report_.Note(L"detection: status " + Quote(WindowText(::GetDlgItem(page, kDetectStatus))) + L", name box " +
               Quote(WindowText(::GetDlgItem(page, kNameBox))));
  if (!Option(L"status").empty()) {
    report_.CheckText(L"detection status line", WindowText(::GetDlgItem(page, kDetectStatus)), Option(L"status"));
  }
  if (!Option(L"name").empty()) {
    report_.CheckText(L"name box after detection", WindowText(::GetDlgItem(page, kNameBox)), Option(L"name"));
  }
  if (!Option(L"usb").empty()) {
    const bool checked = ::SendMessageW(usb, BM_GETCHECK, 0, 0) == BST_CHECKED;
    report_.Check(checked == (Option(L"usb") == L"checked"), L"USB radio " + Option(L"usb"));
  }
  if (!Option(L"usb_radio").empty()) {
    report_.Check((::IsWindowEnabled(usb) != 0) == (Option(L"usb_radio") == L"enabled"),
                  L"USB radio " + Option(L"usb_radio"));
  }
  if (!Option(L"lpt_radio").empty()) {
    report_.Check((::IsWindowEnabled(lpt) != 0) == (Option(L"lpt_radio") == L"enabled"),
                  L"parallel radio " + Option(L"lpt_radio"));
  }
  Screenshot(L"detect");
  if (Option(L"choose") == L"lpt" || Option(L"choose") == L"usb") {
    const HWND radio = Option(L"choose") == L"lpt" ? lpt : usb;
    if (!report_.Check(::IsWindowEnabled(radio) && PostClick(radio), L"chose " + Option(L"choose"))) return false;
    // The click is posted: wait until the radio has taken it.
    report_.Check(WaitUntil([&] { return ::SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }, kStepTimeoutMs,
                            setup_.handle()),
                  L"the chosen radio is checked");
    Sync(frame_);
  }
  if (!Option(L"type").empty()) {
    ::SendMessageW(::GetDlgItem(page, kNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Option(L"type").c_str()));
  }
  return true;
}

HWND InstallWalk::FindMessageBox() const {
  for (HWND window : TopLevelWindows(setup_.id())) {
    if (window != frame_ && IsDialogClass(window) && ::GetDlgItem(window, IDOK) != nullptr) return window;
  }
  return nullptr;
}

std::wstring InstallWalk::BoxText(HWND box) const {
  for (HWND child : DirectChildren(box)) {
    if (ClassName(child) == L"Static" && !WindowText(child).empty()) return WindowText(child);
  }
  return std::wstring();
}

bool InstallWalk::Install() {
  if (!Click(kNextId, L"下一步 on the detection page")) return false;
  const bool started =
      WaitUntil([&] { return WindowText(frame_) == kInstallingTitle || WindowText(frame_) == kInstalledTitle ||
                             FindMessageBox() != nullptr; },
                kStepTimeoutMs, setup_.handle());
  if (!report_.Check(started, L"install run started")) return false;
  if (WindowText(frame_) == kInstallingTitle) {
    CheckButtons(report_, frame_, {false, false, false, false}, L"while installing", false);
    // The picture of the run: once a step's status line shows ("正在...").
    const HWND status = ::GetDlgItem(Pages(frame_).shown, kInstallStatus);
    WaitUntil([&] { return WindowText(status).rfind(L"正在", 0) == 0 || FindMessageBox() != nullptr; },
              kStepTimeoutMs, setup_.handle());
    Screenshot(L"installing");
  }
  HWND box = nullptr;
  const bool ended = WaitUntil(
      [&] {
        box = FindMessageBox();
        return box != nullptr || WindowText(frame_) == kInstalledTitle;
      },
      kInstallTimeoutMs, setup_.handle());
  if (!report_.Check(ended, L"install run ended")) {
    report_.Note(DescribeWindows(setup_.id()));
    return false;
  }
  const bool expectFailure = Option(L"result") == L"fail";
  if (box != nullptr) {
    const std::wstring text = BoxText(box);
    report_.Check(expectFailure, L"message box after the run: " + Quote(text));
    if (!Option(L"message").empty()) report_.CheckText(L"message box text", text, Option(L"message"));
    report_.Check(PostClick(::GetDlgItem(box, IDOK)), L"message box closed with OK");
    if (!report_.Check(WaitUntil([&] { return WindowText(frame_) == kInstalledTitle; }, kStepTimeoutMs,
                                 setup_.handle()),
                       L"title " + Quote(kInstalledTitle) + L" after the box")) {
      return false;
    }
  } else {
    report_.Check(!expectFailure, L"install run ended without a message box");
  }
  Sync(frame_);
  const HWND page = Pages(frame_).shown;
  report_.CheckText(L"install heading", WindowText(::GetDlgItem(page, kInstallHeading)), L"驱动程序安装信息");
  report_.CheckText(L"install status line", WindowText(::GetDlgItem(page, kInstallStatus)),
                    expectFailure ? kFailed : kSucceeded);
  if (expectFailure) {
    CheckButtons(report_, frame_, {true, false, false, true}, L"after a failed install", false);
  } else {
    CheckButtons(report_, frame_, {false, false, false, true}, L"after a successful install", false);
  }
  if (!Option(L"printer").empty()) {
    report_.CheckText(L"name line", WindowText(::GetDlgItem(page, kInstallName)),
                      L"名称: \t" + Option(L"printer"));
  }
  if (!Option(L"port").empty()) {
    report_.CheckText(L"port line", WindowText(::GetDlgItem(page, kInstallPort)), L"端口: \t" + Option(L"port"));
  }
  Screenshot(L"done");
  return true;
}

void InstallWalk::Run() {
  if (!FindFrame()) return;
  if (!WaitForPage(kWelcomeTitle, 1026, L"welcome")) return;
  if (Option(L"pages") == L"1") Screenshot(L"welcome");
  if (!Click(kNextId, L"下一步") || !WaitForPage(kConnectTitle, 1029, L"connection")) return;
  if (Option(L"pages") == L"1") Screenshot(L"connection");
  if (!Click(kNextId, L"下一步") || !Detect() || !Install()) return;
  if (!Click(kFinishId, L"完成")) return;
  DWORD code = 0;
  report_.Check(setup_.WaitForExit(kExitTimeoutMs, &code), L"setup.exe ended after Finish");
}

}  // namespace

void RunInstallScenario(Report& report, ChildProcess& setup, const std::wstring& shot_folder,
                        const InstallOptions& options) {
  InstallWalk(report, setup, shot_folder, options).Run();
  if (setup.Running()) {
    report.Fail(L"setup.exe still running at the end of the walk; terminated");
    setup.Terminate();
  }
}

}  // namespace autoclient
