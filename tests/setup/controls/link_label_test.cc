// The link control on the welcome page's invitation line, headless: its
// preparation, hover timer, cursor, tooltip, colours and opening its target.
#include <string>

#include "framework/dialog.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_registry.h"
#include "setup/controls/link_label.h"
#include "tests/setup/app/shell_env.h"

namespace {

class LinkDialog : public fw::CDialog {
 public:
  LinkDialog() : fw::CDialog(457) {}
  void DoDataExchange() override { link.Bind(1024, this); }
  LinkLabel link;
};

class LinkLabelTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(dialog.Create(457, nullptr));
    dialog.ShowWindow(fw::SW_SHOW);
    link = dialog.GetDlgItem(1024);
    dialog.link.ShowWindow(fw::SW_SHOW);
  }
  void Pump() { fw::PumpMessages(); }
  void ClickLink() {
    ASSERT_TRUE(windows_.Click(link));
    Pump();
  }
  // A browser program on the PC, the web page class's open command, and,
  // with withUrlHandler, the http scheme's open command as well.
  void SeedBrowser(const std::wstring& command, bool withUrlHandler = false) {
    pc_->kernel().RegisterProgram(kBrowser, [](const pf::sim::SimProcessStart&) { return pf::DWORD{0}; });
    pc_->registry().SetString(pf::HKEY_CLASSES_ROOT, L".htm", L"", L"htmlfile");
    pc_->registry().SetString(pf::HKEY_CLASSES_ROOT, L"htmlfile\\shell\\open\\command", L"", command);
    if (withUrlHandler) {
      pc_->registry().SetString(pf::HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", command);
    }
  }
  std::vector<pf::sim::ProcessStartRecord> ShellCalls() {
    return pc_->process().StartsBy(pf::sim::StartApi::ShellExecuteW);
  }
  std::vector<pf::sim::ProcessStartRecord> WinExecCalls() {
    return pc_->process().StartsBy(pf::sim::StartApi::WinExec);
  }

  static constexpr const wchar_t* kBrowser = L"C:\\Program Files\\Browser\\browser.exe";

  LinkDialog dialog;
  fw::HWND link = 0;
};

TEST_F(LinkLabelTest, PreparationTakesTheTextAsTargetAndSizesToIt) {
  EXPECT_EQ(dialog.link.url(), L"访问 网站 获取更多");  // the template's line, no target set before
  EXPECT_TRUE(windows_.Style(link) & fw::SS_NOTIFY);
  EXPECT_TRUE(windows_.IsSubclassed(link));
  dialog.link.SetUrl(L"http://www.tavir.com.cn");
  fw::RECT before = windows_.Rect(link);
  dialog.link.SetWindowText(L"访问");
  dialog.link.SetUrl(L"http://www.tavir.com.cn");  // sizes to the (shorter) text again
  fw::RECT after = windows_.Rect(link);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_LT(after.right - after.left, before.right - before.left);
}

TEST_F(LinkLabelTest, EmptyTextShowsTheTarget) {
  LinkDialog other;
  ASSERT_TRUE(other.Create(458, nullptr));  // a page without a 1024: binding fails cleanly
  EXPECT_EQ(other.link.GetSafeHwnd(), 0u);
  LinkLabel late;
  dialog.SetDlgItemText(1026, L"");
  late.SetUrl(L"http://example.cn/");
  ASSERT_TRUE(late.Bind(1026, &dialog));
  EXPECT_EQ(windows_.Text(dialog.GetDlgItem(1026)), L"http://example.cn/");
}

