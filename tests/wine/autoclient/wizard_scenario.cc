#include "tests/wine/autoclient/wizard_scenario.h"

#include "tests/wine/autoclient/remote_window.h"
#include "tests/wine/autoclient/screenshot.h"
#include "tests/wine/autoclient/wizard_view.h"

namespace autoclient {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kStepTimeoutMs = 5000;
// How long the walk watches for a reaction to Enter that must not come.
constexpr DWORD kEnterWatchMs = 500;
constexpr DWORD kCancelTimeoutMs = 10000;
// Detection waits three seconds for a USB printer before it gives up.
constexpr DWORD kDetectionTimeoutMs = 10000;
constexpr int kDetectStatus = 1031;

const wchar_t kWelcomeTitle[] = L"安装向导 - 欢迎使用朗明打印机驱动安装程序";
const wchar_t kConnectTitle[] = L"安装向导 - 请连接打印机和电脑";

// Controls that tell the pages apart.
constexpr int kWelcomeBody = 1026;
constexpr int kConnectHeading = 1029;

struct PageInfo {
  const wchar_t* name;
  const wchar_t* title;
  int marker;
};

const PageInfo kWelcome{L"welcome", kWelcomeTitle, kWelcomeBody};
const PageInfo kConnect{L"connection", kConnectTitle, kConnectHeading};
// The detection page shows the connection title; the install page keeps it
// until its installation run (not built yet) sets its own.
const PageInfo kDetect{L"detection", kConnectTitle, 1030};
const PageInfo kInstall{L"install", kConnectTitle, 1008};

class Walk {
 public:
  Walk(Report& report, ChildProcess& setup, const std::wstring& shot_folder)
      : report_(report), setup_(setup), shot_folder_(shot_folder) {}

  void Run();

 private:
  bool FindFrame();
  bool WaitForPage(const PageInfo& page, const std::wstring& situation);
  bool Click(int id, const std::wstring& name);
  // Waits for the detection run of the shown detection page to end.
  bool WaitForDetection();
  void CheckPageCount(int expected, const std::wstring& situation);
  void CheckWelcomeTexts(HWND page, const std::wstring& situation);
  void CheckConnectTexts(HWND page, const std::wstring& situation);
  void Screenshot(const PageInfo& page);
  // False when setup.exe did not survive it.
  bool CheckEnterIgnored(const PageInfo& page, int page_control);
  bool PostEnter(HWND target);
  void CancelAndWait();

  Report& report_;
  ChildProcess& setup_;
  std::wstring shot_folder_;
  HWND frame_ = nullptr;
};

bool Walk::FindFrame() {
  bool found = WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(setup_.id())) {
          if (IsDialogClass(window) && WindowText(window) == kWelcomeTitle) {
            frame_ = window;
            return true;
          }
        }
        return false;
      },
      kStartTimeoutMs, setup_.handle());
  if (found) {
    Sync(frame_);
    return report_.Check(true, L"wizard frame (#32770) titled " + Quote(kWelcomeTitle) + L" shown");
  }
  DWORD code = 0;
  if (setup_.WaitForExit(0, &code)) {
    report_.Fail(L"setup.exe ended with exit code " + std::to_wstring(code) + L" before the wizard showed");
  } else {
    report_.Fail(L"no wizard frame titled " + Quote(kWelcomeTitle) + L" within " +
                 std::to_wstring(kStartTimeoutMs / 1000) + L" s; setup.exe shows: " + DescribeWindows(setup_.id()));
  }
  return false;
}

bool Walk::WaitForPage(const PageInfo& page, const std::wstring& situation) {
  bool shown = WaitUntil([&] { return Shows(frame_, page.title, page.marker); }, kStepTimeoutMs, setup_.handle());
  // Whatever the frame still does for this step finishes before the checks.
  Sync(frame_);
  if (shown) {
    return report_.Check(true, situation + L": " + page.name + L" page shown, title " + Quote(page.title));
  }
  PageView view = Pages(frame_);
  report_.Fail(situation + L": " + page.name + L" page not shown within " + std::to_wstring(kStepTimeoutMs) +
               L" ms; title " + Quote(WindowText(frame_)) + L", " + std::to_wstring(view.visible_pages) +
               L" of " + std::to_wstring(view.pages) + L" pages visible" +
               (setup_.Running() ? L"" : L", setup.exe has ended"));
  return false;
}

bool Walk::Click(int id, const std::wstring& name) {
  // Like a user, the walk can only press an enabled button.
  HWND button = ::GetDlgItem(frame_, id);
  const std::wstring what = name + L" (" + std::to_wstring(id) + L")";
  if (!button || !::IsWindowEnabled(button)) {
    report_.Fail(L"cannot click " + what + (button ? L": disabled" : L": missing"));
    return false;
  }
  return report_.Check(PostClick(button), L"clicked " + what);
}