TEST_F(LinkLabelTest, HoverStartsOneTimerAndLeavingStopsIt) {
  fw::HFONT plain = windows_.Font(link);
  ASSERT_TRUE(windows_.PostMouseMove(link, {2, 2}));
  ASSERT_TRUE(windows_.PostMouseMove(link, {3, 2}));
  Pump();
  EXPECT_TRUE(dialog.link.over());
  EXPECT_TRUE(windows_.TimerActive(link, LinkLabel::kTimerId));
  fw::LOGFONTW font{};
  ASSERT_TRUE(windows_.GetFontDescription(windows_.Font(link), &font));
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(windows_.LastPaint(link).textColour, fw::RGB(255, 0, 0));

  pf::Sleep(100);  // still inside: the tick keeps the hover
  Pump();
  EXPECT_TRUE(dialog.link.over());

  windows_.SetCursorScreenPos({0, 0});  // outside the control
  pf::Sleep(100);
  Pump();
  EXPECT_FALSE(dialog.link.over());
  EXPECT_FALSE(windows_.TimerActive(link, LinkLabel::kTimerId));
  ASSERT_TRUE(windows_.GetFontDescription(windows_.Font(link), &font));
  EXPECT_EQ(font.lfUnderline, 0);
  EXPECT_NE(windows_.Font(link), plain);  // the control's own plain copy
  EXPECT_EQ(windows_.LastPaint(link).textColour, fw::RGB(0, 0, 238));

  ASSERT_TRUE(windows_.PostMouseMove(link, {2, 2}));
  Pump();
  EXPECT_TRUE(windows_.TimerActive(link, LinkLabel::kTimerId));  // back in: started again
}

TEST_F(LinkLabelTest, HandCursorOrTheSystemsWhenItCannotBeLoaded) {
  const fw::LPARAM request = 1 | (fw::WM_MOUSEMOVE << 16);
  EXPECT_EQ(windows_.SendMessageW(link, fw::WM_SETCURSOR, link, request), 1);
  EXPECT_NE(windows_.CurrentCursor(), 0u);
  EXPECT_EQ(windows_.LiveModules(), 0);  // the help library is unloaded again

  windows_.SetCursorMissing(true);
  LinkLabel noCursor;
  ASSERT_TRUE(noCursor.Bind(1026, &dialog));
  fw::HWND body = dialog.GetDlgItem(1026);
  EXPECT_EQ(windows_.SendMessageW(body, fw::WM_SETCURSOR, body, request), 0);  // left to default handling
  EXPECT_EQ(windows_.LiveModules(), 0);
}

TEST_F(LinkLabelTest, WhatItMadeGoesWithTheControlOrTheObject) {
  const int cursors = windows_.LiveCursors();
  const std::size_t windows = windows_.LiveWindows();
  const int gdiObjects = windows_.LiveGdiObjects();
  fw::HWND tip = 0;
  {
    LinkLabel extra;
    ASSERT_TRUE(extra.Bind(1026, &dialog));
    tip = extra.tooltip();
    EXPECT_EQ(windows_.LiveCursors(), cursors + 1);
    EXPECT_EQ(windows_.LiveWindows(), windows + 1);
    EXPECT_EQ(windows_.LiveGdiObjects(), gdiObjects + 2);  // its plain and underlined fonts
    EXPECT_EQ(windows_.LiveDcs(), 0);  // sizing to the text gave its device context back
  }
  EXPECT_FALSE(windows_.IsWindow(tip));
  EXPECT_EQ(windows_.LiveCursors(), cursors);
  EXPECT_EQ(windows_.LiveWindows(), windows);
  EXPECT_EQ(windows_.LiveGdiObjects(), gdiObjects);

  // Destroying the dialog releases them while the object lives on, once.
  dialog.DestroyWindow();
  EXPECT_EQ(windows_.LiveCursors(), 0);
  EXPECT_EQ(windows_.LiveWindows(), 0u);
  EXPECT_EQ(windows_.LiveGdiObjects(), 0);
  EXPECT_EQ(dialog.link.tooltip(), 0u);
}

TEST_F(LinkLabelTest, TheTooltipShowsTheTargetAndSeesTheLoopsMessages) {
  fw::HWND tip = dialog.link.tooltip();
  ASSERT_NE(tip, 0u);
  EXPECT_EQ(windows_.ToolText(tip, link, 1), L"访问 网站 获取更多");
  dialog.link.SetUrl(L"http://www.tavir.com.cn");
  EXPECT_EQ(windows_.ToolText(tip, link, 1), L"http://www.tavir.com.cn");

  // Messages for the control pass its pre-translation in a modal loop.
  LinkDialog modal;
  windows_.Then([&] {
    modal.link.ShowWindow(fw::SW_SHOW);
    windows_.PostMouseMove(modal.link.GetSafeHwnd(), {1, 1});
  });
  windows_.Then([&] {
    EXPECT_EQ(windows_.RelayCount(modal.link.tooltip()), 1);
    windows_.PressKey(modal.GetSafeHwnd(), fw::VK_ESCAPE);
  });
  EXPECT_EQ(modal.DoModal(), 2);
}