bool Walk::WaitForDetection() {
  const HWND page = Pages(frame_).shown;
  const HWND status = page ? ::GetDlgItem(page, kDetectStatus) : nullptr;
  auto finished = [&] {
    const std::wstring text = WindowText(status);
    return text == L"没有检测到打印机！" || text == L"检测到打印机设备：";
  };
  const DWORD start = ::GetTickCount();
  if (WaitUntil(finished, kDetectionTimeoutMs, setup_.handle())) {
    Sync(frame_);
    return report_.Check(true, L"detection ended after " + std::to_wstring(::GetTickCount() - start) +
                                   L" ms with " + Quote(WindowText(status)));
  }
  report_.Fail(L"detection still running after " + std::to_wstring(kDetectionTimeoutMs / 1000) +
               L" s; status line " + Quote(WindowText(status)));
  return false;
}

void Walk::CheckPageCount(int expected, const std::wstring& situation) {
  PageView view = Pages(frame_);
  report_.Check(view.pages == expected && view.visible_pages == 1,
                situation + L": " + std::to_wstring(view.pages) + L" page windows, " +
                    std::to_wstring(view.visible_pages) + L" visible (expected " + std::to_wstring(expected) +
                    L", 1 visible)");
}

void Walk::CheckWelcomeTexts(HWND page, const std::wstring& situation) {
  report_.CheckText(situation + L": heading 1023", WindowText(::GetDlgItem(page, 1023)),
                    L"欢迎使用朗明打印机驱动程序安装向导");
  report_.CheckPrefix(situation + L": body 1026", WindowText(::GetDlgItem(page, kWelcomeBody)),
                      L"现在将安装朗明打印机驱动程序到您的电脑中。");
  HWND link = ::GetDlgItem(page, 1024);
  report_.Check(link && !::IsWindowVisible(link), situation + L": link line 1024 exists and is hidden");
}

void Walk::CheckConnectTexts(HWND page, const std::wstring& situation) {
  report_.CheckText(situation + L": heading 1029", WindowText(::GetDlgItem(page, kConnectHeading)),
                    L"请按照以下步骤连接数据线");
  report_.CheckPrefix(situation + L": steps 1028", WindowText(::GetDlgItem(page, 1028)), L"首先关闭打印机电源。");
}

void Walk::Screenshot(const PageInfo& page) {
  // The frame has painted the page; the display may still be behind it, so
  // capture until two captures in a row agree and show content.
  Sync(frame_);
  std::wstring path = shot_folder_ + L"\\" + page.name + L".bmp";
  Capture capture;
  Capture previous;
  const bool settled = WaitUntil(
      [&] {
        previous = capture;
        capture = SaveWindowBitmap(frame_, path);
        return capture.saved && !capture.single_colour && previous.saved && capture.checksum == previous.checksum;
      },
      kStepTimeoutMs, setup_.handle());
  if (!report_.Check(capture.saved, std::wstring(L"screenshot of the ") + page.name + L" page saved to " + path +
                                        (capture.saved ? L"" : L": " + capture.error))) {
    return;
  }
  if (!capture.single_colour) {
    report_.Check(settled, std::wstring(L"screenshot of the ") + page.name + L" page steady within " +
                               std::to_wstring(kStepTimeoutMs) + L" ms");
  }
  report_.Check(!capture.single_colour, std::wstring(L"screenshot of the ") + page.name + L" page (" +
                                            std::to_wstring(capture.width) + L" x " +
                                            std::to_wstring(capture.height) + L") " +
                                            (capture.single_colour ? L"is one flat colour" : L"shows content"));
}

bool Walk::PostEnter(HWND target) {
  // Scan code 0x1C is the return key; the key-up carries the previous-state
  // and transition bits.
  return ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001) &&
         ::PostMessageW(target, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
}