TEST_F(LinkLabelTest, ASuccessfulOpenMarksTheLinkVisited) {
  dialog.link.SetUrl(L"http://www.tavir.com.cn");
  SeedBrowser(L"\"C:\\Program Files\\Browser\\browser.exe\" \"%1\"", true);
  ClickLink();
  ASSERT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(ShellCalls()[0].verb, L"open");
  EXPECT_EQ(ShellCalls()[0].file, L"http://www.tavir.com.cn");
  EXPECT_EQ(ShellCalls()[0].show, fw::SW_SHOW);
  EXPECT_EQ(ShellCalls()[0].imagePath, kBrowser);
  EXPECT_TRUE(dialog.link.visited());
  EXPECT_EQ(windows_.LastPaint(link).textColour, fw::RGB(85, 26, 139));
  EXPECT_TRUE(pc_->system().messageBoxes().empty());
}

TEST_F(LinkLabelTest, AFailedShellFallsBackToTheWebPageProgram) {
  dialog.link.SetUrl(L"http://www.tavir.com.cn");
  SeedBrowser(L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\" -x");  // no http handler
  ClickLink();
  ASSERT_EQ(WinExecCalls().size(), 1u);
  EXPECT_EQ(WinExecCalls()[0].commandLine,
            L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome  http://www.tavir.com.cn");
  EXPECT_TRUE(dialog.link.visited());

  pc_->kernel().FailCall("WinExec", pf::ERROR_FILE_NOT_FOUND);
  ClickLink();
  EXPECT_FALSE(dialog.link.visited());
  EXPECT_EQ(windows_.BeepCount(), 1);
  EXPECT_EQ(windows_.LastBeepType(), fw::MB_ICONEXCLAMATION);
  ASSERT_EQ(pc_->system().messageBoxes().size(), 1u);
  EXPECT_EQ(pc_->system().messageBoxes()[0].text, L"Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(pc_->system().messageBoxes()[0].type & 0xF0u, fw::MB_ICONEXCLAMATION);
}

TEST_F(LinkLabelTest, WithoutAWebPageClassTheShellsErrorIsReported) {
  pc_->kernel().FailCall("ShellExecuteW", pf::ERROR_SHARING_VIOLATION);
  ClickLink();
  EXPECT_TRUE(WinExecCalls().empty());
  ASSERT_EQ(pc_->system().messageBoxes().size(), 1u);
  EXPECT_EQ(pc_->system().messageBoxes()[0].text, L"Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

TEST(LinkLabelTextTest, CommandLineCutsAtThePlaceholder) {
  EXPECT_EQ(LinkLabel::CommandLineFor(L"b.exe \"%1\" %1", L"u"), L"b.exe  u");
  EXPECT_EQ(LinkLabel::CommandLineFor(L"b.exe -url %1 -new", L"u"), L"b.exe -url  u");
  EXPECT_EQ(LinkLabel::CommandLineFor(L"\"C:\\b.exe\"", L"u"), L"\"C:\\b.exe\" u");
}

TEST(LinkLabelTextTest, ErrorTexts) {
  EXPECT_EQ(LinkLabel::ErrorText(0), L"The operating system is out\nof memory or resources.");
  EXPECT_EQ(LinkLabel::ErrorText(26), L"A sharing violation occurred. ");
  EXPECT_EQ(LinkLabel::ErrorText(30),
            L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
  EXPECT_EQ(LinkLabel::ErrorText(32), L"The specified dynamic-link library was not found.");
  EXPECT_EQ(LinkLabel::ErrorText(4), L"Unknown Error (4) occurred.");
  EXPECT_EQ(LinkLabel::ErrorText(-7), L"Unknown Error (-7) occurred.");
}

}  // namespace