bool Walk::CheckEnterIgnored(const PageInfo& page, int page_control) {
  PageView view = Pages(frame_);
  if (!view.shown) return setup_.Running();
  struct Target {
    std::wstring name;
    HWND window;
  };
  std::vector<Target> targets;
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  DWORD thread = ::GetWindowThreadProcessId(frame_, nullptr);
  if (::GetGUIThreadInfo(thread, &gui) && gui.hwndFocus && ::IsChild(frame_, gui.hwndFocus)) {
    targets.push_back({L"the focused control " + std::to_wstring(::GetDlgCtrlID(gui.hwndFocus)), gui.hwndFocus});
  } else {
    report_.Note(std::wstring(L"on the ") + page.name + L" page no control of the frame has the focus");
  }
  targets.push_back({L"page control " + std::to_wstring(page_control), ::GetDlgItem(view.shown, page_control)});
  targets.push_back({L"button 下一步", ::GetDlgItem(frame_, kNextId)});
  targets.push_back({L"button 取消", ::GetDlgItem(frame_, kCancelId)});
  targets.push_back({L"the frame", frame_});

  for (const Target& target : targets) {
    const std::wstring what = std::wstring(L"Enter on ") + target.name + L" of the " + page.name + L" page";
    if (!report_.Check(target.window && PostEnter(target.window), what + L" posted")) continue;
    // Nothing is to happen, so the walk watches for a while and stops at the
    // first sign of a reaction: another page or title, or setup.exe gone.
    auto reacted = [&] {
      return !setup_.Running() || !Sync(frame_) || WindowText(frame_) != page.title ||
             Pages(frame_).shown != view.shown;
    };
    WaitUntil(reacted, kEnterWatchMs, setup_.handle());
    bool alive = setup_.Running() && Sync(frame_);
    if (!report_.Check(alive, what + L": setup.exe still running")) return false;
    PageView after = Pages(frame_);
    bool same = WindowText(frame_) == page.title && after.shown == view.shown;
    report_.Check(same, what + L": page and title unchanged" +
                            (same ? L"" : L"; title now " + Quote(WindowText(frame_))));
  }
  return true;
}

void Walk::CancelAndWait() {
  if (!Click(kCancelId, L"取消")) return;
  DWORD start = ::GetTickCount();
  DWORD code = 0;
  if (setup_.WaitForExit(kCancelTimeoutMs, &code)) {
    report_.Check(true, L"setup.exe ended " + std::to_wstring(::GetTickCount() - start) +
                            L" ms after Cancel, exit code " + std::to_wstring(code));
  } else {
    report_.Fail(L"setup.exe still running " + std::to_wstring(kCancelTimeoutMs / 1000) + L" s after Cancel");
  }
}

void Walk::Run() {
  if (!FindFrame()) return;

  // Welcome page at start.
  if (!WaitForPage(kWelcome, L"start")) return;
  CheckButtons(report_, frame_, {false, true, true, false}, L"welcome at start", true);
  CheckPageCount(1, L"welcome at start");
  const HWND welcome = Pages(frame_).shown;
  CheckPlacement(report_, frame_, welcome, L"welcome at start");
  CheckWelcomeTexts(welcome, L"welcome at start");
  Screenshot(kWelcome);

  // Next: the connection page.
  if (!Click(kNextId, L"下一步") || !WaitForPage(kConnect, L"after Next")) return;
  CheckButtons(report_, frame_, {true, true, true, false}, L"connection after Next", false);
  CheckPageCount(2, L"connection after Next");
  const HWND connect = Pages(frame_).shown;
  CheckPlacement(report_, frame_, connect, L"connection after Next");
  CheckConnectTexts(connect, L"connection after Next");
  Screenshot(kConnect);
  if (!CheckEnterIgnored(kConnect, 1028)) return;

  // Back: the same welcome page window again.
  if (!Click(kBackId, L"上一步") || !WaitForPage(kWelcome, L"after Back")) return;
  CheckButtons(report_, frame_, {false, true, true, false}, L"welcome after Back", false);
  CheckPageCount(2, L"welcome after Back");
  report_.Check(Pages(frame_).shown == welcome, L"welcome after Back: the page window first shown");
  report_.Check(!::IsWindowVisible(connect) && ::IsWindow(connect),
                L"welcome after Back: connection page kept, hidden");
  CheckWelcomeTexts(welcome, L"welcome after Back");
  if (!CheckEnterIgnored(kWelcome, kWelcomeBody)) return;

  // On to the last two pages: their layout as far as it is built.
  if (!Click(kNextId, L"下一步") || !WaitForPage(kConnect, L"second Next")) return;
  if (!Click(kNextId, L"下一步") || !WaitForPage(kDetect, L"third Next")) return;
  // The run holds the frame's buttons while it waits for a USB printer.
  CheckButtons(report_, frame_, {false, false, false, false}, L"detection page while detecting", false);
  if (!WaitForDetection()) return;
  CheckButtons(report_, frame_, {true, true, true, false}, L"detection page", false);
  CheckPlacement(report_, frame_, Pages(frame_).shown, L"detection page");
  Screenshot(kDetect);
  if (!Click(kNextId, L"下一步") || !WaitForPage(kInstall, L"fourth Next")) return;
  CheckButtons(report_, frame_, {false, false, true, true}, L"install page", false);
  CheckPageCount(4, L"install page");
  Screenshot(kInstall);

  CancelAndWait();
}

}  // namespace

void RunWizardScenario(Report& report, ChildProcess& setup, const std::wstring& shot_folder) {
  Walk(report, setup, shot_folder).Run();
  if (setup.Running()) {
    report.Fail(L"setup.exe still running at the end of the walk; terminated");
    setup.Terminate();
  }
}

}  // namespace autoclient
